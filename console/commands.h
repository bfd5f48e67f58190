// The two commands of the varnex program. Each returns the exit status.
#pragma once

#include <string>

#include "console/options.h"

namespace varnex {

// Whether the brain file can be read; if not, says so on standard error.
bool BrainFileOpens(const std::string& path);

int RunChat(const ConsoleOptions& options);
int RunFmt(const ConsoleOptions& options);
int RunWordDb(const ConsoleOptions& options);

}  // namespace varnex
