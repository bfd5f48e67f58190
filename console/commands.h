// The two commands of the varnex program. Each returns the exit status.
#pragma once

#include "console/options.h"

namespace varnex {

int RunChat(const ConsoleOptions& options);
int RunFmt(const ConsoleOptions& options);
int RunWordDb(const ConsoleOptions& options);

}  // namespace varnex
