// varnex chat: a conversation with a brain on standard input and output.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

#include "console/commands.h"
#include "console/terminal.h"
#include "engine/varnex.h"

namespace varnex {
namespace {

// Answers on standard output are buffered, and written out when the program
// is about to wait for input (see PipedInput), so that a conversation piped
// through the program costs no system call per line; a program that drives
// it line by line still has each answer before it sends the next line.
// Standard error is written at once, after whatever standard output holds,
// so that the two keep their order when they go to the same place.
void PrintLine(std::FILE* f, const std::string& line) {
  if (f != stdout) std::fflush(stdout);
  std::fwrite(line.data(), 1, line.size(), f);
  std::fputc('\n', f);
  if (f != stdout) std::fflush(f);
}

// The volition timer as the console runs it: a flag the input loop reads
// once a second.
class ConsoleTimer : public VolitionTimerInterface {
 public:
  void Start(int) override { running_ = true; }
  void Stop() override { running_ = false; }
  bool Running() const { return running_; }

 private:
  bool running_ = false;
};

// Ctrl-C. While the engine works it stops the running input, not the
// program; a second one while that stop is pending ends the program as
// usual. While the program waits for input it ends the conversation as the
// end of input does, so --save and the Finalize clauses still run.
std::atomic<Brain*> gRunning{nullptr};
volatile std::sig_atomic_t gInterruptsThisCall = 0;
volatile std::sig_atomic_t gQuit = 0;

void OnInterrupt(int) {
  Brain* brain = gRunning.load();
  if (!brain) {
    gQuit = 1;
    return;
  }
  if (gInterruptsThisCall == 0) {
    gInterruptsThisCall = 1;
    brain->RequestStop();
    return;
  }
  std::signal(SIGINT, SIG_DFL);
  std::raise(SIGINT);
}

void CatchInterrupts() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;  // reads and writes go on; select() still wakes
  sigaction(SIGINT, &sa, nullptr);
}

// Runs one engine call; a run that was stopped or failed is reported and
// the conversation goes on.
template <class F>
void Guarded(Brain& brain, F&& f) {
  gInterruptsThisCall = 0;
  gRunning = &brain;
  const RunResult result = f();
  gRunning = nullptr;
  if (!result.Done()) PrintLine(stderr, "Error: " + result.message);
}

// Lines of standard input when it is not a terminal. Before it has to wait
// for more input, it writes out what standard output holds.
class PipedInput {
 public:
  bool Next(std::string& line) {
    for (;;) {
      const std::size_t nl = buffer_.find('\n', pos_);
      if (nl != std::string::npos) {
        line.assign(buffer_, pos_, nl - pos_);
        pos_ = nl + 1;
        break;
      }
      if (eof_) {
        if (pos_ >= buffer_.size()) return false;
        line.assign(buffer_, pos_, std::string::npos);
        pos_ = buffer_.size();
        break;
      }
      buffer_.erase(0, pos_);
      pos_ = 0;
      std::fflush(stdout);
      char chunk[65536];
      const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) {
        if (gQuit) return false;
        continue;
      }
      if (n <= 0)
        eof_ = true;
      else
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }

 private:
  std::string buffer_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

}  // namespace

int RunChat(const ConsoleOptions& options) {
  if (options.seed) FixRandomSeed(static_cast<uint64_t>(*options.seed));
  const std::string path = options.brain.empty() ? DemoBrainPath() : options.brain;

  const bool interactive = ::isatty(STDIN_FILENO);
  std::unique_ptr<TerminalInput> terminal;
  if (interactive) terminal = std::make_unique<TerminalInput>("[user]: ");  // the typed line is the echo

  auto print = [&](const std::string& line) {
    if (terminal)
      terminal->PrintAbove(line);
    else
      PrintLine(stdout, line);
  };

  Brain brain;
  brain.On().answer = [&](const std::string& text) {
    if (!text.empty()) print("[Varnex]: " + text);
  };
  brain.SetFastPath(!options.reference);
  if (options.timeLimit) brain.Limits().Seconds = *options.timeLimit;
  if (options.valueLimit) brain.Limits().ValueBytes = *options.valueLimit;
  if (options.collectionLimit) brain.Limits().CollectionMembers = *options.collectionLimit;
  // Failures of single tags and tasks: reported, and the input goes on.
  brain.On().error = [](const std::string& text) { PrintLine(stderr, "Error: " + text); };
  CatchInterrupts();
  ConsoleTimer timer;
  brain.SetVolitionTimer(&timer);
  brain.On().readerMessage = [](const std::string& text) { PrintLine(stderr, text); };
  if (options.trace) brain.SetTrace([](const std::string& line) { PrintLine(stderr, line); });
  // Programs and libraries run only when the user said so; the first refusal
  // of each kind says how to allow it.
  bool toldPrograms = false, toldLibraries = false;
  brain.On().permission = [&](Permission kind, const std::string&) {
    const bool programs = kind == Permission::StartProgram;
    if (programs ? options.allowPrograms : options.allowLibraries) return true;
    bool& told = programs ? toldPrograms : toldLibraries;
    if (!told) {
      told = true;
      PrintLine(stderr, programs ? "varnex: the brain tried to start a program; run with --allow-programs to let it"
                                 : "varnex: the brain tried to load a library; run with --allow-libraries to let it");
    }
    return false;
  };
  // The word database opens once, with the first folder it is given: the
  // one named on the command line, or the shipped one for the demo brain.
  if (options.words)
    OpenWordDatabase(*options.words);
  else if (options.brain.empty())
    OpenWordDatabase(ShippedWordDatabasePath());

  if (!BrainFileOpens(path)) return 1;
  Guarded(brain, [&] { return brain.ReadFile(path); });
  Guarded(brain, [&] { return brain.Start(); });

  std::string line;
  PipedInput piped;
  while (!gQuit) {
    if (terminal) {
      auto got = terminal->ReadLine(
          [&] {
            if (timer.Running()) Guarded(brain, [&] { return brain.Tick(); });
          },
          [] { return gQuit != 0; });
      if (!got) break;
      line = *got;
    } else if (!piped.Next(line) || gQuit) {
      break;
    }
    if (!terminal) PrintLine(stdout, "[user]: " + line);
    Guarded(brain, [&] { return brain.Answer(line); });
  }

  // Keep the brain alive a while after the last input, so that it can speak
  // on its own; its tick comes once a second as on a terminal. Ticks are a
  // full second apart even when one comes late, as a periodic timer's are.
  for (int second = 1; second <= options.idle && !gQuit; ++second) {
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (timer.Running()) Guarded(brain, [&] { return brain.Tick(); });
  }

  int status = 0;
  if (options.save) {
    std::string error = brain.Save(*options.save);
    if (!error.empty()) {
      PrintLine(stderr, error);
      status = 1;
    }
  }
  Guarded(brain, [&] { return brain.Stop(); });
  return status;
}

}  // namespace varnex
