// Reading AIML and its side files, converting categories, and the brain's
// text as the engine's writer lays it out.
#include <gtest/gtest.h>

#include <algorithm>

#include "importer/aiml_language.h"
#include "importer/aiml_reader.h"
#include "importer/aiml_to_brain.h"

namespace varnex::aiml {
namespace {

std::vector<Category> Read(const std::string& xml, std::vector<Problem>& problems) {
  std::vector<Category> cats;
  ReadAimlText(xml, "f.aiml", cats, problems);
  return cats;
}

TEST(AimlReader, CategoriesWithTheirThatTopicAndLines) {
  std::vector<Problem> problems;
  const auto cats = Read(
      "<?xml version=\"1.0\"?>\n<aiml xmlns=\"http://alicebot.org/2001/AIML-1.0.1\">\n"
      "<category><pattern>A</pattern><template>x</template></category>\n"
      "<topic name=\" GAMES \">\n<category><pattern>B</pattern><that>C</that><template><![CDATA[<y>]]></template></category>\n"
      "</topic>\n<meta/>\n<category><pattern>D</pattern></category>\n</aiml>",
      problems);
  ASSERT_EQ(cats.size(), 2u);
  EXPECT_EQ(cats[0].line, 3);
  EXPECT_EQ(cats[1].topic, "GAMES");
  EXPECT_TRUE(cats[1].hasThat);
  EXPECT_EQ(cats[1].templ.children.at(0).value, "<y>");
  // What is not a category, and a category without a template, are told.
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].element, "meta");
  EXPECT_EQ(problems[0].line, 7);
  EXPECT_EQ(problems[1].kind, Problem::Kind::Skipped);
  EXPECT_EQ(problems[1].line, 8);
}

TEST(AimlReader, BadDocumentsAreToldWithFileAndLine) {
  std::vector<Problem> problems;
  EXPECT_TRUE(Read("<aiml>\n<category>\n<pattern>A</patern>\n</category></aiml>", problems).empty());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].kind, Problem::Kind::FileError);
  EXPECT_EQ(problems[0].file, "f.aiml");
  EXPECT_EQ(problems[0].line, 3);
  EXPECT_NE(problems[0].message.find("mismatch"), std::string::npos);
  problems.clear();
  Read("<html/>", problems);
  EXPECT_NE(problems.at(0).message.find("not <aiml>"), std::string::npos);
  // External entities are not fetched.
  problems.clear();
  auto cats = Read("<!DOCTYPE aiml [<!ENTITY e SYSTEM \"/etc/hostname\">]><aiml><category><pattern>A</pattern>"
                   "<template>&e;</template></category></aiml>",
                   problems);
  ASSERT_EQ(cats.size(), 1u);
  EXPECT_TRUE(cats[0].templ.children.empty() || cats[0].templ.children[0].value.empty());
}

TEST(AimlReader, Latin1ReadDeclaredOrNot) {
  std::vector<Problem> problems;
  auto cats = Read("<aiml><category><pattern>A</pattern><template>caf\xe9</template></category></aiml>", problems);
  ASSERT_EQ(cats.size(), 1u);
  EXPECT_EQ(cats[0].templ.children[0].value, "caf\xc3\xa9");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].kind, Problem::Kind::Note);
  problems.clear();
  cats = Read("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><aiml><category><pattern>A</pattern><template>\xe9"
              "</template></category></aiml>",
              problems);
  EXPECT_EQ(cats.at(0).templ.children[0].value, "\xc3\xa9");
  EXPECT_TRUE(problems.empty());
  EXPECT_TRUE(IsUtf8("caf\xc3\xa9"));
  EXPECT_FALSE(IsUtf8("\xc0\xaf"));      // an overlong slash
  EXPECT_FALSE(IsUtf8("\xed\xa0\x80"));  // a surrogate
}

