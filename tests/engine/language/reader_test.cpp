#include "engine/language/reader.h"

#include <gtest/gtest.h>

#include <regex>

#include "langfile_test_util.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

// Statements are read in any spelling and attach to the records the reader
// holds; the writer lays them out in its one canonical form. Worth noting:
// FOR-MODE numbers are not trimmed ("5 " is no number), THRESHOLD and FRAGMENT
// numbers are; fragments go to the clause after a threshold or a new mode;
// a step clause stays current across STEP; NAME-OBJECT names the record made
// last, never a fact; an unnamed procedure is dropped; a TASK reaches the
// last response even after a collection; only " unsorted " keeps arrival order.
TEST(LanguageReader, ReadsStatementsAndWritesTheCanonicalLayout) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b, R"(  fact {a} = {b}
FACT {A} = {c d}
STATEMENT {Calm}
state {NORMAL}
Anything that starts with no keyword is a comment
Name-Object {Top}
FOR-MODE 5 , 3
name-object {Greeting}
FRAGMENT and , 5 , 2 ,{x}
FRAGMENT Data-Match, 4,1, {w}, {colour}, {red, or {blue}}
name-object {DM}
RESPONSE {Hi, ^Fact{name}}, task list ,{n},{ v }
name-object {HiResp}
TASK {t}, Mode Change,{Other},{}
FACT {f} = {1}
NAME-OBJECT {TaskT}
THRESHOLD  1 , 3 
name-object {Th}
RESPONSE {th},Just Text,{},{}
FRAGMENT Do-Before,0,0,{late}
TASK {th-task},Just Text,{},{}
FOR-STATE {Happy}
name-object {St}
RESPONSE {st},Just Text,{},{}
MODEL {Extra}
FRAGMENT Volition,0,0,{ 0.5 }
PROCEDURE {Quiz}
name-object {QuizProc}
STEP {Ask},{What is 2+2?}
name-object {AskStep}
FOR-STEP the rest is not read {x}
name-object {AskClause}
FRAGMENT AND,1,1,{four}
RESPONSE {Right},Goto Step,{Done},{}
STEP {Done}, {All {done}}
FRAGMENT NOT,0,0,{stray}
FOR-STEP
PROCEDURE {}
STEP {Lost},{}
START-COLLECTION {zoo}, {unsorted please}
  zebra
NAME-OBJECT {member}
ant
Ant
end-collection whatever follows
TASK {after the collection},Just Text,{},{}
START-COLLECTION {Colours}, { unsorted }
red
blue
End-Collection)");
  ASSERT_TRUE(rec.messages.empty()) << rec.messages[0];
  EXPECT_EQ(test::Written(*b), R"(
Varnex 9.0 Varnex-Language File
Written by the Varnex conversational engine
All Rights Reserved

-------States--------
State {Calm}
-------Modes---------
Name-Object {Top}
For-Mode 0,3
Name-Object {Greeting}
  Fragment AND,5,2, {x}, {}, {}
  Fragment Data-Match,4,1, {w}, {colour}, {red, or {blue}}
  Name-Object {DM}
  Fragment Do-Before,0,0, {late}, {}, {}
  Fragment Volition,0,0, { 0.5 }, {}, {}
  Response {Hi, ^Fact{name}},Task List,{n},{ v }
  Name-Object {HiResp}
    Task {t},Mode Change,{Other},{}
    Name-Object {TaskT}
  Threshold 1,3
  Name-Object {Th}
    Response {th},Just Text,{},{}
      Task {th-task},Just Text,{},{}
  For-State {Happy}
  Name-Object {St}
    Response {st},Just Text,{},{}

Mode {Extra}
-----Procedures------
Procedure {Quiz}

Name-Object {QuizProc}
Step {Ask},{What is 2+2?}
Name-Object {AskStep}
  For-Step
  Name-Object {AskClause}
    Fragment AND,1,1, {four}, {}, {}
    Fragment NOT,0,0, {stray}, {}, {}
    Response {Right},Goto Step,{Done},{}
      Task {after the collection},Just Text,{},{}

Step {Done},{All {done}}
  For-Step


-------Facts---------
Fact {a} = {c d}
Fact {f} = {1}
-----Collections-----
Start-Collection {Colours}, {UNSORTED}
red
blue
End-Collection

Start-Collection {zoo}
ant
NAME-OBJECT {member}
zebra
End-Collection

)");
  // Fields are set before the fragment is attached, which registers it.
  PatternClass* clause = b->Knowledge.at(0)->Patterns.at(0).get();
  EXPECT_TRUE(clause->HasVolition && b->HasVolition);
  EXPECT_DOUBLE_EQ(clause->VolitionWhen, 0.5);
  EXPECT_EQ(b->DoBefore, (std::vector<PatternClass*>{clause}));
  EXPECT_EQ(b->NamedObjects.Size(), 11u);
  for (const auto& [name, record] : b->NamedObjects.Entries())
    EXPECT_TRUE(record == b.get() || record->ObjectName == name) << name;
}

TEST(LanguageReader, FilesAutoNamesAndProgress) {
  test::TempDir dir;
  std::string file = "FOR-MODE 0,0\r\nAUTO-NAME\r\nFACT {b} = {open\r\nFACT {c} = {open\n";
  for (int i = 0; i < 21; ++i) file += "; comment\r\n";
  test::WriteFile(dir.File("a.vlf"), file + "FACT {z} = {last");  // 25 lines, the last one unended
  const std::regex autoName("Auto-[A-Y]{10}");
  for (bool fromFile : {true, false}) {
    SCOPED_TRACE(fromFile ? "file" : "text");
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    Lines progress;
    b->LanguageProgress = [&](const std::string& s) { progress.push_back(s); };
    if (fromFile) {
      LoadLanguageFile(*b, dir.File("a.vlf"));
      // A field never closed runs to the line end, without the CR.
      EXPECT_EQ(b->FactValues, (Lines{"open", "open", "last"}));
    } else {
      test::Load(*b, "FOR-MODE 0,0\nAUTO-NAME" + std::string(24, '\n'));
    }
    EXPECT_EQ(progress, (Lines{"0", "10", "20"}));
    const PatternClass* p = b->Knowledge[0]->Patterns.at(0).get();
    EXPECT_TRUE(std::regex_match(p->ObjectName.str(), autoName)) << p->ObjectName;
    EXPECT_EQ(b->NamedObjects.Find(p->ObjectName), p);
  }
}

}  // namespace
}  // namespace varnex
