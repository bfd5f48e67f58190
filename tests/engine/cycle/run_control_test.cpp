// How a long or failing input is contained: stops asked from outside, the
// time limit, and failures reported while the input goes on.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/base/errors.h"
#include "engine/cycle/input_cycle.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

// A brain whose "spin" input loops for ever, counting laps in a fact.
constexpr const char* kSpinner =
    "For-Mode 0,0\n"
    "  Fragment AND,0,0, {spin}, {}, {}\n"
    "  Response {never},Task List,{},{}\n"
    "    Task {},Assignment,{started},{yes}\n"
    "    Task {},Set Label,{top},{}\n"
    "    Task {},Assignment,{laps},{^Add{^Fact{laps}|1}}\n"
    "    Task {},Goto,{top},{}\n"
    "For-Mode 0,0\n"
    "  Fragment AND,0,0, {hello}, {}, {}\n"
    "  Response {hi},Just Text,{},{}\n";

TEST(RunControl, AStopAskedWhileBusyEndsTheInputAndNothingElse) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kSpinner);
  b->AddFact("laps", "0");
  int calls = 0;
  b->WhileBusy = [&](double seconds) {
    EXPECT_GE(seconds, 0);
    // A front end's timer may fire while the engine works: it must not
    // re-enter the running brain.
    VolitionTick(*b);
    if (++calls == 3) b->RequestStop();
  };
  EXPECT_THROW(ProcessInput(*b, "spin"), InputStopped);
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(b->Busy());
  // What the completed tasks did stays; the brain answers the next input.
  EXPECT_EQ(b->GetFact("started"), "yes");
  EXPECT_GT(std::stoi(b->GetFact("laps")), 0);
  ProcessInput(*b, "hello");
  EXPECT_EQ(rec.answers, (Lines{"hi"}));
  // A stop asked while nothing runs is forgotten.
  b->RequestStop();
  ProcessInput(*b, "hello");
  EXPECT_EQ(rec.answers, (Lines{"hi", "hi"}));
}

TEST(RunControl, AnInputPastTheTimeLimitIsStopped) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kSpinner);
  b->AddFact("laps", "0");
  b->Limits.Seconds = 0.2;
  try {
    ProcessInput(*b, "spin");
    FAIL() << "the loop should have been stopped";
  } catch (const InputStopped& e) {
    EXPECT_STREQ(e.what(), "Input stopped: it ran longer than 0.2 seconds");
  }
  ProcessInput(*b, "hello");
  EXPECT_EQ(rec.answers, (Lines{"hi"}));
}

// Failing tasks are skipped one by one; the handler hears the first ten,
// then one notice, while the trace keeps every one.
TEST(RunControl, ErrorsAreReportedWithinAnAllowancePerInput) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  std::string brain = "For-Mode 0,0\n  Response {end},Task List,{},{}\n";
  for (int i = 0; i < 12; ++i) brain += "    Task {},Assignment,{q" + std::to_string(i) + "},{^Div{" + std::to_string(i) + "|0}}\n";
  test::Load(*b, brain);
  ProcessInput(*b, "x");
  Lines expected(10, "Division by zero");
  expected.push_back("More errors in this input are not shown");
  EXPECT_EQ(rec.errors, expected);
  EXPECT_EQ(std::count(rec.trace.begin(), rec.trace.end(), "[Error]: Division by zero"), 12);
  EXPECT_EQ(rec.answers, (Lines{"end"}));
  EXPECT_EQ(b->GetFact("q11"), "");  // the failing tag gave the empty text
  // The allowance is per input.
  rec.errors.clear();
  ProcessInput(*b, "x");
  EXPECT_EQ(rec.errors.size(), 11u);
}

// The time the host takes with an answer (speaking it, say) or with a
// question to the user is not the brain's: it does not count against the
// limit.
TEST(RunControl, TheHostsTimeDoesNotCount) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n  Response {},Task List,{},{}\n"
             "    Task {one},Just Text,{},{}\n    Task {two},Just Text,{},{}\n    Task {three},Just Text,{},{}\n");
  b->Limits.Seconds = 0.15;
  b->OutputHandler = [&](const std::string& s) {
    rec.answers.push_back(s);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  };
  ProcessInput(*b, "x");
  EXPECT_EQ(rec.answers, (Lines{"one", "two", "three", ""}));
}

}  // namespace
}  // namespace varnex
