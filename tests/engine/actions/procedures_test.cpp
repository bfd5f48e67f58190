#include "engine/actions/procedures.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace varnex {
namespace {

using Lines = std::vector<std::string>;

const char* kQuiz =
    "For-Mode 0,0\n"
    "  Fragment AND,0,0, {quiz}, {}, {}\n"
    "  Response {Quiz time!},Task List,{},{}\n"
    "    Task {},Start Proc,{quiz},{}\n"
    "For-Mode 0,0\n"
    "  Fragment AND,0,0, {call}, {}, {}\n"
    "  Response {},Call Proc,{quiz},{}\n"
    "Procedure {Quiz}\n"
    "Step {A},{Question A, ^Input{0}?}\n"
    "  For-Step\n"
    "  Fragment AND,0,0, {yes}, {}, {}\n"
    "  Response {Good.},Task List,{},{}\n"
    "    Task {},Goto Step,{b},{}\n"
    "  For-Step\n"
    "  Fragment AND,0,0, {side}, {}, {}\n"
    "  Response {},Call Proc,{Side},{}\n"
    "Step {B},{Question B?}\n"
    "  For-Step\n"
    "  Fragment AND,0,0, {stop}, {}, {}\n"
    "  Response {Bye.},Task List,{},{}\n"
    "    Task {},Halt Proc,{},{}\n"
    "Procedure {Side}\n"
    "Step {only},{A side question}\n"
    "  For-Step\n"
    "  Fragment AND,0,0, {back}, {}, {}\n"
    "  Response {Back we go.},Proc Return,{},{}\n";

TEST(Procedures, StepsPromptsGotoAndHalt) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kQuiz);
  // Any step pattern above the floor answers, even one whose word is absent.
  for (const char* in : {"quiz", "yes", "what", "quiz"}) b->ProcessInput(in);
  EXPECT_EQ(rec.answers,
            (Lines{"Question A, quiz?", "Quiz time!", "Good.", "Question B?", "Bye.", "Question A, quiz?", "Quiz time!"}));
}

TEST(Procedures, CallAndReturnResumeTheCallerWithItsRawPrompt) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kQuiz);
  b->ProcessInput("quiz");
  b->ProcessInput("side");
  ASSERT_EQ(b->ProcStackNames, (Lines{"Quiz"}));
  b->ProcessInput("back");
  EXPECT_EQ(b->CurrentProcedure()->TheName, "Quiz");
  EXPECT_TRUE(b->ProcStackNames.empty());
  EXPECT_EQ(rec.answers, (Lines{"Question A, quiz?", "Quiz time!", "A side question", "",
                                "Question A, ^Input{0}?", "Back we go."}));
}

TEST(Procedures, CallWithoutARunningProcedurePushesNothing) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kQuiz);
  b->ProcessInput("call");
  EXPECT_TRUE(b->ProcStackNames.empty());
  EXPECT_EQ(b->CurrentProcedure()->TheName, "Quiz");
  HaltProcedure(*b);
  b->PopProcCall();
  EXPECT_EQ(b->CurrentProc, -1);
}

TEST(Procedures, MissingStepsAndUnknownNames) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kQuiz);
  StartProcedure(*b, "quiz");
  GotoStep(*b, "nowhere");  // ignored
  EXPECT_EQ(b->CurrentProcedure()->CurrentStep, "A");
  GotoStep(*b, "b");  // names match ignoring case and keep the given spelling
  EXPECT_EQ(b->CurrentProcedure()->CurrentStep, "b");
  b->CurrentProcedure()->CurrentStep = "gone";
  b->ProcessInput("x");
  EXPECT_EQ(rec.answers[rec.answers.size() - 2], "There is a problem with the procedure Quiz.  There is not a current step!");
  EXPECT_EQ(rec.answers.back(), "");
  StartProcedure(*b, "no such");
  EXPECT_EQ(b->CurrentProc, -1);
}

TEST(Procedures, StepWithTheSameNameReplacesInPlace) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "Procedure {P}\nStep {one},{first}\nStep {two},{second}\nStep {ONE},{again}\n");
  ProcClass& p = *b->Procs[0];
  ASSERT_EQ(p.Steps.size(), 2u);
  EXPECT_EQ(p.Steps[0]->ThePrompt, "again");
  EXPECT_EQ(p.StartStep, "one");
}

}  // namespace
}  // namespace varnex
