// A brain that deletes or redefines the very records that are running, or
// that re-enters itself without end, must neither touch a destroyed record
// nor exhaust the stack (these tests matter most under AddressSanitizer).
#include <gtest/gtest.h>

#include "support/language_support.h"
#include "support/test_support.h"
#include "engine/cycle/input_cycle.h"

namespace varnex {
namespace {

TEST(RunningRecords, DeletingTheRunningPatternResponseAndTask) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n"
             "Name-Object {self}\n"
             "  Fragment AND,0,0, {go}, {}, {}\n"
             "  Response {end},Task List,{},{}\n"
             "  Name-Object {resp}\n"
             "    Task {},Delete Object,{},{}\n"
             "    Name-Object {me}\n"
             "    Task {me},Delete Object,{},{}\n"
             "    Task {resp},Delete Object,{},{}\n"
             "    Task {self},Delete Object,{},{}\n"
             "    Task {still running},Just Text,{},{}\n");
  ProcessInput(*b, "go");
  EXPECT_EQ(rec.answers, (Lines{"still running", "end"}));
  EXPECT_TRUE(b->Knowledge[0]->Patterns.empty());
  ProcessInput(*b, "go");
  EXPECT_EQ(rec.answers.back(), "Sorry, I can't answer you because I don't know anything at all yet...");
}

TEST(RunningRecords, DeletingTheCurrentModeAndRunningProcedure) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "Name-Object {mode}\n"
             "For-Mode 0,0\n"
             "  Fragment AND,0,0, {go}, {}, {}\n"
             "  Response {},Task List,{},{}\n"
             "    Task {},Start Proc,{second},{}\n"
             "    Task {mode},Delete Object,{},{}\n"
             "Procedure {first}\nName-Object {first}\n"
             "Procedure {second}\nName-Object {second}\n"
             "Step {s},{prompt}\n"
             "  For-Step\n"
             "  Response {},Task List,{},{}\n"
             "    Task {first},Delete Object,{},{}\n"
             "    Task {second},Delete Object,{},{}\n"
             "    Task {after},Just Text,{},{}\n");
  ProcessInput(*b, "go");
  EXPECT_EQ(b->Knowledge.size(), 0u);
  ProcessInput(*b, "anything");  // runs the procedure, which deletes itself
  ProcessInput(*b, "again");     // CurrentProc now lies outside Procs: no procedure
  EXPECT_EQ(rec.answers, (Lines{"prompt", "", "after", "", "Sorry, I do not know anything at all yet!"}));
}

TEST(RunningRecords, MakeCodeRedefinesTheCurrentModeAndProcedure) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Fragment AND,0,0, {learn}, {}, {}\n"
             "  Response {},Task List,{},{}\n"
             "    Task {code},Make Code,{},{}\n"
             "    Task {done},Just Text,{},{}\n"
             "  Fragment Do-After,0,0, {}, {}, {}\n"
             "Start-Collection {code}, {UNSORTED}\n"
             "Mode {Default}\n"
             "For-Mode 0,0\n"
             "  Fragment AND,0,0, {hi}, {}, {}\n"
             "  Response {new answer},Just Text,{},{}\n"
             "End-Collection\n");
  ProcessInput(*b, "learn");
  ProcessInput(*b, "hi");
  EXPECT_EQ(rec.answers, (Lines{"done", "", "new answer"}));
  EXPECT_TRUE(b->DoAfter.empty());
  EXPECT_TRUE(rec.messages.empty());
}

TEST(RunningRecords, EndlessSubmitAndDoResponseForStop) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "For-Mode 0,0\n"
             "Name-Object {loop}\n"
             "  Fragment AND,0,0, {again}, {}, {}\n"
             "  Response {x},Submit This,{again},{}\n"
             "For-Mode 0,0\n"
             "Name-Object {self}\n"
             "  Fragment AND,0,0, {self}, {}, {}\n"
             "  Response {y},Do Response For,{self},{}\n");
  ProcessInput(*b, "again");
  EXPECT_EQ(rec.answers.size(), 65u);
  EXPECT_EQ(std::count(rec.trace.begin(), rec.trace.end(), "[Nesting Limit]: Submit This skipped"), 1);
  EXPECT_EQ(b->NestingDepth, 0);
  rec.answers.clear();
  ProcessInput(*b, "self");
  EXPECT_EQ(rec.answers.size(), 65u);
  EXPECT_EQ(b->Knowledge[0]->Patterns[1]->HitCount, 65);
}

TEST(RunningRecords, OutOfRangeIndicesBehaveAsNone) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Response {state=^State{}},Task List,{},{}\n"
             "    Task {MyBrain},Self Modify,{CurrentMode},{99}\n"
             "    Task {MyBrain},Self Modify,{CurrentProc},{42}\n"
             "    Task {MyBrain},Self Modify,{CurrentState},{-5}\n"
             "    Task {a b},Create AutoPattern,{9},{x}\n");
  ProcessInput(*b, "x");
  ProcessInput(*b, "x");
  EXPECT_EQ(rec.answers, (Lines{"state=Normal", "Sorry, I do not know anything at all yet!"}));
  EXPECT_EQ(b->Knowledge[0]->Patterns.size(), 1u);
}

}  // namespace
}  // namespace varnex

namespace varnex {
namespace {

TEST(RunningRecords, ADoBeforePatternDeletingItselfSkipsNoOther) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\nName-Object {A}\n  Fragment Do-Before,0,0, {}, {}, {}\n"
             "  Response {A},Delete Object,{},{}\n"
             "For-Mode 0,0\nName-Object {B}\n  Fragment Do-Before,0,0, {}, {}, {}\n"
             "  Response {B},Just Text,{},{}\n");
  ProcessInput(*b, "x");
  EXPECT_EQ(rec.answers, (std::vector<std::string>{"A", "B", "B"}));
}

TEST(RunningRecords, FanningOutReEntryIsBounded) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  // Each level submits twice: without a bound on the total this never ends.
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Response {},Task List,{},{}\n"
             "    Task {},Submit This,{again},{}\n"
             "    Task {},Submit This,{again},{}\n");
  ProcessInput(*b, "again");
  EXPECT_LE(rec.answers.size(), 10001u);
  EXPECT_EQ(b->NestingDepth, 0);
}

TEST(RunningRecords, CollectionsWithoutANameAreNotKept) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Response {},Task List,{},{}\n"
             "    Task {},Add To Collection,{},{x}\n"
             "    Task {},Load Collection,{},{/dev/zero}\n"
             "    Task {},Load Collection,{zero},{/dev/zero}\n"
             "    Task {a b},Words To Collection,{},{}\n");
  ProcessInput(*b, "go");  // /dev/zero is not a file: nothing is read from it
  EXPECT_TRUE(b->FindCollection("zero")->Members.empty());
  EXPECT_EQ(b->Collections.size(), 1u);
}

}  // namespace
}  // namespace varnex
