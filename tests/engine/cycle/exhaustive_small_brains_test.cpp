// Beside the random brains of the differential test, every small case in
// full: every clause of one or two fragments over a few words and the
// searching relations, against every short input over the same words, both
// ways. The words overlap on purpose ("cat" in "cats", "a" in "a cat"), and
// the scores are chosen so that ties, negative totals and order bonus and
// penalty all occur.
// GCC 12 warns wrongly about string concatenation here (-Wrestrict).
#pragma GCC diagnostic ignored "-Wrestrict"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/differential.h"

namespace varnex {
namespace {

const std::vector<std::string> kWords = {"cat", "cats", "a cat", "dog"};
// Relation, bonus and penalty: the fixed relations and one clause that
// reads the brain (Data-Match), which the index scores the reference way.
const std::vector<std::string> kRelations = {"AND,0,0", "OR,0,0", "NOT,0,0", "CUSTOM,30,20", "CUSTOM-Sub,40,-5",
                                             "Data-Match,7,7"};

std::vector<std::string> Fragments() {
  std::vector<std::string> all;
  for (const auto& r : kRelations)
    for (const auto& w : kWords) all.push_back("  Fragment " + r + ", {" + w + "}, {mood}, {" + w + "}\n");
  return all;
}

// A clause of the given fragments; the order bonus and penalty differ so
// that the order rule shows in the score.
std::string Clause(const std::string& name, const std::vector<std::string>& fragments) {
  std::string c = "For-Mode 11,7\nName-Object {" + name + "}\n";
  for (const auto& f : fragments) c += f;
  return c + "  Response {" + name + " ^LastFrag{}},Just Text,{},{}\n";
}

std::vector<std::string> Inputs() {
  std::vector<std::string> inputs = {"", "CATS!", "acat", "dog-cat"};
  const std::vector<std::string> words = {"cat", "cats", "a", "dog", "x"};
  for (const auto& a : words) {
    inputs.push_back(a);
    for (const auto& b : words) {
      inputs.push_back(a + " " + b);
      for (const auto& c : words) inputs.push_back(a + " " + b + " " + c);
    }
  }
  return inputs;
}

void ExpectSameBothWays(const std::string& brain, const std::vector<std::string>& inputs) {
  const std::vector<std::function<void(BrainClass&)>> none(inputs.size());
  const test::Played reference = test::Play(brain, inputs, none, false);
  const test::Played fast = test::Play(brain, inputs, none, true);
  if (reference.log == fast.log) return;
  std::size_t i = 0;
  while (i < reference.log.size() && i < fast.log.size() && reference.log[i] == fast.log[i]) ++i;
  FAIL() << "differs at log line " << i << ":\n  reference: " << (i < reference.log.size() ? reference.log[i] : "(end)")
         << "\n  fast:      " << (i < fast.log.size() ? fast.log[i] : "(end)") << "\nbrain:\n" << brain;
}

// Each clause on its own, after a clause that always scores 0, so that the
// clause answers exactly when its own score is above 0 and the tie rule
// meets it at 0.
TEST(ExhaustiveSmallBrains, EveryClauseOfOneOrTwoFragmentsAlone) {
  const std::vector<std::string> fragments = Fragments();
  const std::vector<std::string> inputs = Inputs();
  const std::string zero = Clause("zero", {});
  const std::string fact = "Fact {mood} = {cat}\n";
  int brains = 0;
  for (std::size_t i = 0; i < fragments.size(); ++i) {
    ExpectSameBothWays(fact + zero + Clause("one", {fragments[i]}), inputs);
    for (std::size_t j = 0; j < fragments.size(); ++j) {
      ExpectSameBothWays(fact + zero + Clause("two", {fragments[i], fragments[j]}), inputs);
      ++brains;
      if (HasFailure()) return;
    }
  }
  EXPECT_EQ(brains, 24 * 24);
}

// All those clauses in one mode, in two orders: the earlier of equal
// scores must win both ways.
TEST(ExhaustiveSmallBrains, AllClausesTogetherInBothOrders) {
  const std::vector<std::string> fragments = Fragments();
  std::vector<std::string> clauses;
  for (std::size_t i = 0; i < fragments.size(); ++i) {
    clauses.push_back(Clause("c" + std::to_string(i), {fragments[i]}));
    for (std::size_t j = 0; j < fragments.size(); ++j)
      clauses.push_back(Clause("c" + std::to_string(i) + "_" + std::to_string(j), {fragments[i], fragments[j]}));
  }
  std::string forward, backward;
  for (std::size_t i = 0; i < clauses.size(); ++i) {
    forward += clauses[i];
    backward += clauses[clauses.size() - 1 - i];
  }
  ExpectSameBothWays(forward, Inputs());
  ExpectSameBothWays(backward, Inputs());
}

}  // namespace
}  // namespace varnex
