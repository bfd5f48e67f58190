#include <gtest/gtest.h>

#include "engine/actions/resolve.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

// Task-list order, labels, jumps and the endless-loop cut-off are shown
// end to end by the task_loops transcript.
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
