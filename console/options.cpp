#include "console/options.h"

#include <unistd.h>

#include "engine/template/numbers.h"
#include "platform/text_file.h"

namespace varnex {

const char* const kUsage =
    "usage: varnex chat [--seed N] [--trace] [--save FILE] [--idle SECONDS] [BRAIN]\n"
    "       varnex fmt BRAIN\n";

std::optional<ConsoleOptions> ParseOptions(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  ConsoleOptions o;
  std::vector<std::string> positional;
  if (args[0] == "fmt") {
    o.command = ConsoleOptions::Command::Fmt;
    if (args.size() != 2 || args[1].starts_with("--")) return std::nullopt;
    o.brain = args[1];
    return o;
  }
  if (args[0] != "chat") return std::nullopt;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--trace") {
      o.trace = true;
    } else if (a == "--seed" || a == "--save" || a == "--idle") {
      if (i + 1 >= args.size()) return std::nullopt;
      const std::string& v = args[++i];
      if (a == "--save") {
        o.save = v;
      } else if (a == "--idle") {
        if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos || v.size() > 6) return std::nullopt;
        o.idle = std::stoi(v);
      } else {
        if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos || v.size() > 19) return std::nullopt;
        o.seed = std::stoull(v);
      }
    } else if (a.starts_with("--")) {
      return std::nullopt;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() > 1) return std::nullopt;
  if (!positional.empty()) o.brain = positional[0];
  return o;
}

std::string DemoBrainPath() {
  // Installed beside the program (bin/../share/varnex/brains), or the source
  // tree's brains when running from a build tree.
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string exe(self, static_cast<std::size_t>(n));
    std::string dir = exe.substr(0, exe.rfind('/'));
    std::string installed = dir + "/../share/varnex/brains/demo.vlf";
    if (IsRegularFile(installed)) return installed;
  }
  return std::string(VARNEX_SOURCE_BRAINS) + "/demo.vlf";
}

}  // namespace varnex
