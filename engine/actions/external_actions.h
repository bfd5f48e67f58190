// Actions that reach outside the brain: programs, log files and library
// functions. None of them reports a failure.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

// Starts the command line, exactly as written, without waiting (Action).
void RunCommandLine(BrainClass& brain, const std::string& commandLine);
// Appends one line to a text file, creating it when needed (Log This).
void LogThis(const std::string& fileName, const std::string& line);
// Calls `function` of the library with `argument`; a positive result keeps
// the answer as the fact named like the function (CallDLL).
void CallLibraryFunction(BrainClass& brain, const std::string& argument, const std::string& function,
                         const std::string& library);

}  // namespace varnex
