#include <regex>
#include <set>

#include "engine/core/errors.h"
#include "expand_fixture.h"
#include "platform/clock.h"

namespace varnex::test {
namespace {

using ExpandTags = ExpandFixture;

TEST_F(ExpandTags, FactsIgnoreCaseAndExpandTheirArgumentFirst) {
  brain->AddFact("Name", "Ann");
  brain->AddFact("a{b}c", "braced");
  PushHistory(brain->InputHistory, "name");
  EXPECT_EQ(X("^fact{name} ^FACT{NAME}"), "Ann Ann");
  EXPECT_EQ(X("^Fact{nobody}|^Fact{}|^Fact{ Name}"), "#|#|#");
  EXPECT_EQ(X("^Fact{a{b}c}"), "braced");
  EXPECT_EQ(X("^Fact{^Input{0}}"), "Ann");
  EXPECT_EQ(X("^Add{^Mul{2|3}|1}"), "7");
  EXPECT_EQ(X("^Unknown{x} ^ ^State{ } ^State{}"), "^Unknown{x} ^ ^State{ } Normal");
  brain->CurrentState = -1;
  EXPECT_EQ(X("[^State{}]"), "[]");
}

TEST_F(ExpandTags, ValuesAreExpandedOnlyByLaterTags) {
  brain->AddFact("Name", "Ann");
  brain->AddFact("later", "^State{}");
  brain->AddFact("same", "^Fact{Name}");
  brain->AddFact("pieces", "CT{Name}");
  PushHistory(brain->InputHistory, "^Fact{Name}");
  PushHistory(brain->OutputHistory, "^Add{1|1}");
  Coll("C", {"^Fact{Name}"});
  EXPECT_EQ(X("^Fact{later}"), "Normal");
  EXPECT_EQ(X("^Fact{same}"), "Ann");
  EXPECT_EQ(X("^FA^Fact{pieces}"), "Ann");  // the search starts again at the beginning
  EXPECT_EQ(X("^Input{0}"), "^Fact{Name}");
  EXPECT_EQ(X("^MemberX{C|0}"), "^Fact{Name}");
  EXPECT_EQ(X("^LastOut{0}"), "2");
}

TEST_F(ExpandTags, ClosingBraceSkipsInnerPairs) {
  EXPECT_EQ(FindClosingBrace("^Fact{a{b}c}", 0), 11u);
  EXPECT_EQ(FindClosingBrace("x ^Fact{a} }", 2), 9u);
  EXPECT_EQ(FindClosingBrace("^Fact{a", 0), std::string::npos);
  EXPECT_EQ(FindClosingBrace("^Fact{a{b}", 0), std::string::npos);
  brain->AddFact("Name", "Ann");
  EXPECT_EQ(X("^Fact{Name"), "^Fact{Name");
  EXPECT_EQ(X("^Fact{a ^Fact{Name}"), "^Fact{a Ann");
  EXPECT_EQ(X("^Add{1|2 ^Fact{Name}"), "^Add{1|2 Ann");
}

TEST_F(ExpandTags, SystemFactsReadTheClock) {
  const double october2 = DaysFromCivil(2002, 10, 2);
  FixedClock clock(DaysFromCivil(2024, 3, 5) + (13 * 3600 + 4 * 60 + 5) / 86400.0);
  EXPECT_EQ(X("^SysFact{time} ^SysFact{DATE}"), "13:04:05 03/05/24");
  EXPECT_EQ(X("^SysFact{ time }|^SysFact{when}"), "*|*");
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
  EXPECT_EQ(X("^Member{Colors|0}", "only green"), "green");
  EXPECT_EQ(X("^Member{Colors}", "red"), "green");
  EXPECT_EQ(X("^Member{Colors|1}", "red and blue"), "red");
  brain->StampLastInput();
  EXPECT_EQ(X("^Member{Colors}", "nothing"), "~");
  EXPECT_EQ(X("^Member{Colors}", "red"), "~");
  brain->StampLastInput();
  EXPECT_EQ(X("^Member{Colors}", "red"), "red");
  EXPECT_EQ(X("^MemberSub{Colors}", "bluegreen"), "blue");
  EXPECT_EQ(X("^MemberSub{Colors}", "reddish"), "blue");
  brain->StampLastInput();
  EXPECT_EQ(X("^MemberSub{Colors}", "reddish"), "red");
  EXPECT_EQ(X("[^Member{Nope}^MemberSub{Nope}]", "red"), "[]");
}

TEST_F(ExpandTags, MembersAndMemberX) {
  Coll("Five", {"a", "b", "c", "d", "e"});
  Coll("Empty", {});
  EXPECT_EQ(X("^Members{Five}", "x"), "a, b, c, d, e");
  EXPECT_EQ(X("[^Members{Five}^Members{Nope}]", ""), "[]");
  EXPECT_EQ(X("[^MemberX{Five|7}^MemberX{Five|-1}^MemberX{Empty}^MemberX{Nope|0}]"), "[]");
  EXPECT_EQ(X("^MemberX{Five|x}^MemberX{Five| 2}"), "ac");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) seen.insert(X("^MemberX{Five}"));
  EXPECT_EQ(seen, (std::set<std::string>{"a", "b", "c", "d", "e"}));
}

TEST_F(ExpandTags, MemberZPrefersTopicLinesThatMeetTheInput) {
  Coll("Pets", {"cat", "dog"});
  Coll("Lines", {"My cat sleeps", "Dogs bark", "The dog runs", "Birds fly"});
  Coll("Fish", {"trout"});
  EXPECT_EQ(X("^MemberZ{Pets|Lines}", "a cat"), "My cat sleeps");
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) seen.insert(X("^MemberZ{Pets|Lines}", "nothing here"));
  EXPECT_EQ(seen, (std::set<std::string>{"My cat sleeps", "The dog runs"}));
  EXPECT_EQ(X("[^MemberZ{Fish|Lines}^MemberZ{Pets|Nope}^MemberZ{Nope|Lines}]", "a cat"), "[]");
  const std::string noBar = X("^MemberZ{Pets}");
  EXPECT_TRUE(noBar == "cat" || noBar == "dog") << noBar;
}

