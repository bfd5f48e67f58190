// Patterns as phrases of the normalised input, AIML's order of preference
// as ranks, and the capture of wildcards.
#include "importer/aiml_pattern.h"

#include <gtest/gtest.h>

#include "importer/aiml_to_brain.h"

namespace varnex::aiml {
namespace {

std::vector<Element> Section(const std::string& text) {
  std::vector<RawElement> raw;
  std::string why;
  EXPECT_TRUE(ParseSectionText(text, raw, why)) << why;
  std::vector<Element> out;
  for (auto& r : raw) out.push_back(r.element);
  return out;
}

Path MakePath(const std::string& input, const std::string& that = "*", const std::string& topic = "*") {
  return Path{Section(input), Section(that), Section(topic)};
}

// The fragments as "RELATION bonus penalty {text}".
std::vector<std::string> Fragments(const Path& p, int32_t rank = 0) {
  std::vector<std::string> out;
  for (const auto& f : PathFragments(p, rank))
    out.push_back(f.relation + " " + std::to_string(f.bonus) + " " + std::to_string(f.penalty) + " {" + f.word + "}");
  return out;
}

TEST(AimlPattern, WordsAreSplitAsTheEngineSplitsInputs) {
  EXPECT_EQ(SplitWords("What's up, 2day?"), (std::vector<std::string>{"WHAT", "S", "UP", "DAY"}));
  EXPECT_TRUE(SplitWords("42 !").empty());
  std::vector<RawElement> raw;
  std::string why;
  ASSERT_TRUE(ParseSectionText("  $hello  _ there * ^ #  ", raw, why));
  ASSERT_EQ(raw.size(), 6u);
  EXPECT_EQ(raw[0].element.cls, Class::Dollar);
  EXPECT_EQ(raw[1].element.cls, Class::Under);
  EXPECT_TRUE(raw[1].element.bindsStar);
  EXPECT_EQ(raw[2].element.words, std::vector<std::string>{"THERE"});
  EXPECT_EQ(raw[5].element.cls, Class::Hash);
  // A word no input could ever hold.
  EXPECT_FALSE(ParseSectionText("WHAT IS 2 PLUS 2", raw, why));
  EXPECT_NE(why.find("\"2\""), std::string::npos);
}

TEST(AimlPattern, RunsOfWordsArePhrasesAnchoredAtTheMarkers) {
  // The whole input, and nothing more.
  EXPECT_EQ(Fragments(MakePath("HELLO")),
            (std::vector<std::string>{"CUSTOM 0 30000 {<input> HELLO <that>}",
                                      "CUSTOM-Sub -30000 0 {<that> <number>}"}));
  // The start of the input; the * must hold a word, which may be a number.
  EXPECT_EQ(Fragments(MakePath("WHAT IS *"), 6),
            (std::vector<std::string>{"CUSTOM 0 30000 {<input> WHAT, IS}",
                                      "CUSTOM-Sub -30006 0 {<input> WHAT, IS <that>}",
                                      "CUSTOM-Sub 30006 0 {<input> WHAT, IS <that> <number>}"}));
  // A phrase anchored nowhere is bounded by the marker after it.
  EXPECT_EQ(Fragments(MakePath("* LIKE *")),
            (std::vector<std::string>{"CUSTOM 0 30000 {LIKE}", "CUSTOM 0 30000 {<that>}",
                                      "CUSTOM-Sub -30000 0 {<input> LIKE}",
                                      "CUSTOM-Sub 30000 0 {<input> LIKE <that> <number>}",
                                      "CUSTOM-Sub -30000 0 {LIKE <that>}",
                                      "CUSTOM-Sub 30000 0 {LIKE <that> <number>}"}));
  // A wildcard in the middle: its number check reaches the end of the input.
  const auto middle = Fragments(MakePath("WHAT IS * PLUS *"));
  EXPECT_EQ(middle[0], "CUSTOM 0 30000 {<input> WHAT, IS}");
  EXPECT_EQ(middle[1], "CUSTOM 0 30000 {PLUS}");
  EXPECT_EQ(middle[2], "CUSTOM 0 30000 {<that>}");
  EXPECT_EQ(middle[4], "CUSTOM-Sub 30000 0 {<input> WHAT, IS, PLUS <that> <number>}");
}

TEST(AimlPattern, ThatAndTopicJoinTheInputPhrase) {
  EXPECT_EQ(Fragments(MakePath("YES", "DO YOU LIKE IT")),
            (std::vector<std::string>{"CUSTOM 0 30000 {<input> YES <that> DO, YOU, LIKE, IT <topic>}",
                                      "CUSTOM-Sub -30000 0 {<that> <number>}"}));
  // Wildcards of that and topic may be empty: no checks for them.
  EXPECT_EQ(Fragments(MakePath("*", "*", "BOARD GAMES")),
            (std::vector<std::string>{"CUSTOM 0 30000 {<topic> BOARD, GAMES <end>}"}));
  EXPECT_TRUE(Fragments(MakePath("*")).empty());
}

TEST(AimlPattern, RanksFollowAimlsOrderOfPreference) {
  // Every one of these matches "HELLO FRIEND"; AIML takes them in this
  // order, position by position: $word, #, _, word, ^, *.
  const std::vector<std::string> best = {"$HELLO FRIEND", "# FRIEND", "_ FRIEND", "HELLO FRIEND", "HELLO ^",
                                         "HELLO *", "^ FRIEND", "* FRIEND", "*"};
  std::vector<std::string> sequences;
  for (const auto& p : best) sequences.push_back(MakePath(p).Classes());
  const auto ranks = Ranks(sequences);
  for (std::size_t i = 1; i < best.size(); ++i)
    EXPECT_GT(ranks.at(sequences[i - 1]), ranks.at(sequences[i])) << best[i - 1] << " over " << best[i];
  // A set between words and the zero-or-more wildcard; longer over shorter.
  Path set = MakePath("I LIKE *");
  set.input[2] = Element{Class::Set, {"RED"}, true, "red", ""};
  const auto r2 = Ranks({set.Classes(), MakePath("I LIKE RED").Classes(), MakePath("I LIKE *").Classes(),
                         MakePath("I LIKE * VERY MUCH").Classes()});
  EXPECT_GT(r2.at(MakePath("I LIKE RED").Classes()), r2.at(set.Classes()));
  EXPECT_GT(r2.at(set.Classes()), r2.at(MakePath("I LIKE *").Classes()));
  EXPECT_GT(r2.at(MakePath("I LIKE * VERY MUCH").Classes()), r2.at(MakePath("I LIKE *").Classes()));
  // Ranks are even: the odd ones are for clauses learnt later.
  for (const auto& [s, r] : r2) EXPECT_EQ(r % 2, 0);
  // A that-pattern prefers itself over the default *.
  EXPECT_GT(MakePath("*", "WHY DID THE CHICKEN").Classes(), MakePath("*").Classes());
  // The same pattern under another that or topic is another category.
  EXPECT_NE(MakePath("YES", "DO YOU").Key(), MakePath("YES").Key());
  EXPECT_EQ(MakePath("hello  there").Key(), MakePath("HELLO THERE").Key());
}

TEST(AimlPattern, CaptureTemplatesTakeWhatTheWildcardsHeld) {
  Capture c;
  std::string why;
  ASSERT_TRUE(CaptureFor(MakePath("MY NAME IS *"), CaptureSpec{{"aiml-star"}, {""}, {""}}, c, why));
  EXPECT_EQ(c.templ, "<input> ^Extr{aiml-skip} MY NAME IS ^Extr{aiml-star} <that>");
  EXPECT_EQ(c.text, "<input> ^Fact{aiml-raw} <that>");
  ASSERT_TRUE(CaptureFor(MakePath("* IS BETTER THAN *"), CaptureSpec{{"a", "b"}, {""}, {""}}, c, why));
  EXPECT_EQ(c.templ, "<input> ^Extr{a} IS BETTER THAN ^Extr{b} <that>");
  // Only the second star used: the first is passed over.
  ASSERT_TRUE(CaptureFor(MakePath("* IS BETTER THAN *"), CaptureSpec{{"", "b"}, {""}, {""}}, c, why));
  EXPECT_EQ(c.templ, "<input> ^Extr{aiml-skip} IS BETTER THAN ^Extr{b} <that>");
  // Two wildcards in a row would leave a literal of blanks, which EXTRACT
  // never finds: the first takes both.
  ASSERT_TRUE(CaptureFor(MakePath("GO * * NOW"), CaptureSpec{{"a", "b"}, {""}, {""}}, c, why));
  EXPECT_EQ(c.templ, "<input> ^Extr{aiml-skip} GO ^Extr{a} NOW ^Extr{aiml-skip} <that>");
  // A star of the that: only that section is read.
  ASSERT_TRUE(CaptureFor(MakePath("YES", "DO YOU LIKE * MOVIES"), CaptureSpec{{}, {"t"}, {""}}, c, why));
  EXPECT_EQ(c.templ, "<that> ^Extr{aiml-skip} DO YOU LIKE ^Extr{t} MOVIES ^Extr{aiml-skip} <topic>");
  EXPECT_EQ(c.text, "<that> ^Fact{aiml-that-raw} <topic>");
  // Nothing used, nothing to capture; too many parts for EXTRACT.
  ASSERT_TRUE(CaptureFor(MakePath("A * B"), CaptureSpec{{""}, {""}, {""}}, c, why));
  EXPECT_TRUE(c.templ.empty());
  std::string many;
  for (int i = 0; i < 30; ++i) many += "W * ";
  EXPECT_FALSE(CaptureFor(MakePath(many), CaptureSpec{std::vector<std::string>(30, "s"), {""}, {""}}, c, why));
}

TEST(AimlPattern, SetsExpandIntoOneClausePerMember) {
  Resources res;
  res.sets["COLOUR"] = {"red", "Dark Blue", "RED", "42"};
  std::vector<RawElement> input, none;
  std::string element, why;
  Node pattern = Node::Element("pattern", {Node::Text("IS "), Node::Element("set", {Node::Text("colour")}),
                                           Node::Text(" A COLOUR")});
  ASSERT_TRUE(ParseSection(pattern, res, input, element, why)) << why;
  std::vector<Path> paths;
  ASSERT_TRUE(ExpandSets(input, none, none, res, 10, paths, why));
  // The same words twice, and a member without letters, make no clause.
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[1].input[1].words, (std::vector<std::string>{"DARK", "BLUE"}));
  EXPECT_EQ(paths[1].input[1].boundText, "Dark Blue");
  EXPECT_EQ(paths[1].Stars(Section::Input), 1);
  EXPECT_FALSE(ExpandSets(input, input, none, res, 3, paths, why));
  // Unknown sets and bot properties are said by name.
  Node unknown = Node::Element("pattern", {Node::Element("set", {Node::Text("animal")})});
  EXPECT_FALSE(ParseSection(unknown, res, input, element, why));
  EXPECT_NE(why.find("animal"), std::string::npos);
  Node bot = Node::Element("pattern", {Node::Element("bot")});
  bot.children[0].attributes.emplace_back("name", "name");
  EXPECT_FALSE(ParseSection(bot, res, input, element, why));
  EXPECT_NE(why.find("--bot name=VALUE"), std::string::npos);
}

}  // namespace
}  // namespace varnex::aiml
