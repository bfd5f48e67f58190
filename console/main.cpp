#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "console/commands.h"

int main(int argc, char** argv) {
  // Dates and times follow the user's locale; numbers stay in the C locale.
  std::setlocale(LC_TIME, "");
  std::vector<std::string> args(argv + 1, argv + argc);
  const auto parsed = varnex::ParseOptions(args);
  if (const auto* wrong = std::get_if<varnex::UsageError>(&parsed)) {
    std::fprintf(stderr, "varnex: %s\n%s", wrong->message.c_str(), varnex::kUsage);
    return 2;
  }
  const auto& options = std::get<varnex::ConsoleOptions>(parsed);
  using Command = varnex::ConsoleOptions::Command;
  switch (options.command) {
    case Command::Help: std::fputs(varnex::kUsage, stdout); return 0;
    case Command::Version: std::fputs(varnex::kVersion, stdout); return 0;
    case Command::Fmt: return varnex::RunFmt(options);
    case Command::WordDbBuild:
    case Command::WordDbAsk: return varnex::RunWordDb(options);
    case Command::Check: return varnex::RunCheck(options);
    case Command::Test: return varnex::RunTest(options);
    case Command::Explain: return varnex::RunExplain(options);
    case Command::Import: return varnex::RunImport(options);
    case Command::Serve: return varnex::RunServe(options);
    case Command::Chat: break;
  }
  return varnex::RunChat(options);
}
