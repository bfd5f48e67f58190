#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "console/commands.h"

int main(int argc, char** argv) {
  // Dates and times follow the user's locale; numbers stay in the C locale.
  std::setlocale(LC_TIME, "");
  std::vector<std::string> args(argv + 1, argv + argc);
  auto options = varnex::ParseOptions(args);
  if (!options) {
    std::fputs(varnex::kUsage, stderr);
    return 2;
  }
  switch (options->command) {
    case varnex::ConsoleOptions::Command::Fmt: return varnex::RunFmt(*options);
    case varnex::ConsoleOptions::Command::WordDbBuild:
    case varnex::ConsoleOptions::Command::WordDbAsk: return varnex::RunWordDb(*options);
    default: return varnex::RunChat(*options);
  }
}
