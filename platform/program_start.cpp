// Starting a program without a shell: the command line split as a desktop
// would split it, posix_spawnp, and a detached waiter that reaps it.
#include "platform/program_start.h"

#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace varnex {

std::vector<std::string> SplitCommandLine(const std::string& s) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = s.size();
  for (;;) {
    while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || (s[i] != ' ' && s[i] != '\t'))) {
      if (s[i] == '\\') {
        std::size_t slashes = 0;
        while (i < n && s[i] == '\\') ++slashes, ++i;
        if (i < n && s[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2) arg.push_back('"'), ++i;  // an escaped quote
        } else {
          arg.append(slashes, '\\');
        }
      } else if (s[i] == '"') {
        if (quoted && i + 1 < n && s[i + 1] == '"') {
          arg.push_back('"');
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg.push_back(s[i++]);
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

bool StartProgram(const std::string& commandLine) {
  if (commandLine.find('\0') != std::string::npos) return false;
  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.empty() || args[0].empty()) return false;
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  // The program runs on its own; a small waiter collects its exit status so
  // that it does not linger as a zombie.
  std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
  return true;
}

}  // namespace varnex
