// Line input from an interactive terminal: prompt, line editing and history,
// with a callback every second while waiting so the brain can speak on its
// own, and output that does not break the line being typed.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace varnex {

class TerminalInput {
 public:
  explicit TerminalInput(std::string prompt);
  ~TerminalInput();
  TerminalInput(const TerminalInput&) = delete;
  TerminalInput& operator=(const TerminalInput&) = delete;

  // Waits for one line, calling `tick` once a second meanwhile; nullopt at
  // end of input, or when a signal arrives and `interrupted` says so.
  std::optional<std::string> ReadLine(const std::function<void()>& tick, const std::function<bool()>& interrupted);
  // Prints a line while a line may be half typed, then redraws it.
  void PrintAbove(const std::string& line);

 private:
  std::string prompt_;
  bool waiting_ = false;
};

}  // namespace varnex
