// Explaining must give the answer's own numbers and leave no trace in the
// brain: a brain whose clauses extract facts, draw members at random and
// read the input history is explained, then compared with itself.
#include "engine/matching/explain.h"

#include <gtest/gtest.h>

#include "engine/base/random.h"
#include "engine/matching/best_pattern.h"
#include "engine/matching/score.h"
#include "engine/records/state_dump.h"
#include "support/language_support.h"

namespace varnex {
namespace {

const char* const kBrain =
    "Fact {pet} = {cat}\n"
    "Start-Collection {pets}\ndog\ncat\nfish\nEnd-Collection\n"
    "For-Mode 10,20\n  Fragment AND,0,0, {my}, {}, {}\n  Fragment AND,0,0, {name}, {}, {}\n"
    "For-Mode 5,0\n  Fragment EXTRACT,40,0, {MY NAME IS ^Extr{who}}, {}, {}\n"
    "For-Mode 0,0\n  Fragment CUSTOM,30,10, {^MemberX{pets}}, {}, {}\n"
    "For-Mode 0,0\n  Fragment CUSTOM-Sub,-500,0, {^Input{0}}, {}, {}\n"
    "For-Mode 0,7\n  Fragment NOT,0,0, {name}, {}, {}\n  Fragment Data-Match,25,25, {}, {pet}, {cat}\n"
    "For-Mode 0,0\n  Fragment OR,0,0, {is}, {}, {}\n  Fragment CUSTOM,15,15, {  }, {}, {}\n";

TEST(Explain, GivesTheAnswersOwnNumbersAndChangesNothing) {
  for (const char* input : {"my name is Ann", "name my", "what is a dog", "", "cat ^Fact{pet}"}) {
    BrainClass brain;
    test::Load(brain, kBrain);
    KnowledgeClass& mode = *brain.Knowledge.front();
    FixRandomSeed(7);
    const std::string before = DumpState(brain);
    const std::vector<ClauseExplained> all = ExplainMode(brain, mode, input);
    EXPECT_EQ(DumpState(brain), before) << input;
    // The facts are found by name as before: a fact the EXTRACT set while
    // explaining is gone from the index too, and can be set anew.
    EXPECT_EQ(brain.GetFact("who"), "#") << input;
    brain.AddFact("who", "Bo");
    EXPECT_EQ(brain.GetFact("who"), "Bo") << input;
    EXPECT_EQ(brain.FactNames.size(), brain.FactValues.size());
    EXPECT_EQ(brain.GetFact("pet"), "cat");
    brain.ReplaceFacts({"pet"}, {"cat"});
    // The generator is where it was: the next draw is the one it would have been.
    const uint32_t drawn = RandomBelow(1000000);
    FixRandomSeed(7);
    EXPECT_EQ(RandomBelow(1000000), drawn) << input;

    // Each clause as Score gives it, scored on a copy of the brain in the
    // state the answer would score it in (the input entered in the history).
    ASSERT_EQ(all.size(), mode.Patterns.size());
    BrainClass reference;
    test::Load(reference, kBrain);
    PushHistory(reference.InputHistory, input);
    int32_t best = kScoreFloor;
    for (std::size_t i = 0; i < all.size(); ++i) {
      FixRandomSeed(7);
      EXPECT_EQ(all[i].total, Score(reference, *reference.Knowledge.front()->Patterns[i], input))
          << "clause " << i + 1 << ", input \"" << input << "\"";
      int32_t sum = all[i].orderScore;
      for (const FragmentExplained& f : all[i].fragments) sum += f.score;
      EXPECT_EQ(sum, all[i].total) << "the parts add up to the total";
      best = std::max(best, all[i].total);
    }
    FixRandomSeed(7);
    EXPECT_EQ(ChooseBestPattern(reference, *reference.Knowledge.front(), input).score, best) << input;
  }
}

TEST(Explain, SaysWhichFragmentsFoundTheirText) {
  BrainClass brain;
  test::Load(brain, kBrain);
  const std::vector<ClauseExplained> all = ExplainMode(brain, *brain.Knowledge.front(), "name is my own");
  const ClauseExplained& first = all[0];
  ASSERT_EQ(first.fragments.size(), 2u);
  EXPECT_TRUE(first.fragments[0].found);
  EXPECT_EQ(first.fragments[0].position, 9);  // "my" after "name is "
  EXPECT_TRUE(first.fragments[1].found);
  EXPECT_FALSE(first.inOrder);  // "name" comes before "my"
  EXPECT_EQ(first.orderScore, -20);
  // A NOT fragment whose word is there, and a blank word that is never found
  // although both its outcomes could score alike.
  EXPECT_TRUE(all[4].fragments[0].found);
  EXPECT_EQ(all[4].fragments[0].score, -100);
  EXPECT_FALSE(all[5].fragments[1].found);
  EXPECT_EQ(all[5].fragments[1].position, 0);
}

}  // namespace
}  // namespace varnex