TEST(AimlReader, SetsMapsAndProperties) {
  std::vector<Problem> problems;
  std::vector<std::string> members;
  ASSERT_TRUE(ParseSet(" red\n\n dark blue \r\n", "s.set", members, problems));
  EXPECT_EQ(members, (std::vector<std::string>{"red", "dark blue"}));
  members.clear();
  ASSERT_TRUE(ParseSet("[[\"red\"], [\"dark\", \"blue\"], \"\\u00e9t\\u00e9\"]", "s.set", members, problems));
  EXPECT_EQ(members, (std::vector<std::string>{"red", "dark blue", "\xc3\xa9t\xc3\xa9"}));
  EXPECT_FALSE(ParseSet("[[\"red\"], 3]", "s.set", members, problems));
  std::vector<std::pair<std::string, std::string>> pairs;
  ASSERT_TRUE(ParsePairs("# capitals\nFrance: Paris\nname=Pip\nnonsense\n", "c.map", pairs, problems));
  EXPECT_EQ(pairs, (std::vector<std::pair<std::string, std::string>>{{"France", "Paris"}, {"name", "Pip"}}));
  EXPECT_EQ(problems.back().line, 4);
  pairs.clear();
  ASSERT_TRUE(ParsePairs("[[\"Japan\",\"Tokyo\"]]", "c.map", pairs, problems));
  EXPECT_EQ(pairs.at(0).second, "Tokyo");
}

TEST(AimlLanguage, TheWritersLayout) {
  BrainLines b;
  ClauseLines c;
  c.orderBonus = 4;
  c.orderPenalty = 30000;
  c.fragments.push_back({"CUSTOM", 0, 30000, "<input> HI <that>", "", ""});
  c.responses.push_back({"", "Task List", "", "", {{"", "Mode Change", "aiml-srai", ""}}});
  b.modes.push_back({"Default", {c}});
  b.modes.push_back({"aiml-front", {}});
  b.facts = {{"Name", "a"}, {"x", "1"}, {"NAME", "b"}};
  b.collections.push_back({"zeta", false, {" b ", "a", "B", "", "end-collection now"}});
  b.collections.push_back({"Alpha", true, {"b", "a"}});
  const auto lines = BrainText(b);
  const std::vector<std::string> expected = {"",
                                             "Varnex 9.0 Varnex-Language File",
                                             "Written by the Varnex conversational engine",
                                             "All Rights Reserved",
                                             "",
                                             "-------States--------",
                                             "-------Modes---------",
                                             "For-Mode 4,30000",
                                             "  Fragment CUSTOM,0,30000, {<input> HI <that>}, {}, {}",
                                             "  Response {},Task List,{},{}",
                                             "    Task {},Mode Change,{aiml-srai},{}",
                                             "",
                                             "Mode {aiml-front}",
                                             "-----Procedures------",
                                             "-------Facts---------",
                                             "Fact {Name} = {b}",
                                             "Fact {x} = {1}",
                                             "-----Collections-----",
                                             "Start-Collection {Alpha}",
                                             "a",
                                             "b",
                                             "End-Collection",
                                             "",
                                             "Start-Collection {zeta}, {UNSORTED}",
                                             "b",
                                             "a",
                                             "End-Collection",
                                             "",
                                             ""};
  EXPECT_EQ(lines, expected);
  std::string text = "a {b} c\nd";
  EXPECT_TRUE(MakeFieldSafe(text));
  EXPECT_EQ(text, "a (b) c d");
}

class AimlConverter : public ::testing::Test {
 protected:
  BrainLines Convert(const std::string& categories) {
    const auto cats = Read("<aiml>\n" + categories + "</aiml>", problems);
    Converter converter(resources);
    converter.Add(cats, problems);
    BrainLines brain = converter.Brain();
    counts = converter.Counts();
    return brain;
  }
  const ClauseLines& Clause(const BrainLines& b, std::size_t i) { return b.modes.at(0).clauses.at(i); }
  Resources resources;
  std::vector<Problem> problems;
  ConvertCounts counts;
};

TEST_F(AimlConverter, ModesClausesAndRanks) {
  const auto b = Convert(
      "<category><pattern>HELLO *</pattern><template>A</template></category>\n"
      "<category><pattern>HELLO</pattern><template>B</template></category>\n");
  std::vector<std::string> modes;
  for (const auto& m : b.modes) modes.push_back(m.name);
  EXPECT_EQ(modes, (std::vector<std::string>{"Default", "aiml-front", "aiml-that", "aiml-sentences", "aiml-srai",
                                             "aiml-capture"}));
  // Two categories, the empty answer when none matches, and the way back
  // to the front for an input typed into the wrong mode.
  ASSERT_EQ(b.modes[0].clauses.size(), 4u);
  EXPECT_LT(Clause(b, 0).orderBonus, Clause(b, 1).orderBonus);
  EXPECT_EQ(Clause(b, 0).fragments[1].bonus, -(30000 + Clause(b, 0).orderBonus));
  EXPECT_EQ(Clause(b, 0).fragments[2].bonus, 30000 + Clause(b, 0).orderBonus);
  EXPECT_EQ(Clause(b, 2).orderBonus, 0);
  EXPECT_EQ(Clause(b, 3).orderBonus, Clause(b, 1).orderBonus + 10);
  EXPECT_EQ(Clause(b, 3).fragments[0].word, "<input>");
  EXPECT_EQ(counts.clauses, 2u);
}

