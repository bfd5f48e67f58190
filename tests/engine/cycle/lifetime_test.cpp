// Records replaced while the engine still holds them are never used after
// they are destroyed (these tests matter most under AddressSanitizer).
#include <gtest/gtest.h>

#include "engine/records/brain.h"
#include "engine/cycle/input_cycle.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

TEST(Lifetime, ModeReplacedWhileItAnswers) {
  std::vector<std::string> answers;
  BrainClass* self = nullptr;
  BrainClass b([&](const std::string& s) {
    answers.push_back(s);
    // The answering mode, its Do-Before pattern and the responding pattern
    // are all replaced in the middle of the cycle.
    if (answers.size() == 2) self->AddKnowledge("Default", std::make_unique<KnowledgeClass>());
  });
  self = &b;
  test::Load(b,
             "For-Mode 0,0\n"
             "Name-Object {early}\n"
             "  Fragment Do-Before,0,0, {}, {}, {}\n"
             "  Response {before},Just Text,{},{}\n"
             "For-Mode 0,0\n"
             "Name-Object {main}\n"
             "  Fragment AND,0,0, {hi}, {}, {}\n"
             "  Response {main},Task List,{},{}\n"
             "    Task {task},Just Text,{},{}\n"
             "For-Mode 0,0\n"
             "  Fragment Do-After,0,0, {}, {}, {}\n"
             "  Response {after},Just Text,{},{}\n");
  ProcessInput(b, "hi");
  // Do-After patterns of the replaced mode are gone before their turn.
  EXPECT_EQ(answers, (Lines{"before", "task", "main"}));
  EXPECT_EQ(b.NamedObjects.Find("main"), nullptr);
  EXPECT_TRUE(b.DoBefore.empty());
  EXPECT_TRUE(b.DoAfter.empty());
  ProcessInput(b, "hi");
  EXPECT_EQ(answers.back(), "Sorry, I can't answer you because I don't know anything at all yet...");
}

TEST(Lifetime, CollectionReplacedWhileATagReadsIt) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "Start-Collection {pets}\ndog\nEnd-Collection\n"
             "For-Mode 0,0\n"
             "  Response {},Task List,{},{}\n"
             "    Task {},Add To Collection,{pets},{cat}\n"
             "    Task {^Member{pets}},Just Text,{},{}\n");
  b->AddCollection("PETS", std::make_unique<DataCollectionClass>());
  ProcessInput(*b, "my dog and cat");
  EXPECT_EQ(rec.answers, (Lines{"cat", ""}));
}

// Records replaced under their name leave nothing behind that still points
// at them: this test is meant to run under AddressSanitizer too.
TEST(LanguageReaderMessages, ReplacedRecordsLeaveNoDanglingReferences) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "FOR-MODE 0,0\nNAME-OBJECT {old clause}\nFRAGMENT Do-Before,0,0,{}\nFRAGMENT Do-After,0,0,{}\n"
             "RESPONSE {r},Just Text,{},{}\nNAME-OBJECT {old response}\n"
             "PROCEDURE {p}\nNAME-OBJECT {old proc}\nSTEP {s},{}\nNAME-OBJECT {old step}\nFOR-STEP\n"
             "START-COLLECTION {c}\nEND-COLLECTION\nNAME-OBJECT {old coll}\n"
             "MODE {Default}\nPROCEDURE {P}\nSTART-COLLECTION {C}\nEND-COLLECTION\nTASK {t}\nFOR-STEP\n"
             "NAME-OBJECT {new coll}");
  EXPECT_EQ(rec.messages.size(), 4u);
  Lines names;
  for (const auto& [name, record] : b->NamedObjects.Entries()) {
    names.push_back(name);
    EXPECT_FALSE(record->Retired) << name;
  }
  EXPECT_EQ(names, (Lines{"MyBrain", "new coll"}));
  EXPECT_TRUE(b->DoBefore.empty() && b->DoAfter.empty());
  EXPECT_TRUE(b->Knowledge.at(0)->Patterns.empty() && b->Procs.at(0)->Steps.empty());

  // A later read replacing records of an earlier one, then the brain at work.
  test::Load(*b, "MODE {M}\nNAME-OBJECT {m1}\nFOR-MODE 0,0\nFRAGMENT Do-Before,0,0,{}\nRESPONSE {hi},Just Text,{},{}");
  ASSERT_EQ(b->DoBefore.size(), 1u);
  test::Load(*b, "MODE {m}\nFOR-MODE 0,0\nFRAGMENT Do-After,0,0,{}\n");
  EXPECT_TRUE(b->DoBefore.empty());
  EXPECT_EQ(b->NamedObjects.Find("m1"), nullptr);
  ASSERT_EQ(b->DoAfter.size(), 1u);
  EXPECT_EQ(b->DoAfter[0]->Owner, b->Knowledge.at(1).get());
  ProcessInput(*b, "hello");
  b.reset();
}

}  // namespace
}  // namespace varnex