TEST_F(ExpandTags, RemainTakesTheOwnersSearchedWordsOut) {
  brain->AddFact("w", "my");
  PatternClass p;
  StepPatternClass sp;
  for (auto* list : {&p.Fragments, &sp.Fragments}) {
    AddFragment(*list, 1, "hello");
    AddFragment(*list, 5, "friend");  // not a word search: skipped
    AddFragment(*list, 2, "THERE");
    AddFragment(*list, 11, "ien");  // substring search: patterns only
    AddFragment(*list, 3, "absent");
    AddFragment(*list, 4, "^Fact{w}");
  }
  const std::string input = "Hello there my friend";
  EXPECT_EQ(X("[^Remain{}]", input, &p), "[   frd]");
  EXPECT_EQ(X("[^Remain{}]", input, nullptr, &sp), "[   friend]");
  EXPECT_EQ(X("[^Remain{}]", input, &p, &sp), "[   frd]");
  EXPECT_EQ(X("[^Remain{}]", input), "[" + input + "]");
  EXPECT_EQ(X("[^Remain{}]", "^Fact{w} hello", &p), "[ ]");  // the remaining text is expanded too
}

TEST_F(ExpandTags, InputAndOutputHistory) {
  PushHistory(brain->InputHistory, "first");
  PushHistory(brain->InputHistory, "second");
  PushHistory(brain->OutputHistory, "answer");
  EXPECT_EQ(X("^Input{0}|^Input{1}|^Input{ 1}|^Input{$1}"), "second|first|first|first");
  EXPECT_EQ(X("^Input{}|^Input{last}"), "second|second");
  EXPECT_EQ(X("[^Input{2}^Input{-1}^LastOut{1}]"), "[]");
  EXPECT_EQ(X("^LastOut{0}"), "answer");
  for (int i = 0; i < 150; ++i) PushHistory(brain->InputHistory, std::to_string(i));
  EXPECT_EQ(X("^Input{99}|^Input{100}"), "50|");
}

TEST_F(ExpandTags, LastNamesAndAutoName) {
  brain->LastPatternName = "P";
  brain->LastStepPatternName = "SP";
  brain->LastFragmentName = "F";
  brain->LastResponseName = "R";
  brain->LastTaskName = "T";
  brain->LastKnowledgeName = "K";
  EXPECT_EQ(X("^LastPat{}|^LastSPat{}|^LastFrag{}|^LastResp{}|^LastTask{}|^LastKnow{}"), "P|SP|F|R|T|K");

  const std::size_t named = brain->NamedObjects.Size();
  const std::regex shape("(Auto-[A-Y]{10})(Auto-[A-Y]{10})");
  for (int i = 0; i < 50; ++i) {
    const std::string two = X("^AutoName{}^autoname{}");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(two, m, shape)) << two;
    EXPECT_NE(m[1], m[2]);
  }
  EXPECT_EQ(brain->NamedObjects.Size(), named);  // returned, never registered
}

TEST_F(ExpandTags, ArithmeticTagsAndTheirErrors) {
  brain->AddFact("n", "41");
  EXPECT_EQ(X("^Add{^Fact{n}|1} ^Sub{10|4} ^Mul{2|2.5} ^Div{1|3}"), "42 6 5 0.333333333333333");
  EXPECT_EQ(X("^Add{1|2|3} ^Sub{|5} ^Add{abc|def}"), "12|3 |5 abcdef");
  EXPECT_THROW(X("^Div{^Fact{n}|0}"), EngineError);
  EXPECT_THROW(X("^Add{^Add{$7FFFFFFF|$1}|1}"), EngineError);
  // A raised error leaves nothing behind for the next expansion.
  brain->AddFact("x", "x");
  std::string nested = "x";
  for (int i = 0; i < 20; ++i) nested = "^Fact{" + nested + "}";
  EXPECT_EQ(X(nested), "x");
}

}  // namespace
}  // namespace varnex::test
