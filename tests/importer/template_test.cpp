// Templates as responses and tasks: what is stored when, <srai> inside a
// text, conditions, random choices, what is refused and what differs.
#include "importer/aiml_template.h"

#include <gtest/gtest.h>

#include "importer/aiml_reader.h"

namespace varnex::aiml {
namespace {

// The template of one category written in AIML.
Node Template(const std::string& body) {
  std::vector<Category> cats;
  std::vector<Problem> problems;
  const std::string xml = "<aiml><category><pattern>X</pattern><template>" + body + "</template></category></aiml>";
  EXPECT_TRUE(ReadAimlText(xml, "t.aiml", cats, problems));
  EXPECT_EQ(cats.size(), 1u);
  return cats.empty() ? Node{} : cats[0].templ;
}

CompiledTemplate Compile(const std::string& body, int stars = 0) {
  TemplateEnv env;
  env.stars[0] = stars;
  return CompileTemplate(Template(body), env);
}

// The tasks of the first response as "Type {name} {value}" (and the text
// of tasks that use it).
std::vector<std::string> Tasks(const CompiledTemplate& t) {
  std::vector<std::string> out;
  const ResponseLine& r = t.responses.at(0).response;
  if (r.type != "Task List") return {r.type + " {" + r.name + "} {" + r.value + "}"};
  for (const auto& k : r.tasks)
    out.push_back(k.type + " {" + k.name + "} {" + k.value + "}" + (k.out.empty() ? "" : " <" + k.out + ">"));
  return out;
}

TEST(AimlTemplate, TextStarsAndPredicatesMakeOneAssignment) {
  EXPECT_EQ(Tasks(Compile("\n   Hello   there {friend}!  \n")),
            std::vector<std::string>{"Assignment {aiml-reply} {Hello there (friend)!}"});
  auto t = Compile("<star/> and <star index=\"2\"/> and [<star index=\"3\"/>] <get name=\"name\"/> <bot name=\"Name\"/>", 2);
  EXPECT_EQ(Tasks(t), std::vector<std::string>{
                          "Assignment {aiml-reply} {^Fact{aiml-star} and ^Fact{aiml-star2} and [] ^Fact{name} ^Fact{bot.name}}"});
  EXPECT_EQ(t.responses[0].stars[0], (std::set<int>{1, 2}));
  EXPECT_EQ(t.predicates, std::set<std::string>{"name"});
  // A star a set element bound is known when the clause is made.
  TemplateEnv env;
  env.stars[0] = 1;
  env.staticStars[0][1] = "dark blue";
  EXPECT_EQ(Tasks(CompileTemplate(Template("Yes, <star/>."), env)),
            std::vector<std::string>{"Assignment {aiml-reply} {Yes, dark blue.}"});
  // The last sentence of the last answer, and an input said before.
  EXPECT_EQ(Tasks(Compile("<that/> <input index=\"2\"/>")),
            std::vector<std::string>{"Assignment {aiml-reply} {^Fact{aiml-that-raw} ^Fact{aiml-input-2}}"});
}

TEST(AimlTemplate, SideEffectsComeInTheirOrder) {
  // What was read before a <set> is stored before it; plain text waits.
  EXPECT_EQ(Tasks(Compile("Was <get name=\"x\"/>, <think><set name=\"x\">new</set></think>now <get name=\"x\"/>.")),
            (std::vector<std::string>{"Assignment {aiml-reply} {Was ^Fact{x}, }", "Assignment {x} {new}",
                                      "Assignment {aiml-reply} {^Fact{aiml-reply}now ^Fact{x}.}"}));
  // <set> gives its value; <think> gives nothing.
  EXPECT_EQ(Tasks(Compile("<set name=\"n\"><star/></set>!<think>lost</think>", 1)),
            (std::vector<std::string>{"Assignment {n} {^Fact{aiml-star}}", "Assignment {aiml-reply} {^Fact{n}!}"}));
}

TEST(AimlTemplate, SraiLeavesItsAnswerInTheReply) {
  // Alone: the answer of the <srai> is the answer.
  EXPECT_EQ(Tasks(Compile("<srai>hello</srai>")),
            (std::vector<std::string>{"Mode Change {aiml-srai} {}", "Submit This {hello <eos>} {}"}));
  // Plain text around it needs nothing kept over the call.
  EXPECT_EQ(Tasks(Compile("Well... <srai>HELLO</srai> Welcome.")),
            (std::vector<std::string>{"Mode Change {aiml-srai} {}", "Submit This {HELLO <eos>} {}",
                                      "Assignment {aiml-reply} {Well... ^Fact{aiml-reply} Welcome.}"}));
  // Two calls, or a star read after one: the answer is built in a fact of
  // the call's depth, and the text is made before the depth changes.
  const auto two = Tasks(Compile("<srai>A <star/></srai> and <star/>", 1));
  EXPECT_EQ(two, (std::vector<std::string>{
                     "Assignment {aiml-srai-text} {A ^Fact{aiml-star-^Fact{aiml-depth}}}",
                     "Assignment {aiml-depth} {^Add{^Fact{aiml-depth}|1}}", "Mode Change {aiml-srai} {}",
                     "Submit This {^Fact{aiml-srai-text} <eos>} {}",
                     "Assignment {aiml-depth} {^Sub{^Fact{aiml-depth}|1}}",
                     "Assignment {aiml-out-^Fact{aiml-depth}} {^Fact{aiml-reply}}",
                     "Assignment {aiml-reply} {^Fact{aiml-out-^Fact{aiml-depth}} and ^Fact{aiml-star-^Fact{aiml-depth}}}"}));
  EXPECT_TRUE(Compile("<srai>A</srai><srai>B</srai>").responses[0].depthKeyed);
  // Inside <think> the answer is dropped.
  EXPECT_EQ(Tasks(Compile("<think><srai>A</srai></think>Shh.")),
            (std::vector<std::string>{"Mode Change {aiml-srai} {}", "Submit This {A <eos>} {}",
                                      "Assignment {aiml-reply} {Shh.}"}));
}

TEST(AimlTemplate, ConditionsBranchOnNormalisedValues) {
  const auto one = Tasks(Compile("<condition name=\"mood\" value=\"Very happy!\">Yes</condition>"));
  EXPECT_EQ(one, (std::vector<std::string>{"Assignment {aiml-reply} {}", "Clear Collection {aiml-cond} {}",
                                           "Words To Collection {aiml-cond} {} <^Fact{mood}>",
                                           "BranchIf {[c1.1]} {^Members{aiml-cond}=VERY, HAPPY}", "Goto {[c1.end]} {}",
                                           "Set Label {[c1.1]} {}", "Assignment {aiml-reply} {^Fact{aiml-reply}Yes}",
                                           "Set Label {[c1.end]} {}"}));
  // value="*": any value; a jump whose label ends with the value finds its
  // label only when the value is empty. <loop/> goes back to the tests.
  const auto many = Tasks(Compile("<condition><li name=\"a\" value=\"*\">A<loop/></li><li name=\"b\" value=\"7\">B</li>"
                                  "<li>C</li></condition>"));
  EXPECT_EQ(many[1], "Set Label {[c1]} {}");
  EXPECT_EQ(many[2], "Goto {[c1.1]?^Fact{a}} {}");
  EXPECT_EQ(many[3], "Goto {[c1.1]} {}");
  EXPECT_EQ(many[4], "Set Label {[c1.1]?} {}");
  EXPECT_EQ(many[5], "BranchIf {[c1.2]} {^Fact{b}=7}");
  EXPECT_NE(std::find(many.begin(), many.end(), "Goto {[c1]} {}"), many.end());
  EXPECT_THROW(Compile("<condition name=\"a\" value=\"x*\">A</condition>"), SkipCategory);
}

TEST(AimlTemplate, RandomChoices) {
  auto whole = Compile("\n <random><li>One.</li><li>Two <star/>.</li></random> \n", 1);
  ASSERT_EQ(whole.responses.size(), 2u);
  EXPECT_EQ(whole.responses[1].response.value, "Two ^Fact{aiml-star}.");
  EXPECT_EQ(whole.responses[1].stars[0], std::set<int>{1});
  auto inline_ = Compile("You rolled <random><li>1</li><li>2</li><li>3</li></random>.");
  EXPECT_EQ(inline_.diceSizes, std::set<int>{3});
  const auto tasks = Tasks(inline_);
  EXPECT_EQ(tasks[1], "Assignment {aiml-dice} {^MemberX{aiml-dice-3}}");
  EXPECT_EQ(tasks[2], "BranchIf {[r1.2]} {^Fact{aiml-dice}=2}");
  EXPECT_EQ(tasks.back(), "Assignment {aiml-reply} {^Fact{aiml-reply}.}");
}

TEST(AimlTemplate, WhatCannotBeConvertedOrDiffers) {
  try {
    Compile("Files: <system>ls</system>");
    FAIL() << "<system> converted";
  } catch (const SkipCategory& s) {
    EXPECT_EQ(s.element, "system");
    EXPECT_EQ(s.line, 1);
  }
  EXPECT_THROW(Compile("<input index=\"9\"/>"), SkipCategory);
  EXPECT_THROW(Compile("<li>x</li>"), SkipCategory);
  // Known when importing: changed then. Known only when answering: left.
  EXPECT_EQ(Tasks(Compile("<uppercase>abc</uppercase> <formal>the OLD man</formal> <person>I like my dog</person>")),
            std::vector<std::string>{"Assignment {aiml-reply} {ABC The Old Man you like your dog}"});
  auto dynamic = Compile("<person/> <b>bold</b>", 1);
  EXPECT_EQ(Tasks(dynamic), std::vector<std::string>{"Assignment {aiml-reply} {^Fact{aiml-star} bold}"});
  ASSERT_EQ(dynamic.approximations.size(), 2u);
  EXPECT_EQ(dynamic.approximations[0].element, "person");
  EXPECT_EQ(dynamic.approximations[1].element, "b");
  EXPECT_EQ(PersonSwap("I gave you my book", 1), "you gave me your book");
  EXPECT_EQ(PersonSwap("Then I saw Him with his dog", 3), "Then I saw Her with her dog");
  EXPECT_EQ(PersonSwap("I lost my key", 2), "he or she lost his or her key");
  EXPECT_EQ(SentenceCase("  this one."), "  This one.");
}

TEST(AimlTemplate, LearnHandsOverTheCategoryWithItsEvalsDone) {
  TemplateEnv env;
  env.stars[0] = 1;
  Node learnt;
  env.learn = [&](const Node& category, std::vector<Approximation>&) {
    learnt = category;
    return LearnOutput{{TaskLine{"", "Clear Collection", "aiml-learn-words1", ""}}, {"For-Mode 1,30000", "line two"}};
  };
  auto t = CompileTemplate(
      Template("<learn><category><pattern>WHO IS <eval><star/></eval></pattern><template>A friend.</template></category>"
               "</learn>Learnt."),
      env);
  EXPECT_TRUE(t.learns);
  EXPECT_EQ(t.responses[0].stars[0], std::set<int>{1});
  const Node& pattern = learnt.children.at(0);
  ASSERT_EQ(pattern.children.size(), 2u);
  EXPECT_EQ(pattern.children[1].name, kEvaluated);
  EXPECT_EQ(pattern.children[1].value, "^Fact{aiml-star}");
  EXPECT_EQ(Tasks(t), (std::vector<std::string>{"Clear Collection {aiml-learn-words1} {}", "Clear Collection {aiml-learn} {}",
                                                "Add To Collection {aiml-learn} {For-Mode 1,30000}",
                                                "Add To Collection {aiml-learn} {line two}", "Make Code {} {} <aiml-learn>",
                                                "Assignment {aiml-reply} {Learnt.}"}));
  EXPECT_THROW(Compile("<learn>file.aiml</learn>"), SkipCategory);
}

}  // namespace
}  // namespace varnex::aiml
