// Hostile or mistaken texts: each must end quickly with a sensible result.
#include <random>

#include "engine/core/errors.h"
#include "expand_fixture.h"

namespace varnex::test {
namespace {

using ExpandBadInput = ExpandFixture;

std::string Nested(int depth, const std::string& inner) {
  std::string s;
  for (int i = 0; i < depth; ++i) s += "^Fact{";
  s += inner;
  s.append(static_cast<std::size_t>(depth), '}');
  return s;
}

// Long runs of one letter shown as a count, so that a failure stays readable.
std::string Squeeze(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t j = i;
    while (j < s.size() && s[j] == s[i]) ++j;
    if (j - i > 16) {
      out.append("<").append(std::to_string(j - i)).append(" x ").append(1, s[i]).append(">");
    } else {
      out.append(s, i, j - i);
    }
    i = j;
  }
  return out;
}

TEST_F(ExpandBadInput, DeepNestingIsCutOff) {
  brain->AddFact("x", "x");
  EXPECT_EQ(X(Nested(20, "x")), "x");
  // Past the nesting limit the innermost argument is used as written, which
  // names no fact.
  EXPECT_EQ(X(Nested(100, "x")), "#");
  EXPECT_EQ(X(Nested(100000, "x")), "#");
  const std::string unclosed = Nested(100000, "x").substr(0, 600001);
  EXPECT_EQ(X(unclosed), unclosed);
}

TEST_F(ExpandBadInput, SelfReferringFactsStop) {
  brain->AddFact("x", "^Fact{x}");
  EXPECT_EQ(X("a ^Fact{x} b"), "a ^Fact{x} b");

  brain->AddFact("y", "^Fact{y}^Fact{y}");
  const std::string grown = X("^Fact{y}");
  ASSERT_GE(grown.size(), 8u);
  EXPECT_LT(grown.size(), 1000000u);
  EXPECT_EQ(grown.size() % 8, 0u);
  for (std::size_t i = 0; i < grown.size(); i += 8) ASSERT_EQ(grown.compare(i, 8, "^Fact{y}"), 0) << i;

  brain->AddFact("a", "^Fact{b}");
  brain->AddFact("b", "^Fact{a}");
  const std::string pingPong = X("^Fact{a}");
  EXPECT_TRUE(pingPong == "^Fact{a}" || pingPong == "^Fact{b}") << pingPong;

  brain->AddFact("z", "^Add{^Fact{z}|1}");
  EXPECT_FALSE(X("^Fact{z}").empty());
}

TEST_F(ExpandBadInput, RemainInsideItsOwnFragmentsStops) {
  PatternClass p;
  AddFragment(p.Fragments, 4, "^Remain{}");
  AddFragment(p.Fragments, 4, "^Remain{} x");
  EXPECT_FALSE(X("^Remain{}", "abc x", &p).empty());
  X("^Remain{}", "^Remain{} x", &p);
}

TEST_F(ExpandBadInput, MegabyteTexts) {
  std::string plain;
  while (plain.size() < (1u << 20)) plain += "lorem ipsum { dolor } ^ sit ^Fac{ amet | ";
  EXPECT_TRUE(X(plain) == plain);

  brain->AddFact("Name", "Ann");
  const std::string filler(350000, 'a');
  const std::string tagged = "^Fact{Name} " + filler + " ^State{} " + filler + " ^Input{0}|" + filler + " ^Div{6|3}";
  const std::string expected = "Ann " + filler + " Normal " + filler + " |" + filler + " 2";
  EXPECT_EQ(Squeeze(X(tagged)), Squeeze(expected));
}

TEST_F(ExpandBadInput, RandomTagSoupTerminates) {
  brain->AddFact("x", "^Fact{y}");
  brain->AddFact("y", "1");
  Coll("C", {"a", "b c"});
  PatternClass p;
  AddFragment(p.Fragments, 1, "a");
  AddFragment(p.Fragments, 11, "^Fact{x}");
  PushHistory(brain->InputHistory, "a b");
  const char* pieces[] = {"^Fact{", "^SysFact{", "^Member{", "^MemberSub{", "^Members{", "^MemberX{", "^MemberZ{",
                          "^State{}", "^Remain{}", "^Input{", "^LastOut{", "^AutoName{}", "^Add{", "^Sub{",
                          "^Mul{", "^Div{", "{", "}", "}}", "^", "|", "x", "C", "0", "1", "$F", " ", "a"};
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1), length(1, 40);
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (std::size_t n = length(rng); n > 0; --n) text += pieces[pick(rng)];
    try {
      X(text, "a b c", &p);
    } catch (const EngineError&) {
      // Division by zero and overflow are legitimate outcomes here.
    }
  }
}

}  // namespace
}  // namespace varnex::test
