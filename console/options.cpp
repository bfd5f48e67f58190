// The varnex program's command line, and where the shipped brain and word
// database live (beside the installed program, or in the source tree).
#include "console/options.h"

#include <unistd.h>

#include <algorithm>

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
    "usage: varnex chat [--seed N] [--trace] [--save FILE] [--idle SECONDS] [--commands]\n"
    "                   [--allow-programs] [--allow-libraries] [--words DIR] [--reference]\n"
    "                   [--time-limit SECONDS] [--value-limit BYTES] [--collection-limit MEMBERS] [BRAIN]\n"
    "       varnex check [--json] [--strict] BRAIN...\n"
    "       varnex test [--junit FILE] [--coverage] [--update] [--reference] TRANSCRIPT...\n"
    "       varnex explain [--count N] [--clause NAME] [--seed N] BRAIN INPUT\n"
    "       varnex fmt BRAIN\n"
    "       varnex import aiml [--report FILE] [--bot NAME=VALUE]... [--bot-properties FILE]\n"
    "                          FILE_OR_FOLDER... -o BRAIN\n"
    "       varnex serve [--listen HOST:PORT] [--store sqlite:PATH|memory|redis://HOST:PORT]\n"
    "                    [--learning off|shared] [--threads N] [--max-input BYTES] [--max-sessions N]\n"
    "                    [--rate PER_SECOND] [--seed N] [--words DIR] [--time-limit SECONDS]\n"
    "                    [--value-limit BYTES] [--collection-limit MEMBERS] BRAIN\n"
    "       varnex worddb build SENTENCES DIR\n"
    "       varnex worddb ask DIR QUESTION\n"
    "       varnex --help | --version\n";

const char* const kVersion = "varnex " VARNEX_VERSION "\n";

namespace {

using Parsed = std::variant<ConsoleOptions, UsageError>;

UsageError Wrong(const std::string& argument, const std::string& what) { return {argument + ": " + what}; }

bool IsHelp(const std::string& a) { return a == "--help" || a == "-h"; }

// The options every command reads the same way: a value after the option.
// Returns false when `a` is not one of them; sets `error` when it is and
// its value is wrong.
bool ValueOption(const std::vector<std::string>& args, std::size_t& i, ConsoleOptions& o,
                 std::optional<UsageError>& error) {
  const std::string& a = args[i];
  static const char* const kValued[] = {"--seed",       "--save",        "--idle",           "--words", "--time-limit",
                                        "--value-limit", "--collection-limit", "--junit", "--count",   "--clause"};
  bool known = false;
  for (const char* k : kValued) known = known || a == k;
  if (!known) return false;
  if (i + 1 >= args.size()) {
    error = Wrong(a, "needs a value");
    return true;
  }
  const std::string& v = args[++i];
  if (a == "--time-limit") {
    if (!(o.timeLimit = ReadSeconds(v))) error = Wrong(a, "\"" + v + "\" is not a number of seconds such as 10 or 0.5");
  } else if (a == "--value-limit") {
    // Below a kilobyte no brain could say anything useful.
    o.valueLimit = ReadCount(v, std::size_t{1} << 40);
    if (!o.valueLimit || *o.valueLimit < 1024) error = Wrong(a, "\"" + v + "\" is not a number of bytes from 1024");
  } else if (a == "--collection-limit") {
    if (!(o.collectionLimit = ReadCount(v, std::size_t{1} << 40))) error = Wrong(a, "\"" + v + "\" is not a count");
  } else if (a == "--save") {
    o.save = v;
  } else if (a == "--words") {
    o.words = v;
  } else if (a == "--junit") {
    o.junit = v;
  } else if (a == "--clause") {
    o.clause = v;
  } else if (a == "--count") {
    const auto n = ReadCount(v, 100000);
    if (!n || *n == 0) error = Wrong(a, "\"" + v + "\" is not a count from 1");
    else o.count = static_cast<int>(*n);
  } else if (a == "--idle") {
    const auto n = ReadCount(v, 999999);
    if (!n) error = Wrong(a, "\"" + v + "\" is not a whole number of seconds");
    else o.idle = static_cast<int>(*n);
  } else {
    if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos || v.size() > 19)
      error = Wrong(a, "\"" + v + "\" is not a whole number");
    else
      o.seed = std::stoull(v);
  }
  return true;
}

