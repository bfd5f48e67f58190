#include "langfile/reader.h"

#include <gtest/gtest.h>

#include <regex>

#include "engine/core/type_names.h"
#include "langfile_test_util.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using test::Lines;

TEST(LanguageReader, FactStateAndModeStatements) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "  fact {a} = {b}\n"
             "FACT {A} = {c d}\n"
             "Fact {e}\n"
             "STATEMENT {Calm}\n"  // a keyword prefix is enough
             "state {NORMAL}\n"
             "MODEL {Extra}\n"
             "-------Modes--------- banner\n"
             "Hello, anything that starts with no keyword is a comment\n"
             "\n");
  EXPECT_EQ(b->FactNames, (Lines{"a", "e"}));
  EXPECT_EQ(b->FactValues, (Lines{"c d", ""}));
  EXPECT_EQ(b->StateNames, (Lines{"Normal", "Calm"}));
  EXPECT_EQ(b->KnowledgeNames, (Lines{"Default", "Extra"}));
  EXPECT_TRUE(rec.messages.empty());
}

TEST(LanguageReader, ClauseStatementsReadEveryOperand) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "FOR-MODE 5,3\n"
             "FOR-MODE 5 ,3\n"
             "FOR-MODE 5,3 \n"
             "for-mode\n"
             "FRAGMENT AND,5,2, {hello}, {}, {}\n"
             "FRAGMENT and , 5 , 2 ,{x}\n"
             "FRAGMENT Data-Match, 4,1, {w}, {colour}, {red, or {blue}}\n"
             "FRAGMENT Mispelt,9,9,{y}\n"
             "FRAGMENT in collection , x, -2 ,{z}\n"
             "RESPONSE {Hi, ^Fact{name}}, task list ,{n},{ v }\n"
             "TASK {t}, Mode Change,{Other},{}\n"
             "TASK {u},Nonsense,{},{}\n"
             "THRESHOLD  1 , 3 \n"
             "THRESHOLD x,-4\n"
             "FOR-STATE {Happy}\n");
  ASSERT_TRUE(rec.messages.empty()) << rec.messages[0];
  const auto& ps = b->Knowledge[0]->Patterns;
  ASSERT_EQ(ps.size(), 4u);
  EXPECT_EQ(ps[0]->OrderBonus, 5);
  EXPECT_EQ(ps[0]->OrderPenalty, 3);
  EXPECT_EQ(ps[1]->OrderBonus, 0);  // "5 " is not a number
  EXPECT_EQ(ps[1]->OrderPenalty, 3);
  EXPECT_EQ(ps[2]->OrderBonus, 5);
  EXPECT_EQ(ps[2]->OrderPenalty, 0);  // "3 " is not a number
  EXPECT_EQ(ps[3]->OrderBonus, 0);
  EXPECT_EQ(ps[3]->OrderPenalty, 0);

  const PatternClass& p = *ps[3];
  ASSERT_EQ(p.Fragments.size(), 5u);
  struct Want {
    uint8_t relation;
    int32_t bonus, penalty;
    const char *frag, *name, *value;
  };
  const Want want[] = {{pt::And, 5, 2, "hello", "", ""},
                       {pt::And, 5, 2, "x", "", ""},
                       {pt::DataMatch, 4, 1, "w", "colour", "red, or {blue}"},
                       {pt::None, 9, 9, "y", "", ""},
                       {pt::InCollection, 0, -2, "z", "", ""}};
  for (std::size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const WordFragmentClass& f = *p.Fragments[i];
    EXPECT_EQ(f.Relation, want[i].relation);
    EXPECT_EQ(f.Bonus, want[i].bonus);
    EXPECT_EQ(f.Penalty, want[i].penalty);
    EXPECT_EQ(f.WordFrag, want[i].frag);
    EXPECT_EQ(f.TheName, want[i].name);
    EXPECT_EQ(f.TheValue, want[i].value);
    EXPECT_EQ(f.Owner, &p);
  }

  ASSERT_EQ(p.Responses.size(), 1u);
  const ResponseClass& r = *p.Responses[0];
  EXPECT_EQ(r.OutText, "Hi, ^Fact{name}");
  EXPECT_EQ(r.ResponseType, rt::TaskList);
  EXPECT_EQ(r.TheName, "n");
  EXPECT_EQ(r.TheValue, " v ");
  ASSERT_EQ(r.Tasks.size(), 2u);
  EXPECT_EQ(r.Tasks[0]->OutText, "t");
  EXPECT_EQ(r.Tasks[0]->ResponseType, rt::ModeChange);
  EXPECT_EQ(r.Tasks[0]->TheName, "Other");
  EXPECT_EQ(r.Tasks[1]->ResponseType, rt::None);

  ASSERT_EQ(p.Thresholds.size(), 2u);
  EXPECT_EQ(p.Thresholds[0]->ThreshFrom, 1);
  EXPECT_EQ(p.Thresholds[0]->ThreshTo, 3);
  EXPECT_EQ(p.Thresholds[1]->ThreshFrom, 0);
  EXPECT_EQ(p.Thresholds[1]->ThreshTo, -4);
  ASSERT_EQ(p.States.size(), 1u);
  EXPECT_EQ(p.States[0]->State, "Happy");
}

