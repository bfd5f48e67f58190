// Line input on a terminal through libedit's callback interface, so that the
// volition tick can run while the user types.
#include "console/terminal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <editline/readline.h>
#include <sys/select.h>
#include <unistd.h>

namespace varnex {
namespace {

// libedit's callback interface hands the finished line to a plain function.
bool gDone = false;
std::optional<std::string> gLine;

void OnLine(char* line) {
  gDone = true;
  if (line) {
    gLine = std::string(line);
    if (*line) add_history(line);
    std::free(line);
  } else {
    gLine.reset();
  }
}

}  // namespace

TerminalInput::TerminalInput(std::string prompt) : prompt_(std::move(prompt)) { using_history(); }

TerminalInput::~TerminalInput() = default;

std::optional<std::string> TerminalInput::ReadLine(const std::function<void()>& tick,
                                                   const std::function<bool()>& interrupted) {
  gDone = false;
  gLine.reset();
  rl_callback_handler_install(prompt_.c_str(), OnLine);
  waiting_ = true;
  while (!gDone) {
    // A signal that came before select() began would not interrupt it: look
    // first, so that Ctrl-C at the prompt is never lost (select wakes at
    // least once a second to look again).
    if (interrupted && interrupted()) {
      std::fputc('\n', stdout);
      break;
    }
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(STDIN_FILENO, &fds);
    struct timeval tv {1, 0};
    int r = select(STDIN_FILENO + 1, &fds, nullptr, nullptr, &tv);
    if (r < 0) {
      if (errno != EINTR) break;
      continue;
    }
    if (r == 0) {
      if (tick) tick();
      continue;
    }
    rl_callback_read_char();
  }
  waiting_ = false;
  rl_callback_handler_remove();
  // Ctrl-D leaves the cursor after the prompt: end the line, so the shell's
  // prompt comes back on a line of its own.
  if (gDone && !gLine) {
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return gLine;
}

void TerminalInput::PrintAbove(const std::string& line) {
  // Clear the line being typed, print, and let the editor redraw it.
  if (waiting_) std::fputs("\r\x1b[K", stdout);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  if (waiting_) rl_forced_update_display();
}

}  // namespace varnex
