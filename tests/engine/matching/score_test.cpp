// Scoring keeps each fragment's word in its search form and remembers a
// word's search for the rest of the input: these tests change words,
// inputs and brains under that memory.
#include "engine/matching/score.h"

#include <gtest/gtest.h>

#include "engine/matching/best_pattern.h"
#include "engine/template/object_fields.h"
#include "support/language_support.h"

namespace varnex {
namespace {

PatternClass& Only(BrainClass& b) { return *b.Knowledge.back()->Patterns.at(0); }

TEST(Score, AWordChangedAfterScoringIsSearchedAsItNowStands) {
  BrainClass b;
  test::Load(b, "Mode {Main}\nFor-Mode 0,0\n  Fragment CUSTOM,10,5, {cat}, {}, {}\nName-Object {Pet}\n");
  PatternClass& p = Only(b);
  EXPECT_EQ(Score(b, p, "a cat here"), 10);
  SetObjectField(b, "Pet", "WordFrag", " dog ");
  EXPECT_EQ(Score(b, p, "a cat here"), -5);
  EXPECT_EQ(Score(b, p, "a dog here"), 10);
  // Into a word with a tag and back to a plain one.
  SetObjectField(b, "Pet", "WordFrag", "^Fact{pet}");
  b.AddFact("pet", "bird");
  EXPECT_EQ(Score(b, p, "a bird here"), 10);
  SetObjectField(b, "Pet", "WordFrag", "cat");
  EXPECT_EQ(Score(b, p, "a bird here"), -5);
}

TEST(Score, RememberedSearchesNeverOutliveTheirInput) {
  BrainClass b;
  test::Load(b,
             "Mode {Main}\n"
             "For-Mode 0,0\n  Fragment CUSTOM,1,1, {IS}, {}, {}\n  Fragment CUSTOM,1,1, {IT}, {}, {}\n"
             "For-Mode 0,0\n  Fragment CUSTOM,2,2, {is}, {}, {}\n");
  KnowledgeClass& k = *b.Knowledge.back();
  b.FastPath = false;
  // The same word in several fragments, through every way an input reaches
  // the scorer, with inputs alternating between finding it and not.
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(Score(b, *k.Patterns[0], "is it"), 2);
    EXPECT_EQ(Score(b, *k.Patterns[1], "is it"), 2);
    EXPECT_EQ(Score(b, *k.Patterns[0], "it was"), 0);
    EXPECT_EQ(ChooseBestPattern(b, k, "was it").score, 0);
    EXPECT_EQ(ChooseBestPattern(b, k, "this is").winner, k.Patterns[1].get());
    EXPECT_EQ(ChooseBestPattern(b, k, "THIS").score, -2);
  }
}

TEST(Score, TwoBrainsNumberTheirWordsApart) {
  // The same input alternates between two brains whose words get the same
  // numbers: each must search its own words.
  BrainClass a, b;
  test::Load(a, "Mode {M}\nFor-Mode 0,0\n  Fragment CUSTOM,7,3, {RED}, {}, {}\n");
  test::Load(b, "Mode {M}\nFor-Mode 0,0\n  Fragment CUSTOM,7,3, {BLUE}, {}, {}\n");
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(Score(a, Only(a), "red car"), 7);
    EXPECT_EQ(Score(b, Only(b), "red car"), -3);
    EXPECT_EQ(Score(a, Only(a), "blue car"), -3);
    EXPECT_EQ(Score(b, Only(b), "blue car"), 7);
  }
}

TEST(Score, AWordBlankOnceTrimmedKeepsTheOrderAsItWas) {
  // An empty search leaves the position where the previous word put it, so
  // it can neither make nor break the order.
  BrainClass b;
  test::Load(b,
             "Mode {M}\nFor-Mode 4,9\n  Fragment CUSTOM,0,0, {B}, {}, {}\n  Fragment CUSTOM,0,0, {   }, {}, {}\n"
             "  Fragment CUSTOM,0,0, {A}, {}, {}\n");
  EXPECT_EQ(Score(b, Only(b), "a b"), -9);
  EXPECT_EQ(Score(b, Only(b), "b a"), 4);
  EXPECT_EQ(Score(b, Only(b), "b a"), 4);
}

}  // namespace
}  // namespace varnex