TEST(LanguageReader, FragmentFieldsAreSetBeforeAttaching) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "FOR-MODE 0,0\n"
             "FRAGMENT Volition,0,0,{ 0.5 }\n"
             "FOR-MODE 0,0\n"
             "FRAGMENT Do-Before,0,0,{}\n");
  const auto& ps = b->Knowledge[0]->Patterns;
  EXPECT_TRUE(ps[0]->HasVolition);
  EXPECT_DOUBLE_EQ(ps[0]->VolitionWhen, 0.5);
  EXPECT_TRUE(b->HasVolition);
  EXPECT_EQ(b->DoBefore, (std::vector<PatternClass*>{ps[1].get()}));
}

TEST(LanguageReader, ResponsesAttachToTheRecordTheStateNames) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "FOR-MODE 0,0\n"
             "RESPONSE {own},Just Text,{},{}\n"
             "THRESHOLD 1,2\n"
             "RESPONSE {th},Just Text,{},{}\n"
             "FRAGMENT AND,0,0,{late}\n"  // fragments still go to the clause
             "TASK {th-task},Just Text,{},{}\n"
             "FOR-STATE {Happy}\n"
             "RESPONSE {st},Just Text,{},{}\n"
             "FRAGMENT OR,0,0,{later}\n"
             "END-COLLECTION\n"
             "TASK {after-end},Just Text,{},{}\n");  // a task needs only a response
  ASSERT_TRUE(rec.messages.empty()) << rec.messages[0];
  const PatternClass& p = *b->Knowledge[0]->Patterns.at(0);
  ASSERT_EQ(p.Responses.size(), 1u);
  EXPECT_EQ(p.Responses[0]->OutText, "own");
  ASSERT_EQ(p.Fragments.size(), 2u);
  EXPECT_EQ(p.Fragments[0]->WordFrag, "late");
  EXPECT_EQ(p.Fragments[1]->WordFrag, "later");
  const ResponseClass& th = *p.Thresholds.at(0)->Responses.at(0);
  EXPECT_EQ(th.OutText, "th");
  ASSERT_EQ(th.Tasks.size(), 1u);
  EXPECT_EQ(th.Tasks[0]->OutText, "th-task");
  const ResponseClass& st = *p.States.at(0)->Responses.at(0);
  EXPECT_EQ(st.OutText, "st");
  ASSERT_EQ(st.Tasks.size(), 1u);
  EXPECT_EQ(st.Tasks[0]->OutText, "after-end");
}

