#include <gtest/gtest.h>

#include "engine/records/brain.h"
#include "engine/cycle/input_cycle.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

TEST(InputCycle, HistoriesKeepAHundredEntries) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  for (int i = 0; i < 101; ++i) ProcessInput(*b, "line " + std::to_string(i));
  EXPECT_EQ(b->InputHistory.size(), 100u);
  EXPECT_EQ(b->InputAt("0"), "line 100");
  EXPECT_EQ(b->InputAt("99"), "line 1");
  EXPECT_EQ(b->InputAt("100"), "");
  EXPECT_EQ(b->InputAt("-1"), "");
  EXPECT_EQ(b->InputAt("junk"), "line 100");
}

TEST(InputCycle, OutputRulesForBlankAndEmptyAnswers) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  b->Output("   ");
  b->Output("");
  EXPECT_EQ(rec.answers, (Lines{"   ", ""}));
  EXPECT_EQ(rec.trace, (Lines{"[Output]:    "}));
  EXPECT_TRUE(b->OutputHistory.empty());

  BrainClass quiet;  // no handler: answers collect in Outputs
  quiet.Output("a");
  quiet.Output("b");
  EXPECT_EQ(quiet.Outputs, (Lines{"a", "b"}));
}

TEST(InputCycle, LastInputAlwaysMovesForward) {
  test::FixedClock clock(45000.5);
  BrainClass b;
  ProcessInput(b, "a");
  double first = b.LastInput;
  ProcessInput(b, "b");  // the clock has not moved
  EXPECT_GT(b.LastInput, first);
}

TEST(InputCycle, ProcedureTakesTheInputInsteadOfTheMode) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Fragment Do-After,0,0, {}, {}, {}\n"
             "  Response {after},Just Text,{},{}\n"
             "Procedure {Quiz}\n"
             "Step {q1},{Question one?}\n"
             "  For-Step\n"
             "  Fragment AND,0,0, {yes}, {}, {}\n"
             "  Response {Right.},Task List,{},{}\n"
             "    Task {},Goto Step,{q2},{}\n"
             "Step {q2},{Question two?}\n");
  b->CurrentProc = 0;
  b->Procs[0]->CurrentStep = "q1";
  ProcessInput(*b, "yes");
  ProcessInput(*b, "no idea");
  EXPECT_EQ(rec.answers, (Lines{"Right.", "Question two?",
                                "There are no patterns for this procedure step!  I can not proceed!",
                                "Question two?"}));
}

}  // namespace
}  // namespace varnex
