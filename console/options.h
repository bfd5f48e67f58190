// Command-line options of the varnex program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnex {

struct ConsoleOptions {
  enum class Command { Chat, Fmt, WordDbBuild, WordDbAsk } command = Command::Chat;
  std::optional<uint64_t> seed;
  bool trace = false;
  std::optional<std::string> save;
  int idle = 0;  // seconds to keep the brain running after the last input
  bool reference = false;  // score every pattern, the reference way
  bool allowPrograms = false;
  bool allowLibraries = false;
  std::optional<std::string> words;  // a word database to open at start
  // Run limits of the brain; unset ones keep the engine's defaults.
  std::optional<double> timeLimit;  // seconds per input, 0 for none
  std::optional<std::size_t> valueLimit;       // bytes
  std::optional<std::size_t> collectionLimit;  // members
  std::vector<std::string> operands;  // of the worddb commands
  std::string brain;  // empty: the shipped demo brain
};

// Parses arguments (without the program name). Returns nullopt on bad usage.
std::optional<ConsoleOptions> ParseOptions(const std::vector<std::string>& args);
extern const char* const kUsage;

// The demo brain and the word database shipped with the program.
std::string DemoBrainPath();
std::string ShippedWordDatabasePath();

}  // namespace varnex
