// The commands of the varnex program. Each returns the exit status.
#pragma once

#include <string>

#include "console/options.h"

namespace varnex {

// Whether the brain file can be read; if not, says so on standard error.
bool BrainFileOpens(const std::string& path);
// A reader message with where it comes from, as the console prints it:
// "FILE:LINE: text" ("FILE: text" for the whole file; the text alone for
// text that came from no file).
std::string ReaderMessagePlace(const std::string& file, int line, const std::string& text);

int RunChat(const ConsoleOptions& options);
int RunFmt(const ConsoleOptions& options);
int RunWordDb(const ConsoleOptions& options);
int RunCheck(const ConsoleOptions& options);    // check.cpp
int RunTest(const ConsoleOptions& options);     // transcript_test.cpp
int RunExplain(const ConsoleOptions& options);  // explain.cpp
int RunImport(const ConsoleOptions& options);   // import.cpp
int RunServe(const ConsoleOptions& options);    // serve.cpp

}  // namespace varnex