// The options and operands after a command word; `flags` are the switches
// the command takes, `values` the valued options it takes.
Parsed ParseCommand(const std::vector<std::string>& args, ConsoleOptions o, std::vector<std::string> flags,
                    std::vector<std::string> values, std::vector<std::string>& positional) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (IsHelp(a)) {
      o.command = ConsoleOptions::Command::Help;
      return o;
    }
    if (a.starts_with("-") && a != "-") {
      const bool isFlag = std::find(flags.begin(), flags.end(), a) != flags.end();
      const bool isValue = std::find(values.begin(), values.end(), a) != values.end();
      if (isFlag) {
        if (a == "--trace") o.trace = true;
        else if (a == "--reference") o.reference = true;
        else if (a == "--allow-programs") o.allowPrograms = true;
        else if (a == "--allow-libraries") o.allowLibraries = true;
        else if (a == "--commands") o.commands = true;
        else if (a == "--json") o.json = true;
        else if (a == "--strict") o.strict = true;
        else if (a == "--coverage") o.coverage = true;
        else if (a == "--update") o.update = true;
        continue;
      }
      if (isValue) {
        std::optional<UsageError> error;
        ValueOption(args, i, o, error);
        if (error) return *error;
        continue;
      }
      return Wrong(a, "not an option of varnex " + args[0]);
    }
    positional.push_back(a);
  }
  return o;
}

// varnex import aiml: its own options, some of them repeatable.
Parsed ParseImport(const std::vector<std::string>& args) {
  ConsoleOptions o;
  o.command = ConsoleOptions::Command::Import;
  if (args.size() > 1 && IsHelp(args[1])) {
    o.command = ConsoleOptions::Command::Help;
    return o;
  }
  if (args.size() < 2 || args[1] != "aiml")
    return Wrong("import", args.size() < 2 ? "needs a format: varnex import aiml FILE... -o BRAIN"
                                           : "\"" + args[1] + "\" is not a format it reads; it reads aiml");
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (IsHelp(a)) {
      o.command = ConsoleOptions::Command::Help;
      return o;
    }
    const bool valued = a == "-o" || a == "--output" || a == "--report" || a == "--bot" || a == "--bot-properties";
    if (valued) {
      if (i + 1 >= args.size()) return Wrong(a, "needs a value");
      const std::string& v = args[++i];
      if (a == "-o" || a == "--output") {
        if (v.empty()) return Wrong(a, "needs a file name");
        o.output = v;
      } else if (a == "--report") {
        o.report = v;
      } else if (a == "--bot-properties") {
        o.botProperties = v;
      } else {
        const std::size_t eq = v.find('=');
        if (eq == std::string::npos || eq == 0)
          return Wrong(a, "\"" + v + "\" is not NAME=VALUE, such as name=Alice");
        o.bot.emplace_back(v.substr(0, eq), v.substr(eq + 1));
      }
      continue;
    }
    if (a.starts_with("-") && a != "-") return Wrong(a, "not an option of varnex import aiml");
    o.operands.push_back(a);
  }
  if (o.operands.empty()) return Wrong("import aiml", "needs at least one AIML file or folder");
  if (o.output.empty()) return Wrong("import aiml", "needs -o BRAIN, the brain to write");
  return o;
}

// varnex serve: its own options, and the seed, word database and run
// limits as chat reads them.
Parsed ParseServe(const std::vector<std::string>& args) {
  ConsoleOptions o;
  o.command = ConsoleOptions::Command::Serve;
  std::vector<std::string> positional;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (IsHelp(a)) {
      o.command = ConsoleOptions::Command::Help;
      return o;
    }
    if (a == "--seed" || a == "--words" || a == "--time-limit" || a == "--value-limit" || a == "--collection-limit") {
      std::optional<UsageError> error;
      ValueOption(args, i, o, error);
      if (error) return *error;
      continue;
    }
    const bool valued = a == "--listen" || a == "--store" || a == "--learning" || a == "--threads" ||
                        a == "--max-input" || a == "--max-sessions" || a == "--rate";
    if (valued) {
      if (i + 1 >= args.size()) return Wrong(a, "needs a value");
      const std::string& v = args[++i];
      if (a == "--listen") {
        const std::size_t colon = v.rfind(':');
        std::string host = colon == std::string::npos ? "" : v.substr(0, colon);
        const auto port = colon == std::string::npos ? std::nullopt : ReadCount(v.substr(colon + 1), 65535);
        if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
        if (host.empty() || !port)
          return Wrong(a, "\"" + v + "\" is not HOST:PORT, such as 127.0.0.1:8080 (port 0 picks a free one)");
        o.listenHost = host;
        o.listenPort = static_cast<int>(*port);
      } else if (a == "--store") {
        // A Redis URL is read in full when the store is opened.
        if (v != "memory" && !(v.starts_with("sqlite:") && v.size() > 7) && !v.starts_with("redis://") &&
            !v.starts_with("redis+unix://"))
          return Wrong(a, "\"" + v + "\" is not sqlite:PATH, memory, redis://HOST:PORT or redis+unix:///SOCKET");
        o.store = v;
      } else if (a == "--learning") {
        if (v != "off" && v != "shared") return Wrong(a, "\"" + v + "\" is not off or shared");
        o.sharedLearning = v == "shared";
      } else if (a == "--threads") {
        const auto n = ReadCount(v, 256);
        if (!n || *n == 0) return Wrong(a, "\"" + v + "\" is not a count from 1 to 256");
        o.threads = static_cast<int>(*n);
      } else if (a == "--max-input") {
        const auto n = ReadCount(v, std::size_t{1} << 30);
        if (!n || *n == 0) return Wrong(a, "\"" + v + "\" is not a number of bytes from 1");
        o.maxInput = *n;
      } else if (a == "--max-sessions") {
        const auto n = ReadCount(v, std::size_t{1} << 40);
        if (!n || *n == 0) return Wrong(a, "\"" + v + "\" is not a count from 1");
        o.maxSessions = *n;
      } else {
        const auto n = ReadSeconds(v);
        if (!n) return Wrong(a, "\"" + v + "\" is not a number of inputs a second such as 10 or 0.5 (0: no limit)");
        o.rate = *n;
      }
      continue;
    }
    if (a.starts_with("-") && a != "-") return Wrong(a, "not an option of varnex serve");
    positional.push_back(a);
  }
  if (positional.empty()) return Wrong("serve", "needs a brain file");
  if (positional.size() > 1)
    return Wrong(positional[1], "serve takes one brain file, and " + positional[0] + " is one already");
  o.brain = positional[0];
  return o;
}

}  // namespace