TEST(LanguageReader, ProceduresStepsAndStepClauses) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "PROCEDURE {Quiz}\n"
             "STEP {Ask},{What is 2+2?}\n"
             "FOR-STEP the rest is not read {x}\n"
             "FRAGMENT AND,1,1,{four}\n"
             "RESPONSE {Right},Goto Step,{Done},{}\n"
             "STEP {Done}, {All {done}}\n"
             "FRAGMENT OR,0,0,{stray}\n"  // still in the step clause of Ask
             "RESPONSE {stray},Just Text,{},{}\n"
             "FOR-STEP\n"
             "PROCEDURE {}\n"  // not registered; its steps are unreachable
             "STEP {Lost},{}\n");
  ASSERT_TRUE(rec.messages.empty()) << rec.messages[0];
  ASSERT_EQ(b->ProcNames, (Lines{"Quiz"}));
  const ProcClass& quiz = *b->Procs[0];
  EXPECT_EQ(quiz.StepNames, (Lines{"Ask", "Done"}));
  EXPECT_EQ(quiz.StartStep, "Ask");
  ASSERT_EQ(quiz.Steps.size(), 2u);
  EXPECT_EQ(quiz.Steps[0]->ThePrompt, "What is 2+2?");
  EXPECT_EQ(quiz.Steps[1]->ThePrompt, "All {done}");
  const StepPatternClass& ask = *quiz.Steps[0]->StepPatterns.at(0);
  ASSERT_EQ(ask.Fragments.size(), 2u);
  EXPECT_EQ(ask.Fragments[1]->WordFrag, "stray");
  ASSERT_EQ(ask.Responses.size(), 2u);
  EXPECT_EQ(ask.Responses[0]->ResponseType, rt::GotoStep);
  EXPECT_EQ(ask.Responses[0]->TheName, "Done");
  ASSERT_EQ(quiz.Steps[1]->StepPatterns.size(), 1u);
  EXPECT_TRUE(quiz.Steps[1]->StepPatterns[0]->Fragments.empty());
}

TEST(LanguageReader, FragmentAfterModeLineGoesToThePreviousModesClause) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "FOR-MODE 0,0\n"
             "MODE {Second}\n"
             "FRAGMENT AND,0,0,{x}\n"
             "RESPONSE {r},Just Text,{},{}\n");
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_TRUE(b->Knowledge[1]->Patterns.empty());
  const PatternClass& p = *b->Knowledge[0]->Patterns.at(0);
  EXPECT_EQ(p.Fragments.size(), 1u);
  EXPECT_EQ(p.Responses.size(), 1u);
}

TEST(LanguageReader, NameObjectNamesTheRecordMadeLast) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "NAME-OBJECT {Top}\n"
             "START-COLLECTION {c}\n"
             "NAME-OBJECT {member}\n"
             "END-COLLECTION\n"
             "NAME-OBJECT {Coll}\n"
             "MODE {M}\n"
             "NAME-OBJECT {ModeM}\n"
             "FOR-MODE 0,0\n"
             "NAME-OBJECT {Clause}\n"
             "FRAGMENT AND,0,0,{x}\n"
             "NAME-OBJECT {Frag}\n"
             "RESPONSE {r},Just Text,{},{}\n"
             "NAME-OBJECT {Resp}\n"
             "TASK {t},Just Text,{},{}\n"
             "NAME-OBJECT {Task}\n"
             "THRESHOLD 1,1\n"
             "NAME-OBJECT {Thresh}\n"
             "FOR-STATE {s}\n"
             "NAME-OBJECT {StateResp}\n"
             "PROCEDURE {P}\n"
             "NAME-OBJECT {Proc}\n"
             "STEP {S},{}\n"
             "NAME-OBJECT {Step}\n"
             "FOR-STEP\n"
             "NAME-OBJECT {StepClause}\n"
             "STATE {x}\n"
             "FACT {a} = {b}\n"
             "NAME-OBJECT {Again}\n");
  ASSERT_TRUE(rec.messages.empty()) << rec.messages[0];
  const PatternClass& clause = *b->Knowledge.at(1)->Patterns.at(0);
  const StepClass& step = *b->Procs.at(0)->Steps.at(0);
  const std::pair<const char*, const ObjectClass*> want[] = {
      {"Top", b->Knowledge[0].get()},
      {"Coll", b->FindCollection("c")},
      {"ModeM", b->Knowledge[1].get()},
      {"Clause", &clause},
      {"Frag", clause.Fragments.at(0).get()},
      {"Resp", clause.Responses.at(0).get()},
      {"Task", clause.Responses[0]->Tasks.at(0).get()},
      {"Thresh", clause.Thresholds.at(0).get()},
      {"StateResp", clause.States.at(0).get()},
      {"Proc", b->Procs[0].get()},
      {"Step", &step},
      {"StepClause", step.StepPatterns.at(0).get()},
      {"Again", step.StepPatterns[0].get()},
  };
  for (const auto& [name, record] : want) {
    SCOPED_TRACE(name);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(b->NamedObjects.Find(name), record);
  }
  EXPECT_EQ(b->Knowledge[0]->ObjectName, "Top");
  EXPECT_EQ(step.StepPatterns[0]->ObjectName, "Again");
  EXPECT_EQ(b->FindCollection("c")->Members, (Lines{"NAME-OBJECT {member}"}));
  EXPECT_EQ(b->NamedObjects.Find("member"), nullptr);
}

