// Command-line options of the varnex program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnex {

struct ConsoleOptions {
  enum class Command { Chat, Fmt } command = Command::Chat;
  std::optional<uint64_t> seed;
  bool trace = false;
  std::optional<std::string> save;
  int idle = 0;  // seconds to keep the brain running after the last input
  std::string brain;  // empty: the shipped demo brain
};

// Parses arguments (without the program name). Returns nullopt on bad usage.
std::optional<ConsoleOptions> ParseOptions(const std::vector<std::string>& args);
extern const char* const kUsage;

// The demo brain shipped with the program.
std::string DemoBrainPath();

}  // namespace varnex