Parsed ParseOptions(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError{"a command is needed"};
  ConsoleOptions o;
  const std::string& command = args[0];
  if (IsHelp(command)) {
    o.command = ConsoleOptions::Command::Help;
    return o;
  }
  if (command == "--version") {
    o.command = ConsoleOptions::Command::Version;
    return o;
  }
  std::vector<std::string> positional;
  if (command == "fmt") {
    o.command = ConsoleOptions::Command::Fmt;
    Parsed p = ParseCommand(args, o, {}, {}, positional);
    if (std::holds_alternative<UsageError>(p) || std::get<ConsoleOptions>(p).command == ConsoleOptions::Command::Help)
      return p;
    if (positional.size() != 1) return Wrong("fmt", "needs exactly one brain file");
    std::get<ConsoleOptions>(p).brain = positional[0];
    return p;
  }
  if (command == "worddb") {
    if (args.size() > 1 && IsHelp(args[1])) {
      o.command = ConsoleOptions::Command::Help;
      return o;
    }
    if (args.size() < 2 || (args[1] != "build" && args[1] != "ask"))
      return Wrong("worddb", "needs \"build SENTENCES DIR\" or \"ask DIR QUESTION\"");
    if (args.size() != 4) return Wrong("worddb " + args[1], "needs exactly two operands");
    o.command = args[1] == "build" ? ConsoleOptions::Command::WordDbBuild : ConsoleOptions::Command::WordDbAsk;
    o.operands.assign(args.begin() + 2, args.end());
    return o;
  }
  if (command == "check") {
    o.command = ConsoleOptions::Command::Check;
    Parsed p = ParseCommand(args, o, {"--json", "--strict"}, {}, positional);
    if (std::holds_alternative<UsageError>(p) || std::get<ConsoleOptions>(p).command == ConsoleOptions::Command::Help)
      return p;
    if (positional.empty()) return Wrong("check", "needs at least one brain file");
    std::get<ConsoleOptions>(p).operands = positional;
    return p;
  }
  if (command == "test") {
    o.command = ConsoleOptions::Command::Test;
    Parsed p = ParseCommand(args, o, {"--coverage", "--update", "--reference"}, {"--junit"}, positional);
    if (std::holds_alternative<UsageError>(p) || std::get<ConsoleOptions>(p).command == ConsoleOptions::Command::Help)
      return p;
    if (positional.empty()) return Wrong("test", "needs at least one transcript file");
    std::get<ConsoleOptions>(p).operands = positional;
    return p;
  }
  if (command == "explain") {
    o.command = ConsoleOptions::Command::Explain;
    Parsed p = ParseCommand(args, o, {"--reference"}, {"--count", "--clause", "--seed"}, positional);
    if (std::holds_alternative<UsageError>(p) || std::get<ConsoleOptions>(p).command == ConsoleOptions::Command::Help)
      return p;
    if (positional.size() != 2) return Wrong("explain", "needs a brain file and an input");
    std::get<ConsoleOptions>(p).brain = positional[0];
    std::get<ConsoleOptions>(p).input = positional[1];
    return p;
  }
  if (command == "import") return ParseImport(args);
  if (command == "serve") return ParseServe(args);
  if (command != "chat") return Wrong(command, "not a command of varnex");
  o.command = ConsoleOptions::Command::Chat;
  Parsed p = ParseCommand(args, o, {"--trace", "--reference", "--allow-programs", "--allow-libraries", "--commands"},
                          {"--seed", "--save", "--idle", "--words", "--time-limit", "--value-limit", "--collection-limit"},
                          positional);
  if (std::holds_alternative<UsageError>(p) || std::get<ConsoleOptions>(p).command == ConsoleOptions::Command::Help)
    return p;
  if (positional.size() > 1) return Wrong(positional[1], "chat takes one brain file, and " + positional[0] + " is one already");
  if (!positional.empty()) std::get<ConsoleOptions>(p).brain = positional[0];
  return p;
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
