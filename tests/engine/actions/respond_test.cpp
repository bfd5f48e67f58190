#include <gtest/gtest.h>

#include "engine/actions/respond.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

TEST(Respond, APatternWithoutResponsesStillCountsItsHit) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "For-Mode 0,0\n");
  Respond(*b, *b->Knowledge[0]->Patterns[0], "x");
  EXPECT_TRUE(rec.answers.empty());
  EXPECT_EQ(b->Knowledge[0]->Patterns[0]->HitCount, 1);
}

TEST(Respond, RandomChoiceReachesEveryResponse) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Response {a},Just Text,{},{}\n"
             "  Response {b},Just Text,{},{}\n"
             "  Response {c},Just Text,{},{}\n");
  for (int i = 0; i < 200; ++i) Respond(*b, *b->Knowledge[0]->Patterns[0], "");
  for (const char* r : {"a", "b", "c"})
    EXPECT_GT(std::count(rec.answers.begin(), rec.answers.end(), r), 30) << r;
}

}  // namespace
}  // namespace varnex
