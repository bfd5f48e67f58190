#include "engine/actions/procedures.h"

#include <gtest/gtest.h>

#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

TEST(Procedures, StepWithTheSameNameReplacesInPlace) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "Procedure {P}\nStep {one},{first}\nStep {two},{second}\nStep {ONE},{again}\n");
  ProcClass& p = *b->Procs[0];
  ASSERT_EQ(p.Steps.size(), 2u);
  EXPECT_EQ(p.Steps[0]->ThePrompt, "again");
  EXPECT_EQ(p.StartStep, "one");
}

TEST(Procedures, CallStackRestoresTheCaller) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "Procedure {Outer}\n"
             "Step {one},{First ^Fact{x}}\n"
             "Step {two},{Second}\n"
             "Procedure {Inner}\n"
             "Step {only},{Inside}\n");
  b->CurrentProc = b->IndexOfProc("outer");
  b->Procs[0]->CurrentStep = "two";
  b->PushProcCall();
  b->CurrentProc = 1;
  b->PopProcCall();
  EXPECT_EQ(b->CurrentProc, 0);
  EXPECT_EQ(b->Procs[0]->CurrentStep, "two");
  EXPECT_EQ(rec.answers, std::vector<std::string>{"Second"});
  b->PopProcCall();  // empty stack: nothing happens
  EXPECT_EQ(rec.answers.size(), 1u);
}

}  // namespace
}  // namespace varnex
