#include <gtest/gtest.h>

#include "engine/matching/respond.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using Lines = std::vector<std::string>;

const char* kBrain =
    "For-Mode 0,0\n"
    "Name-Object {p}\n"
    "  Response {own},Just Text,{},{}\n"
    "  Threshold 1,1\n"
    "    Response {first},Just Text,{},{}\n"
    "  Threshold 2,99\n"
    "    Response {later},Just Text,{},{}\n"
    "  Threshold 5,3\n"
    "    Response {never},Just Text,{},{}\n"
    "  For-State {Angry}\n"
    "    Response {grr},Just Text,{},{}\n"
    "  For-State {angry}\n"
    "    Response {wrong case},Just Text,{},{}\n";

TEST(Respond, ThresholdsFollowTheHitCount) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kBrain);
  PatternClass& p = *b->Knowledge[0]->Patterns[0];
  Respond(*b, p, "");
  Respond(*b, p, "");
  p.HitCount = 98;
  Respond(*b, p, "");
  Respond(*b, p, "");
  EXPECT_EQ(rec.answers, (Lines{"first", "later", "later", "own"}));
  EXPECT_EQ(p.HitCount, 100);
  EXPECT_EQ(b->LastPatternName, "p");
}

TEST(Respond, StateResponseOverridesThresholdAndMatchesCase) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b, kBrain);
  b->AddState("Angry");
  b->CurrentState = b->IndexOfState("Angry");
  rec.trace.clear();
  Respond(*b, *b->Knowledge[0]->Patterns[0], "");
  EXPECT_EQ(rec.answers, (Lines{"grr"}));
  EXPECT_EQ(rec.trace[0], "[Threshold Met]: 1 to 1");
  EXPECT_EQ(rec.trace[1], "[State Response]: Angry");
}

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
