// Command-line options of the varnex program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace varnex {

struct ConsoleOptions {
  enum class Command { Chat, Fmt, WordDbBuild, WordDbAsk, Check, Test, Explain, Import, Serve, Help, Version } command =
      Command::Chat;
  std::optional<uint64_t> seed;
  bool trace = false;
  std::optional<std::string> save;
  int idle = 0;  // seconds to keep the brain running after the last input
  bool reference = false;  // score every pattern, the reference way
  bool allowPrograms = false;
  bool allowLibraries = false;
  bool commands = false;  // lines beginning with ':' are console commands even when piped
  std::optional<std::string> words;  // a word database to open at start
  // Run limits of the brain; unset ones keep the engine's defaults.
  std::optional<double> timeLimit;  // seconds per input, 0 for none
  std::optional<std::size_t> valueLimit;       // bytes
  std::optional<std::size_t> collectionLimit;  // members
  // varnex check
  bool json = false;
  bool strict = false;
  // varnex test
  std::optional<std::string> junit;
  bool coverage = false;
  bool update = false;
  // varnex explain
  int count = 5;
  std::string clause;
  std::string input;
  // varnex import aiml: the inputs are the operands
  std::string output;                   // -o, --output: the brain to write
  std::optional<std::string> report;    // --report FILE
  std::vector<std::pair<std::string, std::string>> bot;  // --bot NAME=VALUE, in order
  std::optional<std::string> botProperties;              // --bot-properties FILE
  // varnex serve
  std::string listenHost = "127.0.0.1";
  int listenPort = 8080;        // 0: any free port
  std::string store;            // "memory" or "sqlite:PATH"; empty: sqlite beside the brain
  bool sharedLearning = false;  // --learning shared
  int threads = 2;
  std::size_t maxInput = 64 * 1024;
  std::size_t maxSessions = 100000;
  double rate = 10;  // inputs per second per session, 0 for no limit
  std::vector<std::string> operands;  // files of check, test and import, or of the worddb commands
  std::string brain;  // empty: the shipped demo brain
};

// What is wrong with the arguments, for the user: "ARGUMENT: what is wrong".
struct UsageError {
  std::string message;
};

// Parses arguments (without the program name).
std::variant<ConsoleOptions, UsageError> ParseOptions(const std::vector<std::string>& args);
extern const char* const kUsage;
extern const char* const kVersion;

// The demo brain and the word database shipped with the program.
std::string DemoBrainPath();
std::string ShippedWordDatabasePath();

}  // namespace varnex
