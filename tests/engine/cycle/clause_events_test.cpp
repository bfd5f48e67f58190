#include <gtest/gtest.h>

#include "support/language_support.h"
#include "support/test_support.h"
#include "engine/cycle/input_cycle.h"

namespace varnex {
namespace {

class FakeTimer : public VolitionTimerInterface {
 public:
  void Start(int ms) override { interval = ms; }
  void Stop() override { interval = 0; }
  int interval = 0;
};

TEST(ClauseEvents, InitializeAndFinalizeUseTheFirstModeOnly) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "For-Mode 0,0\n"
             "Name-Object {hello}\n"
             "  Fragment Initialize,0,0, {}, {}, {}\n"
             "  Response {Good morning.},Just Text,{},{}\n"
             "For-Mode 0,0\n"
             "Name-Object {bye}\n"
             "  Fragment Finalize,0,0, {}, {}, {}\n"
             "  Response {Goodbye.},Just Text,{},{}\n"
             "Mode {Other}\n"
             "For-Mode 0,0\n"
             "  Fragment Initialize,0,0, {}, {}, {}\n"
             "  Response {never},Just Text,{},{}\n");
  b->CurrentMode = 1;
  rec.trace.clear();
  ClauseInit(*b);
  ClauseFinal(*b);
  EXPECT_EQ(rec.answers, (Lines{"Good morning.", "Goodbye."}));
  EXPECT_EQ(rec.trace[0], "[Clause Init]: hello");
  EXPECT_EQ(rec.trace[3], "[Clause Final]: bye");
}

// Initialize clauses that delete clauses of their mode as they respond:
// the next to respond is the first marked one after the position just
// answered, in the mode as it now is, as when every clause is looked at
// in turn. Clauses added later respond the next time.
TEST(ClauseEvents, InitializeFollowsTheModeAsItChanges) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\nName-Object {plain}\n  Fragment AND,0,0, {x}, {}, {}\n  Response {x},Just Text,{},{}\n"
             "For-Mode 0,0\n  Fragment Initialize,0,0, {}, {}, {}\n  Response {A},Task List,{},{}\n"
             "    Task {plain},Delete Object,{},{}\n"
             "For-Mode 0,0\n  Fragment Initialize,0,0, {}, {}, {}\n  Response {B},Just Text,{},{}\n"
             "For-Mode 0,0\n  Fragment Initialize,0,0, {}, {}, {}\n  Response {C},Task List,{},{}\n"
             "    Task {d},Delete Object,{},{}\n"
             "For-Mode 0,0\nName-Object {d}\n  Fragment Initialize,0,0, {}, {}, {}\n  Response {D},Just Text,{},{}\n"
             "For-Mode 0,0\n  Fragment Initialize,0,0, {}, {}, {}\n  Response {E},Just Text,{},{}\n");
  ClauseInit(*b);
  // Deleting "plain" moves B into the place A answered from.
  EXPECT_EQ(rec.answers, (Lines{"A", "C", "E"}));
  rec.answers.clear();
  test::Load(*b, "For-Mode 0,0\n  Fragment Initialize,0,0, {}, {}, {}\n  Response {F},Just Text,{},{}\n");
  ClauseInit(*b);
  EXPECT_EQ(rec.answers, (Lines{"A", "B", "C", "E", "F"}));
}

TEST(ClauseEvents, VolitionFiresAfterSilenceOnly) {
  test::FixedClock clock(45000.0);
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  FakeTimer timer;
  b->VolitionTimer = &timer;
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Fragment Volition,0,0, {0.001}, {}, {}\n"
             "  Response {Still there?},Just Text,{},{}\n"
             "For-Mode 0,0\n"
             "  Fragment Volition,0,0, {0.001}, {}, {}\n"
             "  Fragment AND,0,0, {x}, {}, {}\n"
             "  Response {never: scores below zero},Just Text,{},{}\n");
  ASSERT_TRUE(b->HasVolition);
  StartVolition(*b);
  EXPECT_EQ(timer.interval, 1000);
  clock.Advance(0.0005);
  VolitionTick(*b);
  EXPECT_TRUE(rec.answers.empty());
  clock.Advance(0.0006);
  VolitionTick(*b);
  EXPECT_EQ(rec.answers, (Lines{"Still there?"}));
  VolitionTick(*b);  // counts again from its own firing
  EXPECT_EQ(rec.answers.size(), 1u);
  EXPECT_GT(b->Knowledge[0]->Patterns[1]->LastVolition, 0);
  StopVolition(*b);
  EXPECT_EQ(timer.interval, 0);
}

TEST(ClauseEvents, BrainWithoutVolitionNeverStartsItsTimer) {
  BrainClass b;
  FakeTimer timer;
  timer.interval = -1;
  b.VolitionTimer = &timer;
  StartVolition(b);
  StopVolition(b);
  EXPECT_EQ(timer.interval, -1);
}

}  // namespace
}  // namespace varnex
