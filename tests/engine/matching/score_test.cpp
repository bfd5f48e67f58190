#include <gtest/gtest.h>

#include "engine/core/errors.h"
#include "engine/matching/match.h"
#include "engine/matching/score.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using Lines = std::vector<std::string>;

PatternClass& FirstPattern(BrainClass& b) { return *b.Knowledge[0]->Patterns[0]; }

TEST(Score, OrderBonusAndPenalty) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 20,5\n"
             "  Fragment AND,0,0, {my}, {}, {}\n"
             "  Fragment AND,0,0, {name}, {}, {}\n");
  EXPECT_EQ(Score(*b, FirstPattern(*b), "my name is Al"), 220);
  EXPECT_EQ(Score(*b, FirstPattern(*b), "name my"), 195);
  auto f = std::make_unique<WordFragmentClass>();
  f->Relation = 3;  // NOT: its absent word reports position 0 and breaks the order
  f->WordFrag = "not";
  FirstPattern(*b).Fragments.push_back(std::move(f));
  EXPECT_EQ(Score(*b, FirstPattern(*b), "my name is Al"), 295);

  // No fragments: just the order bonus. A first fragment that searches no
  // word keeps the order intact.
  test::Load(*b,
             "For-Mode 7,3\n"
             "For-Mode 7,3\n"
             "  Fragment State-Match,10,1, {}, {Normal}, {}\n"
             "  Fragment AND,0,0, {x}, {}, {}\n");
  EXPECT_EQ(Score(*b, *b->Knowledge[0]->Patterns[1], "anything"), 7);
  EXPECT_EQ(Score(*b, *b->Knowledge[0]->Patterns[2], "x"), 117);
}

TEST(Score, RelationsScoreAsTheirTableSays) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "Fact {COLOR} = {Blue}\n"
             "Start-Collection {pets}\n"
             "dog\n"
             "guinea pig\n"
             "End-Collection\n"
             "For-Mode 0,0\n"
             "  Fragment OR,0,0, {hi}, {}, {}\n"
             "  Fragment CUSTOM,7,3, {cat}, {}, {}\n"
             "  Fragment CUSTOM-Sub,7,3, {cat}, {}, {}\n"
             "  Fragment Data-Match,4,2, {}, {COLOR}, {blue}\n"
             "  Fragment In Collection,6,1, {}, {pets}, {}\n"
             "  Fragment In Collection-Sub,5,1, {}, {pets}, {}\n"
             "  Fragment Misspelt,9,9, {hi}, {}, {}\n");
  auto& frags = FirstPattern(*b).Fragments;
  auto score = [&](std::size_t i, const std::string& input) {
    int32_t pos = 1;
    return Match(*b, *frags[i], input, pos);
  };
  EXPECT_EQ(score(0, "Hi there"), 50);
  EXPECT_EQ(score(0, "this"), 0);
  EXPECT_EQ(score(1, "a cat"), 7);
  EXPECT_EQ(score(1, "concatenate"), -3);
  EXPECT_EQ(score(2, "concatenate"), 7);
  EXPECT_EQ(score(3, ""), 4);
  EXPECT_EQ(score(4, "my guinea pig"), 6);
  EXPECT_EQ(score(4, "dogs"), -1);
  EXPECT_EQ(score(5, "dogs"), 5);
  EXPECT_EQ(score(6, "hi"), 0);
}

TEST(Score, OutMatchLooksAtTheLatestAnswer) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "For-Mode 0,0\n  Fragment Out-Match,10,2, {name}, {}, {}\n");
  b->Output("What is your name?");
  int32_t pos = 1;
  EXPECT_EQ(Match(*b, *FirstPattern(*b).Fragments[0], "whatever", pos), 10);
  EXPECT_EQ(pos, 14);
}

TEST(Answer, BestPatternWinsTiesGoToTheEarlierOne) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "For-Mode 0,0\n"
             "Name-Object {neg}\n"
             "  Fragment AND,0,0, {never}, {}, {}\n"
             "  Fragment AND,0,0, {ever}, {}, {}\n"
             "  Fragment CUSTOM,0,50, {seen}, {}, {}\n"
             "  Response {negative},Just Text,{},{}\n");
  b->ProcessInput("hello");  // the only pattern scores -250 and still answers
  EXPECT_EQ(rec.answers, (Lines{"negative"}));
  EXPECT_EQ(rec.trace[1], "[Score: -250]:  neg");

  test::Load(*b,
             "For-Mode 0,0\n  Fragment AND,0,0, {hello}, {}, {}\n  Response {first},Just Text,{},{}\n"
             "For-Mode 0,0\n  Fragment AND,0,0, {hello}, {}, {}\n  Response {second},Just Text,{},{}\n");
  b->ProcessInput("hello");
  EXPECT_EQ(rec.answers.back(), "first");
}

TEST(Answer, TheFloorNeverAnswers) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "For-Mode 0,0\n  Fragment CUSTOM,0,30000, {x}, {}, {}\n  Response {low},Just Text,{},{}\n");
  b->ProcessInput("y");
  FirstPattern(*b).Fragments[0]->Penalty = 29999;
  Touch(&FirstPattern(*b));  // a change made behind the engine's back
  b->ProcessInput("y");
  EXPECT_EQ(rec.answers, (Lines{"Sorry, I can't answer you because I don't know anything at all yet...", "low"}));
}

TEST(Answer, OverflowingScoreIsAnErrorAndTheBrainStaysUsable) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "For-Mode 2147483647,0\n"
             "  Fragment AND,0,0, {x}, {}, {}\n"
             "  Response {never},Just Text,{},{}\n");
  EXPECT_THROW(b->ProcessInput("x"), EngineError);
  FirstPattern(*b).OrderBonus = 0;
  Touch(&FirstPattern(*b));
  b->ProcessInput("x");
  EXPECT_EQ(rec.answers, (Lines{"never"}));
}

TEST(Answer, ResetsVolitionAndRecordsTheKnowledge) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "Name-Object {main}\nFor-Mode 0,0\n  Response {x},Just Text,{},{}\n");
  SetLastVolition(FirstPattern(*b), 123);
  b->ProcessInput("a");
  EXPECT_EQ(FirstPattern(*b).LastVolition, 0);
  EXPECT_EQ(b->LastKnowledgeName, "main");
}

}  // namespace
}  // namespace varnex
