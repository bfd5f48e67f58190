// libFuzzer: a fuzzed brain lives through a short conversation.
//
// The input is Language text, then, after each zero byte, one input line
// (at most four). The brain is read, started (its Initialize clauses), given
// each input, ticked once an hour later (its volition clauses), stopped (its
// Finalize clauses), written out and read back. Engine errors and stops are
// outcomes the front end shows and goes on from, so each step catches
// std::exception as the console does; anything else that goes wrong (a
// crash, a sanitizer report, a leak, a hang past libFuzzer's -timeout) is a
// finding.
//
// Before each input, the current mode explains it: that must leave the
// brain exactly as it was (its whole state dump), whatever the clauses do
// while they are scored, and even when scoring fails.
//
// The brain may not start programs or load libraries: no AskPermission
// handler is installed, so the engine refuses them. The files it writes or
// reads (Log This, Save and Load Collection, INCLUDE, the word database)
// stay in a scratch folder of its own that is removed afterwards, since its
// texts cannot hold a "/".
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "engine/cycle/input_cycle.h"
#include "engine/base/random.h"
#include "engine/matching/explain.h"
#include "engine/records/state_dump.h"
#include "engine/template/word_database.h"
#include "fuzz/fuzz_support.h"
#include "engine/language/reader.h"
#include "engine/language/writer.h"
#include "support/test_support.h"

namespace {

template <class F>
void Guarded(F&& step) {
  try {
    step();
  } catch (const std::exception&) {
    // An engine error or a stop: the conversation goes on.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnex;
  std::vector<std::string> parts = fuzz::SplitAtZeros(data, size, 5);
  for (auto& p : parts) fuzz::WithoutSlashes(p);
  fuzz::ScratchFolder folder;
  test::FixedClock clock(45000.0);
  FixRandomSeed(1);
  ResetWordDatabase();  // it is process-wide; each input starts without one

  BrainClass brain([](const std::string&) {});
  // Tracing on, so that building every trace line is fuzzed too.
  brain.TraceStart([](const std::string&) {});
  brain.ReaderMessage = [](const std::string&) {};
  brain.ErrorHandler = [](const std::string&) {};
  // A brain that loops is stopped soon; texts and collections stay small
  // enough that a brain growing them as fast as it can keeps within the
  // fuzzer's memory limit.
  brain.Limits.Seconds = 0.5;
  brain.Limits.ValueBytes = 1 << 16;
  brain.Limits.CollectionMembers = 10000;

  Guarded([&] { LoadLanguageText(brain, fuzz::FileLines(parts[0])); });
  Guarded([&] { ClauseInit(brain); });
  Guarded([&] { StartVolition(brain); });
  for (std::size_t i = 1; i < parts.size(); ++i) {
    clock.Advance(1.0 / 86400);
    if (KnowledgeClass* mode = brain.CurrentKnowledge()) {
      const std::string before = DumpState(brain);
      Guarded([&] { ExplainMode(brain, *mode, parts[i]); });
      const std::string after = DumpState(brain);
      if (after != before) fuzz::Fail("explaining changed the brain", {before}, {after});
    }
    Guarded([&] { ProcessInput(brain, parts[i]); });
  }
  clock.Advance(1.0 / 24);
  Guarded([&] { VolitionTick(brain); });
  Guarded([&] { ClauseFinal(brain); });
  Guarded([&] { StopVolition(brain); });

  // The brain may have changed itself in any way; what it became must still
  // be written and read.
  std::vector<std::string> lines;
  SaveLanguageText(brain, lines);
  BrainClass again;
  Guarded([&] { LoadLanguageText(again, lines); });
  return 0;
}
