#include <gtest/gtest.h>

#include "langfile/reader.h"
#include "langfile_test_util.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using test::Lines;

struct Case {
  const char* text;
  Lines messages;
};

// Each statement error is two boxes: the error with the line number, then
// the line exactly as read.
TEST(LanguageReaderMessages, EachErrorShowsItsLineNumberThenTheLine) {
  const Case cases[] = {
      {"STEP {s},{p}", {"No Current Procedure In Line 1", "STEP {s},{p}"}},
      {"PROCEDURE {p}\nFOR-STEP", {"No Current Step In Line 2", "FOR-STEP"}},
      {"  threshold 1,2", {"No Current Clause In Line 1", "  threshold 1,2"}},
      {"FOR-STATE {x}", {"No Current Clause In Line 1", "FOR-STATE {x}"}},
      {"FRAGMENT AND,1,1,{x}", {"No Current Clause In Line 1", "FRAGMENT AND,1,1,{x}"}},
      {"RESPONSE {x},Just Text,{},{}", {"Mode Error In Line 1", "RESPONSE {x},Just Text,{},{}"}},
      {"FOR-MODE 0,0\nSTART-COLLECTION {c}\nEND-COLLECTION\nRESPONSE {x}",
       {"Mode Error In Line 4", "RESPONSE {x}"}},
      {"TASK {t},Just Text,{},{}", {"No Current Response In Line 1", "TASK {t},Just Text,{},{}"}},
      {"FOR-MODE 0,0\nPROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\nTHRESHOLD 1,2",
       {"Can Not Add Threshold To a Procedure Step In Line 5", "THRESHOLD 1,2"}},
      {"FOR-MODE 0,0\nPROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\nFOR-STATE {x}",
       {"Can Not Add State Responses To a Procedure Step In Line 5", "FOR-STATE {x}"}},
      // A replaced mode, procedure or step empties every register that
      // pointed into it.
      {"FOR-MODE 0,0\nMODE {default}\nRESPONSE {x}", {"No Current Clause In Line 3", "RESPONSE {x}"}},
      {"FOR-MODE 0,0\nMODE {Default}\nFRAGMENT AND,0,0,{x}",
       {"No Current Clause In Line 3", "FRAGMENT AND,0,0,{x}"}},
      {"FOR-MODE 0,0\nMODE {Default}\nTHRESHOLD 1,1", {"No Current Clause In Line 3", "THRESHOLD 1,1"}},
      {"FOR-MODE 0,0\nTHRESHOLD 1,2\nMODE {Default}\nRESPONSE {x}",
       {"No Current Threshold In Line 4", "RESPONSE {x}"}},
      {"FOR-MODE 0,0\nFOR-STATE {s}\nMODE {Default}\nRESPONSE {x}",
       {"No Current State Response In Line 4", "RESPONSE {x}"}},
      {"FOR-MODE 0,0\nRESPONSE {r}\nMODE {Default}\nTASK {t}", {"No Current Response In Line 4", "TASK {t}"}},
      {"PROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\nPROCEDURE {P}\nRESPONSE {x}",
       {"No Current Step Clause In Line 5", "RESPONSE {x}"}},
      {"PROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\nPROCEDURE {P}\nFRAGMENT AND,0,0,{x}",
       {"No Current Clause In Line 5", "FRAGMENT AND,0,0,{x}"}},
      {"PROCEDURE {p}\nSTEP {s},{}\nPROCEDURE {p}\nFOR-STEP", {"No Current Step In Line 4", "FOR-STEP"}},
      {"PROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\nSTEP {S},{}\nFRAGMENT AND,0,0,{x}",
       {"No Current Clause In Line 5", "FRAGMENT AND,0,0,{x}"}},
      // Reading goes on after an error.
      {"STEP {a},{}\nFACT {x} = {1}\n\nTASK {}",
       {"No Current Procedure In Line 1", "STEP {a},{}", "No Current Response In Line 4", "TASK {}"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    test::Load(*b, c.text);
    EXPECT_EQ(rec.messages, c.messages);
  }
}

TEST(LanguageReaderMessages, FailedStatementChangesNoRegisterOrState) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "FOR-MODE 0,0\n"
             "PROCEDURE {p}\n"
             "STEP {s},{}\n"
             "FOR-STEP\n"
             "THRESHOLD 1,2\n"
             "FOR-STATE {x}\n"
             "RESPONSE {r},Just Text,{},{}\n");
  EXPECT_EQ(rec.messages.size(), 4u);
  const PatternClass& clause = *b->Knowledge[0]->Patterns.at(0);
  EXPECT_TRUE(clause.Thresholds.empty());
  EXPECT_TRUE(clause.States.empty());
  EXPECT_TRUE(clause.Responses.empty());
  EXPECT_EQ(b->Procs.at(0)->Steps.at(0)->StepPatterns.at(0)->Responses.size(), 1u);
}

