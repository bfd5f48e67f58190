// Reaching outside the brain: programs, log files and library calls. Each
// asks for the host's consent first where it runs code, and a failure of
// the outside world is ignored, never raised: the brain goes on.
#include "engine/actions/external_actions.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/records/libraries.h"
#include "platform/dynamic_library.h"
#include "platform/program_start.h"
#include "platform/text_file.h"

namespace varnex {

void RunCommandLine(BrainClass& brain, const std::string& commandLine) {
  if (!Permitted(brain, Permission::StartProgram, commandLine)) return;
  StartProgram(commandLine);
}

void LogThis(const std::string& fileName, const std::string& line) { AppendLine(fileName, line); }

namespace {

using AnswerFunction = int32_t (*)(const char*, char*);
// The contract gives a library 512 bytes for its answer; ours is larger so
// that one writing past the end cannot corrupt memory. Only the first 512
// bytes are read.
constexpr std::size_t kAnswerLimit = 512;
constexpr std::size_t kAnswerBuffer = 64 * 1024;

}  // namespace

void CallLibraryFunction(BrainClass& brain, const std::string& argument, const std::string& function,
                         const std::string& library) {
  void* handle = FindOrLoadLibrary(brain, library);
  if (!handle) return;
  auto fn = reinterpret_cast<AnswerFunction>(FindLibraryFunction(handle, function));
  std::vector<char> buffer(kAnswerBuffer, '\0');
  int32_t result = 0;
  try {
    if (fn) result = fn(argument.c_str(), buffer.data());
  } catch (...) {
    return;  // a failure inside the call ends the operation silently
  }
  if (result <= 0) return;
  std::size_t length = ::strnlen(buffer.data(), kAnswerLimit);
  if (static_cast<std::size_t>(result) < length) length = static_cast<std::size_t>(result);
  brain.AddFact(function, std::string(buffer.data(), length));
}

}  // namespace varnex