TEST(LanguageReader, AutoNameInTextAndFiles) {
  const std::regex autoName("Auto-[A-Y]{10}");
  test::TempDir dir;
  test::WriteFile(dir.File("a.vlf"), "FOR-MODE 0,0\nAUTO-NAME\n");
  for (bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "file" : "text");
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    if (fromFile)
      LoadLanguageFile(*b, dir.File("a.vlf"));
    else
      test::Load(*b, "FOR-MODE 0,0\nAUTO-NAME\n");
    const PatternClass* p = b->Knowledge[0]->Patterns.at(0).get();
    EXPECT_TRUE(std::regex_match(p->ObjectName, autoName)) << p->ObjectName;
    EXPECT_EQ(b->NamedObjects.Find(p->ObjectName), p);
  }
}

TEST(LanguageReader, CollectionMembers) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "START-COLLECTION {Animals}\n"
             "  zebra\n"
             "FACT {a} = {b}\n"
             "NAME-OBJECT {n}\n"
             "START-COLLECTION {inner}\n"
             "RESPONSE {x},Just Text,{},{}\n"
             "ant\n"
             "\n"
             "Ant\n"
             "end-collection whatever follows\n"
             "START-COLLECTION {Order}, { unsorted }\n"
             "b\n"
             "a\n"
             "END-COLLECTION\n"
             "START-COLLECTION {Sorted}, {unsorted please}\n"
             "b\n"
             "a\n"
             "END-COLLECTION\n"
             "START-COLLECTION {}\n"
             "hidden\n"
             "END-COLLECTION\n");
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_TRUE(b->FactNames.empty());
  ASSERT_EQ(b->Collections.size(), 3u);
  EXPECT_EQ(b->FindCollection("Animals")->Members,
            (Lines{"ant", "FACT {a} = {b}", "NAME-OBJECT {n}", "RESPONSE {x},Just Text,{},{}",
                   "START-COLLECTION {inner}", "zebra"}));
  EXPECT_FALSE(b->FindCollection("Order")->Sorted());
  EXPECT_EQ(b->FindCollection("Order")->Members, (Lines{"b", "a"}));
  EXPECT_TRUE(b->FindCollection("Sorted")->Sorted());
  EXPECT_EQ(b->FindCollection("Sorted")->Members, (Lines{"a", "b"}));
}

TEST(LanguageReader, ReportsProgressEveryTenLines) {
  Lines lines(25, "; comment");
  test::TempDir dir;
  test::WriteFile(dir.File("p.vlf"), test::Join(lines, "\r\n") + "\r\n");
  for (bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "file" : "text");
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    Lines progress;
    b->LanguageProgress = [&](const std::string& s) { progress.push_back(s); };
    if (fromFile)
      LoadLanguageFile(*b, dir.File("p.vlf"));
    else
      LoadLanguageText(*b, lines);
    EXPECT_EQ(progress, (Lines{"0", "10", "20"}));
  }
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  Lines progress;
  b->LanguageProgress = [&](const std::string& s) { progress.push_back(s); };
  LoadLanguageText(*b, {});
  EXPECT_TRUE(progress.empty());
}

TEST(LanguageReader, AcceptsLfAndCrLfLineEnds) {
  test::TempDir dir;
  test::WriteFile(dir.File("e.vlf"),
                  "FACT {a} = {1}\r\n"
                  "FACT {b} = {open\r\n"  // never closed: the value runs to the line end
                  "FACT {c} = {open\n"
                  "START-COLLECTION {k}\r\n"
                  "x\r\n"
                  "END-COLLECTION\r\n"
                  "FACT {z} = {last");
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  LoadLanguageFile(*b, dir.File("e.vlf"));
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(b->FactNames, (Lines{"a", "b", "c", "z"}));
  EXPECT_EQ(b->FactValues, (Lines{"1", "open", "open", "last"}));
  EXPECT_EQ(b->FindCollection("k")->Members, (Lines{"x"}));
}

}  // namespace
}  // namespace varnex
