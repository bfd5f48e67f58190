#include <gtest/gtest.h>

#include "engine/base/errors.h"
#include "engine/actions/answer.h"
#include "engine/matching/match.h"
#include "engine/matching/score.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

PatternClass& FirstPattern(BrainClass& b) { return *b.Knowledge[0]->Patterns[0]; }

TEST(Answer, TheFloorNeverAnswers) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "For-Mode 0,0\n  Fragment CUSTOM,0,30000, {x}, {}, {}\n  Response {low},Just Text,{},{}\n");
  Answer(*b, *b->CurrentKnowledge(), "y");
  FirstPattern(*b).Fragments[0]->Penalty = 29999;
  Touch(&FirstPattern(*b));  // a change made behind the engine's back
  Answer(*b, *b->CurrentKnowledge(), "y");
  EXPECT_EQ(rec.answers, (Lines{"Sorry, I can't answer you because I don't know anything at all yet...", "low"}));
}

TEST(Answer, OverflowingScoreIsAnErrorAndTheBrainStaysUsable) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 2147483647,0\n"
             "  Fragment AND,0,0, {x}, {}, {}\n"
             "  Response {never},Just Text,{},{}\n");
  EXPECT_THROW(Answer(*b, *b->CurrentKnowledge(), "x"), EngineError);
  FirstPattern(*b).OrderBonus = 0;
  Touch(&FirstPattern(*b));
  Answer(*b, *b->CurrentKnowledge(), "x");
  EXPECT_EQ(rec.answers, (Lines{"never"}));
}

TEST(Answer, ResetsVolitionAndRecordsTheKnowledge) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "Name-Object {main}\nFor-Mode 0,0\n  Response {x},Just Text,{},{}\n");
  SetLastVolition(FirstPattern(*b), 123);
  Answer(*b, *b->CurrentKnowledge(), "a");
  EXPECT_EQ(FirstPattern(*b).LastVolition, 0);
  EXPECT_EQ(b->LastKnowledgeName, "main");
}

// A tag that fails while clauses are scored ends the answer, as every
// failure of scoring does; the same tag in a response only empties itself.
TEST(Answer, AFailingTagInAFragmentEndsTheAnswer) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 0,0\n  Fragment AND,0,0, {y}, {}, {}\n  Response {y[^Div{1|0}]},Just Text,{},{}\n"
             "For-Mode 0,0\n  Fragment AND,0,0, {x^Div{1|0}}, {}, {}\n  Response {never},Just Text,{},{}\n");
  // The second clause's fragment fails whenever the mode is scored...
  EXPECT_THROW(Answer(*b, *b->CurrentKnowledge(), "y"), EngineError);
  EXPECT_TRUE(rec.answers.empty());
  // ...but a failing tag of a response only empties itself.
  auto alone = test::MakeBrain(rec, false);
  test::Load(*alone, "For-Mode 0,0\n  Response {y[^Div{1|0}]},Just Text,{},{}\n");
  Answer(*alone, *alone->CurrentKnowledge(), "y");
  EXPECT_EQ(rec.answers, (Lines{"y[]"}));
  EXPECT_EQ(rec.errors, (Lines{"Division by zero"}));
  rec.answers.clear();
  rec.errors.clear();
  EXPECT_THROW(Answer(*b, *b->CurrentKnowledge(), "x"), EngineError);
  EXPECT_TRUE(rec.answers.empty());
  EXPECT_TRUE(rec.errors.empty());
  EXPECT_EQ(b->Scoring, 0);
}

}  // namespace
}  // namespace varnex
