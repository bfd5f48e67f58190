// Starting programs from a command line, without a shell and without
// waiting for them.
#pragma once

#include <string>
#include <vector>

namespace varnex {

// Splits a command line as the desktop platform does: blanks separate
// arguments, double quotes group them (a quote is written \" or, inside
// quotes, ""), backslashes are plain otherwise. No other character is
// special.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Starts the program (searched on PATH) and returns at once; false when it
// could not be started. The child is reaped when it ends, so no zombie
// remains.
bool StartProgram(const std::string& commandLine);

}  // namespace varnex
