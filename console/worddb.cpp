// varnex worddb: building a word database from sentences, and asking it.
#include <cstdio>

#include "console/commands.h"
#include "engine/template/word_database.h"
#include "engine/template/word_database_builder.h"
#include "platform/text_file.h"

namespace varnex {

int RunWordDb(const ConsoleOptions& options) {
  if (options.command == ConsoleOptions::Command::WordDbAsk) {
    std::string dir = options.operands[0];
    if (!dir.ends_with('/')) dir += '/';
    std::string answer = AskMentavo(options.operands[1], dir);
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
