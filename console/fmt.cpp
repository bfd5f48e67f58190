// varnex fmt: a brain read and written back exactly as Save writes it.
#include <cstdio>
#include <exception>

#include "console/commands.h"
#include "engine/varnex.h"

namespace varnex {

bool BrainFileOpens(const std::string& path) {
  const auto problem = Brain::CannotOpen(path);
  if (!problem) return true;
  std::fprintf(stderr, "%s\n", problem->c_str());
  std::fflush(stderr);
  return false;
}

std::string ReaderMessagePlace(const std::string& file, int line, const std::string& text) {
  if (file.empty()) return text;
  if (line <= 0) return file + ": " + text;
  return file + ":" + std::to_string(line) + ": " + text;
}

int RunFmt(const ConsoleOptions& options) {
  if (!BrainFileOpens(options.brain)) return 1;
  Brain brain;
  brain.On().readerMessageAt = [](const std::string& file, int line, const std::string& text) {
    const std::string placed = ReaderMessagePlace(file, line, text);
    std::fwrite(placed.data(), 1, placed.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
  };
  const RunResult read = brain.ReadFile(options.brain);
  if (!read.Done()) std::fprintf(stderr, "Error: %s\n", read.message.c_str());
  for (const auto& l : brain.Text()) {
    std::fwrite(l.data(), 1, l.size(), stdout);
    std::fputs("\r\n", stdout);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace varnex
