#include "engine/actions/procedures.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace varnex
