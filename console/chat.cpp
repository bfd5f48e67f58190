// varnex chat: a conversation with a brain on standard input and output.
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>
#include <iostream>
#include <unistd.h>

#include "console/commands.h"
#include "console/terminal.h"
#include "engine/core/brain.h"
#include "engine/core/random.h"
#include "engine/template/word_database.h"
#include "langfile/reader.h"
#include "langfile/writer.h"

namespace varnex {
namespace {

void PrintLine(std::FILE* f, const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), f);
  std::fputc('\n', f);
  std::fflush(f);
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

// Runs one engine call; an error escaping the engine is reported and the
// conversation goes on.
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    PrintLine(stderr, std::string("Error: ") + e.what());
  }
}

bool ReadPipedLine(std::string& line) {
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace

int RunChat(const ConsoleOptions& options) {
  if (options.seed) FixRandomSeed(*options.seed);
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

  BrainClass brain([&](const std::string& text) {
    if (!text.empty()) print("[Varnex]: " + text);
  });
  brain.FastPath = !options.reference;
  ConsoleTimer timer;
  brain.VolitionTimer = &timer;
  brain.ReaderMessage = [](const std::string& text) { PrintLine(stderr, text); };
  if (options.trace) brain.TraceStart([](const std::string& line) { PrintLine(stderr, line); });
  // Programs and libraries run only when the user said so; the first refusal
  // of each kind says how to allow it.
  bool toldPrograms = false, toldLibraries = false;
  brain.AskPermission = [&](Permission kind, const std::string&) {
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
    AskMentavo("", *options.words + (options.words->ends_with('/') ? "" : "/"));
  else if (options.brain.empty())
    AskMentavo("", ShippedWordDatabasePath());

  if (!BrainFileOpens(path)) return 1;
  Guarded([&] { LoadLanguageFile(brain, path); });
  Guarded([&] { brain.ClauseInit(); });
  Guarded([&] { brain.StartVolition(); });

  std::string line;
  for (;;) {
    if (terminal) {
      auto got = terminal->ReadLine([&] {
        if (timer.Running()) Guarded([&] { brain.VolitionTick(); });
      });
      if (!got) break;
      line = *got;
    } else if (!ReadPipedLine(line)) {
      break;
    }
    if (!terminal) PrintLine(stdout, "[user]: " + line);
    Guarded([&] { brain.ProcessInput(line); });
  }

  // Keep the brain alive a while after the last input, so that it can speak
  // on its own; its tick comes once a second as on a terminal. Ticks are a
  // full second apart even when one comes late, as a periodic timer's are.
  for (int second = 1; second <= options.idle; ++second) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (timer.Running()) Guarded([&] { brain.VolitionTick(); });
  }

  int status = 0;
  if (options.save) {
    std::string error = SaveLanguageFile(brain, *options.save);
    if (!error.empty()) {
      PrintLine(stderr, error);
      status = 1;
    }
  }
  Guarded([&] { brain.ClauseFinal(); });
  Guarded([&] { brain.StopVolition(); });
  return status;
}

}  // namespace varnex
