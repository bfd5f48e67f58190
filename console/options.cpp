// The varnex program's command line, and where the shipped brain and word
// database live (beside the installed program, or in the source tree).
#include "console/options.h"

#include <unistd.h>

#include "platform/text_file.h"

namespace varnex {
namespace {

// A count given on the command line: decimal digits only, within range.
std::optional<std::size_t> ReadCount(const std::string& v, std::size_t max) {
  if (v.empty() || v.size() > 12 || v.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const unsigned long long n = std::stoull(v);
  if (n > max) return std::nullopt;
  return static_cast<std::size_t>(n);
}

// Seconds: digits with an optional fraction, such as 10 or 0.5.
std::optional<double> ReadSeconds(const std::string& v) {
  const std::size_t dot = v.find('.');
  const std::string whole = v.substr(0, dot);
  const std::string fraction = dot == std::string::npos ? "" : v.substr(dot + 1);
  auto digits = [](const std::string& d) { return d.find_first_not_of("0123456789") == std::string::npos; };
  if (whole.empty() || whole.size() > 7 || !digits(whole) || !digits(fraction) || fraction.size() > 6 ||
      (dot != std::string::npos && fraction.empty()))
    return std::nullopt;
  return std::stod(v);
}

}  // namespace

const char* const kUsage =
    "usage: varnex chat [--seed N] [--trace] [--save FILE] [--idle SECONDS]\n"
    "                   [--allow-programs] [--allow-libraries] [--words DIR] [--reference]\n"
    "                   [--time-limit SECONDS] [--value-limit BYTES] [--collection-limit MEMBERS] [BRAIN]\n"
    "       varnex fmt BRAIN\n"
    "       varnex worddb build SENTENCES DIR\n"
    "       varnex worddb ask DIR QUESTION\n";

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
  if (args[0] == "worddb") {
    if (args.size() != 4 || (args[1] != "build" && args[1] != "ask")) return std::nullopt;
    o.command = args[1] == "build" ? ConsoleOptions::Command::WordDbBuild : ConsoleOptions::Command::WordDbAsk;
    o.operands.assign(args.begin() + 2, args.end());
    return o;
  }
  if (args[0] != "chat") return std::nullopt;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--trace") {
      o.trace = true;
    } else if (a == "--reference") {
      o.reference = true;
    } else if (a == "--allow-programs") {
      o.allowPrograms = true;
    } else if (a == "--allow-libraries") {
      o.allowLibraries = true;
    } else if (a == "--seed" || a == "--save" || a == "--idle" || a == "--words" || a == "--time-limit" ||
               a == "--value-limit" || a == "--collection-limit") {
      if (i + 1 >= args.size()) return std::nullopt;
      const std::string& v = args[++i];
      if (a == "--time-limit") {
        if (!(o.timeLimit = ReadSeconds(v))) return std::nullopt;
      } else if (a == "--value-limit") {
        // Below a kilobyte no brain could say anything useful.
        o.valueLimit = ReadCount(v, std::size_t{1} << 40);
        if (!o.valueLimit || *o.valueLimit < 1024) return std::nullopt;
      } else if (a == "--collection-limit") {
        if (!(o.collectionLimit = ReadCount(v, std::size_t{1} << 40))) return std::nullopt;
      } else if (a == "--save") {
        o.save = v;
      } else if (a == "--words") {
        o.words = v;
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

namespace {
// The program's own folder.
std::string ProgramFolder() {
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return ".";
  std::string exe(self, static_cast<std::size_t>(n));
  return exe.substr(0, exe.rfind('/'));
}
}  // namespace

std::string DemoBrainPath() {
  // Installed beside the program (bin/../share/varnex/brains), or the source
  // tree's brains when running from a build tree.
  std::string installed = ProgramFolder() + "/../share/varnex/brains/demo.vlf";
  if (IsRegularFile(installed)) return installed;
  return std::string(VARNEX_SOURCE_BRAINS) + "/demo.vlf";
}

std::string ShippedWordDatabasePath() {
  // Built beside the program: <build>/console/varnex and <build>/brains/worddb.
  std::string folder = ProgramFolder() + "/../share/varnex/worddb/";
  if (IsRegularFile(folder + "Words.str")) return folder;
  return ProgramFolder() + "/../brains/worddb/";
}

}  // namespace varnex
