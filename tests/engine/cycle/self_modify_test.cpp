#include "engine/actions/self_modify.h"
#include "engine/cycle/input_cycle.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

bool IsAutoName(const std::string& s) { return std::regex_match(s, std::regex("Auto-[A-Y]{10}")); }

TEST(SelfModify, CreateAutoPatternAndExtendIt) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  CreateAutoPattern(*b, "What's the capital, of France?", "9", "Paris.");
  ASSERT_EQ(b->Knowledge[0]->Patterns.size(), 1u);
  PatternClass& p = *b->Knowledge[0]->Patterns[0];
  EXPECT_TRUE(IsAutoName(p.ObjectName));
  EXPECT_EQ(b->LastPatternName, p.ObjectName);
  EXPECT_EQ(p.OrderBonus, 42);  // (2 * 3 + 1) * 6 words: WHAT S THE CAPITAL OF FRANCE
  ASSERT_EQ(p.Fragments.size(), 6u);
  EXPECT_EQ(p.Fragments[1]->WordFrag, "S");
  EXPECT_EQ(p.Fragments[4]->Relation, PatternType::Custom);
  EXPECT_EQ(p.Fragments[4]->Bonus, 9);
  EXPECT_TRUE(p.Fragments[0]->ObjectName.empty());
  ASSERT_EQ(p.Responses.size(), 1u);
  EXPECT_TRUE(IsAutoName(p.Responses[0]->ObjectName));
  EXPECT_EQ(p.Responses[0]->OutText, "Paris.");

  AddResponseToLastPattern(*b, "It is Paris.");
  AddFragmentToLastPattern(*b, "capital city", "3");
  EXPECT_EQ(p.Responses.size(), 2u);
  ASSERT_EQ(p.Fragments.size(), 7u);
  EXPECT_EQ(p.Fragments[6]->WordFrag, "capital city");
  EXPECT_EQ(p.OrderBonus, 42);

  ProcessInput(*b, "capital of france");
  EXPECT_TRUE(rec.answers.back() == "Paris." || rec.answers.back() == "It is Paris.");

  CreateAutoPattern(*b, "a b", "2", "x");
  EXPECT_EQ(b->Knowledge[0]->Patterns[1]->OrderBonus, 2);
  CreateAutoPattern(*b, "a b", "nine", "x");
  EXPECT_EQ(b->Knowledge[0]->Patterns[2]->OrderBonus, 0);
  CreateAutoPattern(*b, "42 !", "9", "x");  // no words: nothing
  b->CurrentMode = -1;
  CreateAutoPattern(*b, "a b", "9", "x");  // no current mode: nothing
  EXPECT_EQ(b->Knowledge[0]->Patterns.size(), 3u);
}

TEST(SelfModify, AddNeedsANamedLastPattern) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "For-Mode 0,0\n  Response {x},Just Text,{},{}\n");
  ProcessInput(*b, "x");  // an unnamed pattern leaves LastPatternName empty
  AddResponseToLastPattern(*b, "more");
  b->LastPatternName = "MyBrain";  // names a record that is not a pattern
  AddFragmentToLastPattern(*b, "more", "1");
  EXPECT_EQ(b->Knowledge[0]->Patterns[0]->Responses.size(), 1u);
  EXPECT_EQ(b->Knowledge[0]->Patterns[0]->Fragments.size(), 0u);
}

TEST(SelfModify, DeleteObjectOfEveryClass) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "Mode {Spare}\nName-Object {spare}\n"
             "Mode {Main}\n"
             "For-Mode 0,0\nName-Object {pat}\n"
             "  Fragment AND,0,0, {x}, {}, {}\n  Name-Object {frag}\n"
             "  Response {r},Task List,{},{}\n  Name-Object {resp}\n"
             "    Task {t},Just Text,{},{}\n    Name-Object {task}\n"
             "  Threshold 1,2\n  Name-Object {thr}\n"
             "  Response {tr},Just Text,{},{}\n  Name-Object {thrresp}\n"
             "  For-State {Calm}\n  Name-Object {st}\n"
             "For-Mode 0,0\nName-Object {other}\n"
             "Procedure {A}\nName-Object {procA}\n"
             "Procedure {B}\n"
             "Step {one},{1}\nName-Object {one}\n"
             "  For-Step\n  Name-Object {sp}\n"
             "Step {two},{2}\n"
             "Start-Collection {c}\nEnd-Collection\nName-Object {coll}\n");
  PatternClass& p = *b->Knowledge[2]->Patterns[0];
  for (const char* n : {"task", "frag", "thrresp", "thr", "st", "resp"}) DeleteObject(*b, n);
  EXPECT_TRUE(p.Fragments.empty() && p.Responses.empty() && p.Thresholds.empty() && p.States.empty());
  DeleteObject(*b, "pat");
  EXPECT_EQ(b->Knowledge[2]->Patterns.size(), 1u);
  DeleteObject(*b, "sp");
  EXPECT_TRUE(b->Procs[1]->Steps[0]->StepPatterns.empty());
  DeleteObject(*b, "one");
  EXPECT_EQ(b->Procs[1]->StepNames, (Lines{"two"}));
  DeleteObject(*b, "procA");
  EXPECT_EQ(b->ProcNames, (Lines{"B"}));
  DeleteObject(*b, "spare");
  EXPECT_EQ(b->KnowledgeNames, (Lines{"Default", "Main"}));
  DeleteObject(*b, "coll");
  EXPECT_EQ(b->FindCollection("c"), nullptr);
  DeleteObject(*b, "MyBrain");
  EXPECT_EQ(b->NamedObjects.Size(), 1u);  // only "other" is left
  DeleteObject(*b, "nobody");
}

TEST(SelfModify, DeleteTakesTheFirstOfTwoNames) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, "For-Mode 0,0\nName-Object {twin}\nFor-Mode 0,0\nName-Object {twin}\n");
  PatternClass* second = b->Knowledge[0]->Patterns[1].get();
  DeleteObject(*b, "twin");
  ASSERT_EQ(b->Knowledge[0]->Patterns.size(), 1u);
  EXPECT_EQ(b->NamedObjects.Find("twin"), second);
}

TEST(SelfModify, MakeCodeReadsMembersInCollectionOrder) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "Start-Collection {code}, {unsorted}\n"
             "For-Mode 0,0\n"
             "  Fragment AND,0,0, {ping}, {}, {}\n"
             "  Response {pong},Just Text,{},{}\n"
             "End-Collection\n"
             "Start-Collection {sorted}\n"
             "Response {never},Just Text,{},{}\n"
             "For-Mode 0,0\n"
             "End-Collection\n");
  MakeCode(*b, "code");
  ProcessInput(*b, "ping");
  EXPECT_EQ(rec.answers, (Lines{"pong"}));
  // Sorted: "For-Mode" comes before "Response", so the response attaches.
  MakeCode(*b, "sorted");
  EXPECT_EQ(b->Knowledge[0]->Patterns.back()->Responses.size(), 1u);
  EXPECT_TRUE(rec.messages.empty());
  MakeCode(*b, "missing");
}

}  // namespace
}  // namespace varnex
