#include "engine/matching/extract.h"
#include "engine/matching/score.h"

#include <gtest/gtest.h>

#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

TEST(Extract, PullsValuesIntoFacts) {
  BrainClass b;
  EXPECT_TRUE(Extract(b, "MY NAME IS ^EXTR{NAME}", "Hi, my name is Bob"));
  EXPECT_EQ(b.GetFact("NAME"), "Bob");
  EXPECT_TRUE(Extract(b, "^EXTR{CITY} IS NICE", "Paris is nice"));
  EXPECT_EQ(b.GetFact("CITY"), "Paris");
  EXPECT_TRUE(Extract(b, "FROM ^EXTR{A} TO ^EXTR{B}", "from Rome to Oslo please"));
  EXPECT_EQ(b.GetFact("A"), "Rome");
  EXPECT_EQ(b.GetFact("B"), "Oslo please");
  // Two holes in a row: the first takes everything up to the next literal.
  EXPECT_TRUE(Extract(b, "^EXTR{X}^EXTR{Y} END", "one two end"));
  EXPECT_EQ(b.GetFact("X"), "one two");
  EXPECT_EQ(b.GetFact("Y"), "");
}

TEST(Extract, FailuresStoreNothing) {
  BrainClass b;
  EXPECT_FALSE(Extract(b, "^EXTR{NAME}", "Bob"));              // no literal
  EXPECT_FALSE(Extract(b, "I AM ^EXTR{AGE}", "hello there"));  // literal absent
  EXPECT_FALSE(Extract(b, "^EXTR{A} ^EXTR{B}", "a b"));        // empty literal between holes
  EXPECT_FALSE(Extract(b, "CALL ME ^EXTR{NAME", "call me Al")); // no closing brace
  EXPECT_FALSE(Extract(b, "CALL ME ^EXTR{}", "call me Al"));    // empty name
  EXPECT_FALSE(Extract(b, "NO TAG HERE", "no tag here"));
  EXPECT_FALSE(Extract(b, "CALL ME ^EXTR{N}", "   "));
  EXPECT_TRUE(b.FactNames.empty());
  std::string many;
  for (int i = 0; i < 60; ++i) many.append("W ^EXTR{V").append(std::to_string(i)).append("} ");
  EXPECT_FALSE(Extract(b, many, "w0 x"));  // more segments than a template may hold
}

TEST(Extract, AsAFragmentScoresAndTraces) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "For-Mode 0,0\n"
             "  Fragment EXTRACT,50,10, {my name is ^Extr{name}}, {}, {}\n"
             "  Response {Nice to meet you, ^Fact{NAME}.},Just Text,{},{}\n");
  EXPECT_EQ(Score(*b, *b->Knowledge[0]->Patterns[0], "My name is Ada Lovelace"), 50);
  EXPECT_EQ(b->GetFact("name"), "Ada Lovelace");
  EXPECT_NE(std::find(rec.trace.begin(), rec.trace.end(), "[Add Fact]: NAME = {Ada Lovelace}"), rec.trace.end());
}

}  // namespace
}  // namespace varnex
