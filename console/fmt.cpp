// varnex fmt: a brain read and written back exactly as Save writes it.
#include <cstdio>
#include <exception>

#include "console/commands.h"
#include "engine/records/brain.h"
#include "engine/language/reader.h"
#include "engine/language/writer.h"
#include "platform/text_file.h"

namespace varnex {

bool BrainFileOpens(const std::string& path) {
  LineReader probe;
  if (probe.Open(path)) return true;
  std::fprintf(stderr, "Could not open file: %s\n", path.c_str());
  std::fflush(stderr);
  return false;
}

int RunFmt(const ConsoleOptions& options) {
  if (!BrainFileOpens(options.brain)) return 1;
  BrainClass brain;
  brain.ReaderMessage = [](const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
  };
  try {
    LoadLanguageFile(brain, options.brain);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Error: %s\n", e.what());
  }
  std::vector<std::string> lines;
  SaveLanguageText(brain, lines);
  for (const auto& l : lines) {
    std::fwrite(l.data(), 1, l.size(), stdout);
    std::fputs("\r\n", stdout);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace varnex
