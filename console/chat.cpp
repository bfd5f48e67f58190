// varnex chat: a conversation with a brain on standard input and output.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>
#include <cstdio>
#include <thread>
#include <unistd.h>

#include "console/commands.h"
#include "console/explain.h"
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

namespace {

const char* const kCommandHelp =
    "Commands (a line that begins with a colon; \"::\" sends a line that begins with one):\n"
    "  :help            this list\n"
    "  :quit            end the conversation (as the end of input does)\n"
    "  :why             how the clauses scored the last input\n"
    "  :explain TEXT    how the clauses would score TEXT\n"
    "  :save FILE       save the brain to FILE\n"
    "  :reload          read the brain file again, as a new brain\n"
    "  :trace on|off    show every step of the engine, or stop";

// One conversation: the brain, how it is set up, and the console commands.
class Chat {
 public:
  Chat(const ConsoleOptions& options, std::string path, std::function<void(const std::string&)> print)
      : options_(options), path_(std::move(path)), print_(std::move(print)) {}

  ConsoleTimer& Timer() { return timer_; }
  Brain& CurrentBrain() { return *brain_; }

  // Makes and reads the brain and lets it start.
  void Open() {
    brain_ = std::make_unique<Brain>();
    Brain& brain = *brain_;
    brain.On().answer = [this](const std::string& text) {
      if (!text.empty()) print_("[Varnex]: " + text);
    };
    brain.SetFastPath(!options_.reference);
    if (options_.timeLimit) brain.Limits().Seconds = *options_.timeLimit;
    if (options_.valueLimit) brain.Limits().ValueBytes = *options_.valueLimit;
    if (options_.collectionLimit) brain.Limits().CollectionMembers = *options_.collectionLimit;
    // Failures of single tags and tasks: reported, and the input goes on.
    brain.On().error = [](const std::string& text) { PrintLine(stderr, "Error: " + text); };
    brain.SetVolitionTimer(&timer_);
    brain.On().readerMessageAt = [](const std::string& file, int line, const std::string& text) {
      PrintLine(stderr, ReaderMessagePlace(file, line, text));
    };
    if (trace_) SetTracing(true);
    // Programs and libraries run only when the user said so; the first
    // refusal of each kind says how to allow it.
    brain.On().permission = [this](Permission kind, const std::string&) {
      const bool programs = kind == Permission::StartProgram;
      if (programs ? options_.allowPrograms : options_.allowLibraries) return true;
      bool& told = programs ? toldPrograms_ : toldLibraries_;
      if (!told) {
        told = true;
        PrintLine(stderr, programs ? "varnex: the brain tried to start a program; run with --allow-programs to let it"
                                   : "varnex: the brain tried to load a library; run with --allow-libraries to let it");
      }
      return false;
    };
    Guarded(brain, [&] { return brain.ReadFile(path_); });
    Guarded(brain, [&] { return brain.Start(); });
  }

  void Answer(const std::string& line) {
    lastInput_ = line;
    answered_ = true;
    Guarded(*brain_, [&] { return brain_->Answer(line); });
  }

