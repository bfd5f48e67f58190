#include <gtest/gtest.h>

#include "engine/actions/resolve.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using Lines = std::vector<std::string>;

// A brain whose only clause answers every input with one Task List response.
std::unique_ptr<BrainClass> TaskBrain(test::Recorder& rec, const std::string& tasks, bool trace = false) {
  auto b = test::MakeBrain(rec, trace);
  test::Load(*b, "For-Mode 0,0\n  Response {T},Task List,{},{}\n" + tasks);
  return b;
}

TEST(TaskList, TasksOutputBeforeTheResponseText) {
  test::Recorder rec;
  auto b = TaskBrain(rec, "    Task {A},Just Text,{},{}\n    Task {B},Just Text,{},{}\n");
  b->ProcessInput("x");
  EXPECT_EQ(rec.answers, (Lines{"A", "B", "T"}));
}

TEST(TaskList, GotoJumpsForwardAndBackward) {
  test::Recorder rec;
  auto b = TaskBrain(rec,
                     "    Task {},Assignment,{n},{0}\n"
                     "    Task {},Set Label,{ Top },{}\n"
                     "    Task {},Assignment,{n},{^Add{^Fact{n}|1}}\n"
                     "    Task {},BranchIf,{top},{^Fact{n}<3}\n"
                     "    Task {},Goto,{END},{}\n"
                     "    Task {skipped},Just Text,{},{}\n"
                     "    Task {},Set Label,{end},{}\n"
                     "    Task {n=^Fact{n}},Just Text,{},{}\n"
                     "    Task {},Goto,{nowhere},{}\n");
  b->ProcessInput("x");
  EXPECT_EQ(rec.answers, (Lines{"n=3", "T"}));
}

TEST(TaskList, DuplicateLabelsUseTheEntryThatSortsFirst) {
  test::Recorder rec;
  std::string tasks = "    Task {},Goto,{L},{}\n";
  for (int i = 1; i <= 10; ++i) {
    if (i == 3 || i == 10)
      tasks += "    Task {},Set Label,{L},{}\n";
    else
      tasks += "    Task {at " + std::to_string(i) + "},Just Text,{},{}\n";
  }
  tasks += "    Task {end},Just Text,{},{}\n";
  auto b = TaskBrain(rec, tasks);
  b->ProcessInput("x");
  // "L=10" sorts before "L=3": the run continues after position 10.
  EXPECT_EQ(rec.answers, (Lines{"end", "T"}));
}

TEST(TaskList, EndlessLoopStopsAfterAMillionTasks) {
  test::Recorder rec;
  auto b = TaskBrain(rec, "    Task {},Set Label,{loop},{}\n    Task {},Goto,{loop},{}\n");
  b->ProcessInput("x");
  EXPECT_EQ(rec.answers, (Lines{"T"}));
}

TEST(TaskList, TraceLinesExpandEveryFieldAgain) {
  test::Recorder rec;
  auto b = TaskBrain(rec, "    Task {hi ^Fact{who}},Assignment,{who},{Ann}\n", true);
  b->AddFact("who", "Bob");
  rec.trace.clear();
  b->ProcessInput("x");
  EXPECT_EQ(rec.trace, (Lines{"[Input]: x", "[Score: 0]:  ", "[Resp: Task List]:  = {T},{},{}",
                              "[Task: Assignment]:  = {hi Bob},{who},{Ann}", "[Add Fact]: who = {Ann}",
                              "[Output]: T"}));
}

TEST(Resolve, OutputTextByResponseType) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Response {quiet},None,{},{}\n"
             "  Response {hidden},Self Modify,{},{}\n"
             "  Response {jump},Goto,{},{}\n"
             "  Response {nested},Nested,{},{}\n"
             "  Response {words here},Words To Collection,{bag},{}\n");
  for (auto& r : b->Knowledge[0]->Patterns[0]->Responses) ResolveToString(*b, *r, "in");
  EXPECT_EQ(rec.answers, (Lines{"", "", kUnknownResponseType, "nested", ""}));
  ASSERT_NE(b->FindCollection("bag"), nullptr);
  EXPECT_EQ(b->FindCollection("bag")->Members, (Lines{"HERE", "WORDS"}));
}

}  // namespace
}  // namespace varnex
