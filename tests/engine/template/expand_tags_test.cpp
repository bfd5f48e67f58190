#include "engine/template/expand_tags.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <set>

#include "engine/base/errors.h"
#include "platform/clock.h"
#include "support/test_support.h"

namespace varnex::test {
namespace {

class ExpandTags : public ::testing::Test {
 protected:
  Recorder rec;
  std::unique_ptr<BrainClass> brain = MakeBrain(rec, false);

  std::string X(std::string_view text, std::string_view context = "", PatternClass* p = nullptr,
                StepPatternClass* sp = nullptr) {
    return varnex::ExpandTags(*brain, text, context, sp, p);
  }
  void Coll(const std::string& name, std::initializer_list<const char*> members) {
    auto c = std::make_unique<DataCollectionClass>();
    for (const char* m : members) c->AddMember(m);
    brain->AddCollection(name, std::move(c));
  }
};

// Fragments of the given relations and texts, in order.
void AddFragments(OwnedList<WordFragmentClass>& list,
                  std::initializer_list<std::pair<PatternType, const char*>> fragments) {
  for (auto [relation, text] : fragments) {
    list.push_back(std::make_unique<WordFragmentClass>());
    list.back()->Relation = relation;
    list.back()->WordFrag = text;
  }
}

std::string Nested(int depth, const std::string& inner) {
  std::string s;
  for (int i = 0; i < depth; ++i) s += "^Fact{";
  return s + inner + std::string(static_cast<std::size_t>(depth), '}');
}

TEST_F(ExpandTags, TagsRunInTableOrderAndValuesMeetOnlyLaterTags) {
  brain->AddFact("Name", "Ann");
  brain->AddFact("later", "^State{}");
  brain->AddFact("same", "^Fact{Name}");
  brain->AddFact("pieces", "CT{Name}");
  PushHistory(brain->InputHistory, "^Fact{Name}");
  PushHistory(brain->OutputHistory, "^Add{1|1}");
  Coll("C", {"^Fact{Name}"});
  EXPECT_EQ(X("^Fact{later}|^Fact{same}"), "Normal|Ann");
  EXPECT_EQ(X("^FA^Fact{pieces}"), "Ann");  // the search starts again before the replaced part
  EXPECT_EQ(X("^Input{0}|^MemberX{C|0}|^LastOut{0}"), "^Fact{Name}|^Fact{Name}|2");
  EXPECT_EQ(X("^Fact{ Name}|^Add{^Mul{2|3}|1}"), "#|7");
  EXPECT_EQ(X("^Unknown{x} ^ ^State{}"), "^Unknown{x} ^ Normal");
  brain->CurrentState = -1;
  EXPECT_EQ(X("[^State{}]"), "[]");
}

TEST_F(ExpandTags, UnclosedArgumentsStayAsWritten) {
  EXPECT_EQ(FindClosingBrace("^Fact{a{b}c}", 0), 11u);
  EXPECT_EQ(FindClosingBrace("x ^Fact{a} }", 2), 9u);
  EXPECT_EQ(FindClosingBrace("^Fact{a{b}", 0), std::string::npos);
  brain->AddFact("Name", "Ann");
  EXPECT_EQ(X("^Fact{Name"), "^Fact{Name");
  EXPECT_EQ(X("^Add{1|2 ^Fact{Name}"), "^Add{1|2 Ann");
}

TEST_F(ExpandTags, SystemFactsReadTheClock) {
  const double october2 = DaysFromCivil(2002, 10, 2);
  FixedClock clock(DaysFromCivil(2024, 3, 5) + (13 * 3600 + 4 * 60 + 5) / 86400.0);
  EXPECT_EQ(X("^SysFact{time} ^SysFact{DATE} ^SysFact{when}"), "13:04:05 03/05/24 *");
  clock.Set(october2 + 10.75);
  EXPECT_EQ(X("^SysFact{Age}"), "10");
  clock.Set(october2 - 1.5);
  EXPECT_EQ(X("^SysFact{AGE}"), "-1");
}

TEST_F(ExpandTags, MemberCachesLastUntilTheNextInput) {
  Coll("Colors", {"red", "blue", "green"});
  brain->StampLastInput();
  EXPECT_EQ(X("^Member{Colors}", "red and blue"), "blue");  // collection order
  EXPECT_EQ(X("^Member{colors}", "only green"), "blue");
  EXPECT_EQ(X("^Member{Colors|0}", "only green"), "green");  // an index searches anew...
  EXPECT_EQ(X("^Member{Colors}", "red"), "green");           // ...and fills the cache
  brain->StampLastInput();
  EXPECT_EQ(X("^Member{Colors}", "nothing"), "~");
  EXPECT_EQ(X("^Member{Colors}", "red"), "~");
  brain->StampLastInput();
  EXPECT_EQ(X("^MemberSub{Colors}", "bluegreen"), "blue");
  EXPECT_EQ(X("^MemberSub{Colors}", "reddish"), "blue");
  brain->StampLastInput();
  EXPECT_EQ(X("^MemberSub{Colors}", "reddish"), "red");
  EXPECT_EQ(X("[^Member{Nope}^MemberSub{Nope}^Members{Nope}^MemberX{Nope|0}]", "red"), "[]");
}

TEST_F(ExpandTags, MembersMemberXAndMemberZ) {
  Coll("Five", {"a", "b", "c", "d", "e"});
  EXPECT_EQ(X("^Members{Five}", "x"), "a, b, c, d, e");
  EXPECT_EQ(X("[^MemberX{Five|7}^MemberX{Five|-1}]^MemberX{Five|x}^MemberX{Five| 2}"), "[]ac");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) seen.insert(X("^MemberX{Five}"));
  EXPECT_EQ(seen.size(), 5u);

