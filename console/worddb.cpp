// varnex worddb: building a word database from sentences, and asking it.
#include <cstdio>

#include "console/commands.h"
#include "engine/varnex.h"
#include "platform/text_file.h"

namespace varnex {

int RunWordDb(const ConsoleOptions& options) {
  if (options.command == ConsoleOptions::Command::WordDbAsk) {
    std::string answer = AskWordDatabase(options.operands[0], options.operands[1]);
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
  }
  const std::string& source = options.operands[0];
  std::vector<std::string> lines;
  if (!ReadAllLines(source, lines)) {
    std::fprintf(stderr, "Could not open file: %s\n", source.c_str());
    return 1;
  }
  std::vector<std::string> messages;
  std::string error = BuildWordDatabase(lines, options.operands[1], messages);
  for (const auto& m : messages) std::fprintf(stderr, "%s\n", m.c_str());
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace varnex