TEST(LanguageReaderMessages, ForModeWithoutAnyModeIsRefused) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  b->Knowledge.clear();
  b->KnowledgeNames.clear();
  b->CurrentMode = -1;
  test::Load(*b, "FACT {a} = {b}\nFOR-MODE 1,2\nMODE {New}\nFOR-MODE 3,4");
  EXPECT_EQ(rec.messages, (Lines{"No Current Mode In Line 2", "FOR-MODE 1,2"}));
  ASSERT_EQ(b->Knowledge.size(), 1u);
  ASSERT_EQ(b->Knowledge[0]->Patterns.size(), 1u);
  EXPECT_EQ(b->Knowledge[0]->Patterns[0]->OrderBonus, 3);
}

// Records replaced under their name leave nothing behind that still points
// at them: this test is meant to run under AddressSanitizer too.
TEST(LanguageReaderMessages, ReplacedRecordsLeaveNoDanglingReferences) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b,
             "FOR-MODE 0,0\n"
             "NAME-OBJECT {old clause}\n"
             "FRAGMENT Do-Before,0,0,{}\n"
             "FRAGMENT Do-After,0,0,{}\n"
             "RESPONSE {r},Just Text,{},{}\n"
             "NAME-OBJECT {old response}\n"
             "PROCEDURE {p}\n"
             "NAME-OBJECT {old proc}\n"
             "STEP {s},{}\n"
             "NAME-OBJECT {old step}\n"
             "FOR-STEP\n"
             "START-COLLECTION {c}\n"
             "END-COLLECTION\n"
             "NAME-OBJECT {old coll}\n"
             "MODE {Default}\n"
             "PROCEDURE {P}\n"
             "START-COLLECTION {C}\n"
             "END-COLLECTION\n"
             "FRAGMENT AND,0,0,{x}\n"
             "TASK {t},Just Text,{},{}\n"
             "FOR-STEP\n"
             "NAME-OBJECT {new coll}\n");
  EXPECT_EQ(rec.messages, (Lines{"No Current Clause In Line 19", "FRAGMENT AND,0,0,{x}",
                                 "No Current Response In Line 20", "TASK {t},Just Text,{},{}",
                                 "No Current Step In Line 21", "FOR-STEP"}));
  Lines names;
  for (const auto& [name, record] : b->NamedObjects.Entries()) {
    names.push_back(name);
    EXPECT_FALSE(record->Retired) << name;
  }
  EXPECT_EQ(names, (Lines{"MyBrain", "new coll"}));
  EXPECT_TRUE(b->DoBefore.empty());
  EXPECT_TRUE(b->DoAfter.empty());
  EXPECT_TRUE(b->Knowledge.at(0)->Patterns.empty());
  EXPECT_TRUE(b->Procs.at(0)->Steps.empty());
  EXPECT_EQ(test::Written(*b).find("old"), std::string::npos);

  // A later read replacing records of an earlier one, then the brain at work.
  test::Load(*b, "MODE {M}\nNAME-OBJECT {m1}\nFOR-MODE 0,0\nFRAGMENT Do-Before,0,0,{}\nRESPONSE {hi},Just Text,{},{}");
  ASSERT_EQ(b->DoBefore.size(), 1u);
  test::Load(*b, "MODE {m}\nFOR-MODE 0,0\nFRAGMENT Do-After,0,0,{}\n");
  EXPECT_TRUE(b->DoBefore.empty());
  EXPECT_EQ(b->NamedObjects.Find("m1"), nullptr);
  ASSERT_EQ(b->DoAfter.size(), 1u);
  EXPECT_EQ(b->DoAfter[0]->Owner, b->Knowledge.at(1).get());
  b->ProcessInput("hello");
  b.reset();
}

TEST(LanguageReaderMessages, FilesThatCannotBeRead) {
  test::TempDir dir;
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  const std::string missing = dir.File("missing.vlf");
  LoadLanguageFile(*b, missing);
  EXPECT_EQ(rec.messages, (Lines{"Could not open file: " + missing}));

  rec.messages.clear();
  LoadLanguageFile(*b, dir.path());  // opens, but cannot be read as lines
  EXPECT_EQ(rec.messages, (Lines{"Error reading " + dir.path() + " at line 1"}));
}

}  // namespace
}  // namespace varnex