  Coll("Pets", {"cat", "dog"});
  Coll("Lines", {"My cat sleeps", "Dogs bark", "The dog runs", "Birds fly"});
  Coll("Fish", {"trout"});
  EXPECT_EQ(X("^MemberZ{Pets|Lines}", "a cat"), "My cat sleeps");
  seen.clear();
  for (int i = 0; i < 100; ++i) seen.insert(X("^MemberZ{Pets|Lines}", "nothing here"));
  EXPECT_EQ(seen, (std::set<std::string>{"My cat sleeps", "The dog runs"}));
  EXPECT_EQ(X("[^MemberZ{Fish|Lines}^MemberZ{Pets|Nope}]", "a cat"), "[]");
  const std::string noBar = X("^MemberZ{Pets}");  // a member of the one collection
  EXPECT_TRUE(noBar == "cat" || noBar == "dog") << noBar;
}

TEST_F(ExpandTags, RemainTakesTheOwnersSearchedWordsOut) {
  brain->AddFact("w", "my");
  PatternClass p;
  StepPatternClass sp;
  for (auto* list : {&p.Fragments, &sp.Fragments})
    // Relation 5 searches no word; 11 (a substring) only for a pattern.
    AddFragments(*list, {{PatternType::And, "hello"}, {PatternType::DataMatch, "friend"}, {PatternType::Or, "THERE"}, {PatternType::CustomSub, "ien"}, {PatternType::Not, "absent"}, {PatternType::Custom, "^Fact{w}"}});
  const std::string input = "Hello there my friend";
  EXPECT_EQ(X("[^Remain{}]", input, &p), "[   frd]");
  EXPECT_EQ(X("[^Remain{}]", input, nullptr, &sp), "[   friend]");
  EXPECT_EQ(X("[^Remain{}]", input), "[" + input + "]");
  EXPECT_EQ(X("[^Remain{}]", "^Fact{w} hello", &p), "[ ]");  // the remaining text is expanded too
}

TEST_F(ExpandTags, HistoryLastNamesAndAutoName) {
  PushHistory(brain->InputHistory, "first");
  PushHistory(brain->InputHistory, "second");
  EXPECT_EQ(X("^Input{ 1}|^Input{$1}|^Input{last}|^Input{2}|^LastOut{0}"), "first|first|second||");
  for (int i = 0; i < 150; ++i) PushHistory(brain->InputHistory, std::to_string(i));
  EXPECT_EQ(X("^Input{99}|^Input{100}"), "50|");

  brain->LastPatternName = "P";
  brain->LastStepPatternName = "SP";
  brain->LastFragmentName = "F";
  brain->LastResponseName = "R";
  brain->LastTaskName = "T";
  brain->LastKnowledgeName = "K";
  EXPECT_EQ(X("^LastPat{}|^LastSPat{}|^LastFrag{}|^LastResp{}|^LastTask{}|^LastKnow{}"), "P|SP|F|R|T|K");
  const std::size_t named = brain->NamedObjects.Size();
  const std::regex shape("(Auto-[A-Y]{10})(Auto-[A-Y]{10})");
  std::smatch m;
  const std::string two = X("^AutoName{}^autoname{}");
  ASSERT_TRUE(std::regex_match(two, m, shape)) << two;
  EXPECT_NE(m[1], m[2]);
  EXPECT_EQ(brain->NamedObjects.Size(), named);  // returned, never registered
}

// A failing tag gives the empty text and is reported; the rest of the text
// is expanded as usual, and a tag around it sees the empty value.
TEST_F(ExpandTags, AFailingTagGivesTheEmptyTextAndIsReported) {
  brain->AddFact("n", "41");
  EXPECT_EQ(X("^Add{^Fact{n}|1}"), "42");
  EXPECT_EQ(X("a^Div{^Fact{n}|0}b ^Fact{n}"), "ab 41");
  EXPECT_EQ(X("[^Add{^Add{$7FFFFFFF|$1}|1}]"), "[|1]");  // "|1" is one operand, a text
  EXPECT_EQ(rec.errors, (Lines{"Division by zero", "Integer overflow"}));
  // A value that would pass the brain's limit is refused the same way.
  brain->Limits.ValueBytes = 100;
  brain->AddFact("big", std::string(60, 'b'));
  EXPECT_EQ(X("^Fact{big}^Fact{big}!"), std::string(60, 'b') + "!");
  EXPECT_EQ(rec.errors.back(), "Text too long: a tag would make it longer than 100 bytes");
}

// Arithmetic nested at any depth computes the right number: nesting never
// silently leaves an inner tag as written.
TEST_F(ExpandTags, ArithmeticNestedAtAnyDepthIsExact) {
  for (int depth : {1, 31, 32, 33, 34, 50, 400}) {
    std::string text = "1";
    for (int i = 0; i < depth; ++i) text = "^Add{1|" + text + "}";
    EXPECT_EQ(X(text), std::to_string(depth + 1)) << depth;
  }
  // Mixed kinds: an argument is expanded in full before its tag.
  brain->AddFact("k3", "three");
  brain->AddFact("three", "^Mul{^Sub{10|4}|^Div{1|2}}");
  EXPECT_EQ(X("^Fact{^Fact{k^Add{^Sub{5|^Mul{1|2}}|0}}}"), "3");
}

// Hostile or mistaken texts must end quickly with a sensible result.
TEST_F(ExpandTags, DeepNestingAndSelfReferenceStop) {
  brain->AddFact("x", "x");
  // Too deep to expand within the work budget: the whole tag stays as written.
  const std::string deep = Nested(100000, "x");
  EXPECT_TRUE(X(deep) == deep);
  const std::string unclosed = Nested(100000, "x").substr(0, 600001);
  EXPECT_TRUE(X(unclosed) == unclosed);

  brain->AddFact("x", "^Fact{x}");
  EXPECT_EQ(X("a ^Fact{x} b"), "a ^Fact{x} b");
  brain->AddFact("y", "^Fact{y}^Fact{y}");
  const std::string grown = X("^Fact{y}");
  EXPECT_LT(grown.size(), 1000000u);
  EXPECT_EQ(grown.size() % 8, 0u);
  brain->AddFact("a", "^Fact{b}");
  brain->AddFact("b", "^Fact{a}");
  const std::string pingPong = X("^Fact{a}");
  EXPECT_TRUE(pingPong == "^Fact{a}" || pingPong == "^Fact{b}") << pingPong;
  brain->AddFact("z", "^Add{^Fact{z}|1}");
  EXPECT_FALSE(X("^Fact{z}").empty());

  PatternClass p;
  AddFragments(p.Fragments, {{PatternType::Custom, "^Remain{}"}, {PatternType::Custom, "^Remain{} x"}});
  EXPECT_FALSE(X("^Remain{}", "abc x", &p).empty());
  X("^Remain{}", "^Remain{} x", &p);
}

TEST_F(ExpandTags, MegabyteTextsExpandInFull) {
  std::string plain;
  while (plain.size() < (1u << 20)) plain += "lorem ipsum { dolor } ^ sit ^Fac{ amet | ";
  EXPECT_TRUE(X(plain) == plain);
  brain->AddFact("Name", "Ann");
  const std::string filler(350000, 'a');
  // Compared with == so that a failure does not print a megabyte.
  EXPECT_TRUE(X("^Fact{Name} " + filler + " ^State{} " + filler + " ^Input{0}|" + filler + " ^Div{6|3}") ==
              "Ann " + filler + " Normal " + filler + " |" + filler + " 2");
  // A short text whose value is long: the tags after it still expand.
  brain->AddFact("Long", std::string(1u << 20, 'b'));
  EXPECT_TRUE(X("^Fact{Long} ^State{} ^Add{1|2}") == std::string(1u << 20, 'b') + " Normal 3");
}

TEST_F(ExpandTags, RandomTagSoupTerminates) {
  brain->AddFact("x", "^Fact{y}");
  brain->AddFact("y", "1");
  Coll("C", {"a", "b c"});
  PatternClass p;
  AddFragments(p.Fragments, {{PatternType::And, "a"}, {PatternType::CustomSub, "^Fact{x}"}});
  PushHistory(brain->InputHistory, "a b");
  const char* pieces[] = {"^Fact{", "^SysFact{", "^Member{", "^MemberSub{", "^Members{", "^MemberX{", "^MemberZ{",
                          "^State{}", "^Remain{}", "^Input{", "^LastOut{", "^AutoName{}", "^Add{", "^Sub{",
                          "^Mul{", "^Div{", "{", "}", "}}", "^", "|", "x", "C", "0", "1", "$F", " ", "a"};
  std::mt19937 rng(20240611);
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (auto n = rng() % 40 + 1; n > 0; --n) text += pieces[rng() % std::size(pieces)];
    try {
      X(text, "a b c", &p);
    } catch (const EngineError&) {
      // Division by zero and overflow are legitimate outcomes here.
    }
  }
}

}  // namespace
}  // namespace varnex::test