TEST_F(AimlConverter, DuplicatesSkipsAndDifferencesAreCounted) {
  Convert(
      "<category><pattern>HI</pattern><template>first</template></category>\n"
      "<category><pattern>hi</pattern><template>second <b>x</b></template></category>\n"
      "<category><pattern>GO</pattern><template><system>x</system></template></category>\n"
      "<category><pattern>2</pattern><template>y</template></category>\n");
  EXPECT_EQ(counts.categories, 4u);
  EXPECT_EQ(counts.converted, 2u);
  EXPECT_EQ(counts.replaced, 1u);
  EXPECT_EQ(counts.skipped, 2u);
  EXPECT_EQ(counts.approximated, 1u);
  auto replaced = std::find_if(problems.begin(), problems.end(), [](const Problem& p) { return p.kind == Problem::Kind::Replaced; });
  ASSERT_NE(replaced, problems.end());
  EXPECT_EQ(replaced->line, 2);
  EXPECT_NE(replaced->message.find("f.aiml:3"), std::string::npos);
}

TEST_F(AimlConverter, FactsAndCollectionsOfTheBrain) {
  resources.SetBot("Name", "Pip");
  resources.maps["CAPITAL"] = {{"France", "Paris"}};
  resources.sets["COLOUR"] = {"red", "blue"};
  const auto b = Convert(
      "<category><pattern>A</pattern><template><get name=\"mood\"/><random><li>1</li><li>2</li></random>!"
      "</template></category>\n");
  auto fact = [&](const std::string& name) {
    for (const auto& [n, v] : b.facts)
      if (n == name) return v;
    return std::string("(none)");
  };
  EXPECT_EQ(fact("mood"), "");
  EXPECT_EQ(fact("bot.name"), "Pip");
  EXPECT_EQ(fact("map.capital.France"), "Paris");
  EXPECT_EQ(fact("aiml-number-"), "");
  EXPECT_EQ(fact("aiml-number-7"), " <number>");
  EXPECT_EQ(fact("aiml-size"), "1");
  auto collection = [&](const std::string& name) {
    for (const auto& c : b.collections)
      if (c.name == name) return c;
    return CollectionLines{};
  };
  EXPECT_EQ(collection("colour").members, (std::vector<std::string>{"red", "blue"}));
  EXPECT_EQ(collection("aiml-dice-2").members, (std::vector<std::string>{"1", "2"}));
  EXPECT_FALSE(collection("aiml-words").sorted);
}

TEST_F(AimlConverter, LearntLinesKeepTheirTagsForLater) {
  const auto b = Convert(
      "<category><pattern>REMEMBER * IS *</pattern><template><learn><category><pattern>WHAT IS <eval><star/></eval>"
      " *</pattern><template><eval><star index=\"2\"/></eval> (<star/>)</template></category></learn>OK</template>"
      "</category>\n<category><pattern>WHAT IS *</pattern><template>?</template></category>\n");
  std::vector<std::string> lines;
  for (const auto& t : Clause(b, 0).responses.at(0).tasks)
    if (t.type == "Add To Collection") lines.push_back(t.value);
  ASSERT_GE(lines.size(), 3u);
  // Just above "WHAT IS *", which it resembles.
  EXPECT_EQ(lines[0], "For-Mode " + std::to_string(Clause(b, 1).orderBonus + 1) + ",30000");
  EXPECT_EQ(lines[1], "  Fragment CUSTOM,0,30000, {<input> WHAT, IS, ^Members{aiml-learn-words1}}, {}, {}");
  // Its own star is read when it answers; the <eval> when it is learnt.
  bool later = false, now = false;
  for (const auto& l : lines) {
    later = later || l.find("^Div{^|}Fact{aiml-star}") != std::string::npos;
    now = now || l.find("{^Fact{aiml-star2} (") != std::string::npos;
  }
  EXPECT_TRUE(later);
  EXPECT_TRUE(now);
  // The collection takes each line once: no two alike.
  std::vector<std::string> upper;
  for (const auto& l : lines) upper.push_back(UpperAscii(l.substr(l.find_first_not_of(' '))));
  std::sort(upper.begin(), upper.end());
  EXPECT_EQ(std::adjacent_find(upper.begin(), upper.end()), upper.end());
}

}  // namespace
}  // namespace varnex::aiml