  // A console command; returns false when the conversation should end.
  bool Command(const std::string& line) {
    const std::size_t blank = line.find(' ');
    const std::string name = line.substr(0, blank);
    std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
    while (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
    while (!rest.empty() && rest.back() == ' ') rest.pop_back();
    if (name == ":help") {
      Say(kCommandHelp);
    } else if (name == ":quit" || name == ":exit") {
      return false;
    } else if (name == ":why") {
      if (!answered_)
        Say("There is no input yet to explain.");
      else
        Explain(lastInput_);
    } else if (name == ":explain") {
      Explain(rest);
    } else if (name == ":save") {
      if (rest.empty()) {
        Say("Which file? :save FILE");
      } else {
        const std::string error = brain_->Save(rest);
        Say(error.empty() ? "Saved the brain to " + rest + "." : "Not saved: " + error);
      }
    } else if (name == ":reload") {
      if (!Brain::CannotOpen(path_)) {
        Guarded(*brain_, [&] { return brain_->Stop(); });
        Open();
        answered_ = false;
        Say("Read " + path_ + " again.");
      } else {
        Say(*Brain::CannotOpen(path_) + "; the brain stays as it was.");
      }
    } else if (name == ":trace") {
      if (rest == "on" || rest == "off") {
        trace_ = rest == "on";
        SetTracing(trace_);
        Say(trace_ ? "Tracing is on." : "Tracing is off.");
      } else {
        Say("Say :trace on or :trace off.");
      }
    } else {
      Say("Unknown command " + name + "; :help lists the commands, and ::text sends \":text\".");
    }
    return true;
  }

 private:
  void Say(const std::string& text) {
    std::size_t from = 0;
    while (from <= text.size()) {
      const std::size_t nl = text.find('\n', from);
      print_(text.substr(from, nl == std::string::npos ? std::string::npos : nl - from));
      if (nl == std::string::npos || nl + 1 >= text.size()) break;
      from = nl + 1;
    }
  }
  void Explain(const std::string& input) {
    Say(DescribeExplanation(brain_->Explain(input, 5), input));
  }
  void SetTracing(bool on) {
    if (on)
      brain_->SetTrace([](const std::string& line) { PrintLine(stderr, line); });
    else
      brain_->SetTrace(nullptr);
  }

  const ConsoleOptions& options_;
  std::string path_;
  std::function<void(const std::string&)> print_;
  std::unique_ptr<Brain> brain_;
  ConsoleTimer timer_;
  bool trace_ = options_.trace;
  bool toldPrograms_ = false, toldLibraries_ = false;
  std::string lastInput_;
  bool answered_ = false;
};

}  // namespace

int RunChat(const ConsoleOptions& options) {
  if (options.seed) FixRandomSeed(static_cast<uint64_t>(*options.seed));
  const std::string path = options.brain.empty() ? DemoBrainPath() : options.brain;

  const bool interactive = ::isatty(STDIN_FILENO);
  std::unique_ptr<TerminalInput> terminal;
  if (interactive) terminal = std::make_unique<TerminalInput>("[user]: ");  // the typed line is the echo
  // Lines that begin with a colon are commands on a terminal; piped input
  // stays literal unless asked, so that existing scripts keep working.
  const bool commands = interactive || options.commands;

  auto print = [&](const std::string& line) {
    if (terminal)
      terminal->PrintAbove(line);
    else
      PrintLine(stdout, line);
  };

  CatchInterrupts();
  // The word database opens once, with the first folder it is given: the
  // one named on the command line, or the shipped one for the demo brain.
  if (options.words)
    OpenWordDatabase(*options.words);
  else if (options.brain.empty())
    OpenWordDatabase(ShippedWordDatabasePath());

  if (!BrainFileOpens(path)) return 1;
  Chat chat(options, path, print);
  chat.Open();

  std::string line;
  PipedInput piped;
  bool interrupted = false;
  while (!gQuit) {
    if (terminal) {
      auto got = terminal->ReadLine(
          [&] {
            if (chat.Timer().Running()) Guarded(chat.CurrentBrain(), [&] { return chat.CurrentBrain().Tick(); });
          },
          [] { return gQuit != 0; });
      if (!got) break;
      line = *got;
    } else if (!piped.Next(line) || gQuit) {
      break;
    }
    if (!terminal) PrintLine(stdout, "[user]: " + line);
    if (commands && line.starts_with(':')) {
      if (line.starts_with("::")) {
        chat.Answer(line.substr(1));
      } else if (!chat.Command(line)) {
        break;
      }
      continue;
    }
    chat.Answer(line);
  }
  interrupted = gQuit != 0;

  // Keep the brain alive a while after the last input, so that it can speak
  // on its own; its tick comes once a second as on a terminal. Ticks are a
  // full second apart even when one comes late, as a periodic timer's are.
  for (int second = 1; second <= options.idle && !gQuit; ++second) {
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (chat.Timer().Running()) Guarded(chat.CurrentBrain(), [&] { return chat.CurrentBrain().Tick(); });
  }

  int status = 0;
  if (options.save) {
    std::string error = chat.CurrentBrain().Save(*options.save);
    if (!error.empty()) {
      PrintLine(stderr, error);
      status = 1;
    } else if (interrupted) {
      // Leaving on Ctrl-C, the user may not expect the brain to be kept.
      PrintLine(stderr, "varnex: saved the brain to " + *options.save);
    }
  }
  Guarded(chat.CurrentBrain(), [&] { return chat.CurrentBrain().Stop(); });
  return status;
}

}  // namespace varnex
