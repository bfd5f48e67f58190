#include "engine/core/brain.h"

#include <gtest/gtest.h>

namespace varnex {
namespace {

TEST(Brain, NewBrainHasDefaults) {
  BrainClass b;
  ASSERT_EQ(b.Knowledge.size(), 1u);
  EXPECT_EQ(b.KnowledgeNames[0], "Default");
  EXPECT_EQ(b.CurrentMode, 0);
  EXPECT_EQ(b.CurrentState, 0);
  EXPECT_EQ(b.CurrentStateName(), "Normal");
  EXPECT_EQ(b.CurrentProc, -1);
  EXPECT_EQ(b.NamedObjects.Size(), 1u);
  EXPECT_EQ(b.NamedObjects.Find("mybrain"), &b);
}

}  // namespace
}  // namespace varnex
