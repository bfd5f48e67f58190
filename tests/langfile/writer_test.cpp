#include "langfile/writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "langfile_test_util.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using test::Lines;

const Lines kNewBrain = {
    "",
    "Varnex 9.0 Varnex-Language File",
    "Written by the Varnex conversational engine",
    "All Rights Reserved",
    "",
    "-------States--------",
    "-------Modes---------",
    "-----Procedures------",
    "-------Facts---------",
    "-----Collections-----",
    "",
};

TEST(LanguageWriter, NewBrainIsElevenLines) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  Lines lines;
  SaveLanguageText(*b, lines);
  EXPECT_EQ(lines, kNewBrain);

  test::TempDir dir;
  EXPECT_EQ(SaveLanguageFile(*b, dir.File("new.vlf")), "");
  EXPECT_EQ(test::ReadFile(dir.File("new.vlf")), test::Join(kNewBrain, "\r\n") + "\r\n");
}

// Read in any order and spelling, written in the one canonical layout.
TEST(LanguageWriter, LaysOutEveryKindOfRecord) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b, R"(fact {colour} = {red}
state {Happy}
  STATE {sad}
state {normal}
Name-Object {DefaultMode}
for-mode 5,-2
name-object {Greeting}
fragment and , 10 , 3 ,{hello}
name-object {HelloFrag}
fragment Data-Match,4,1,{x},{colour},{red}
response {Hi ^Fact{colour}!}, just text ,{},{}
name-object {HiResp}
response {list},Task List,{a},{b}
task {one},Just Text,{},{}
name-object {TaskOne}
task {two},Mode Change,{Other},{}
threshold 2 , 4
name-object {Th}
response {again},Just Text,{},{}
task {t},Just Text,{},{}
for-state {Happy}
name-object {St}
response {glad},Just Text,{},{}
FRAGMENT Volition,0,0,{0.5}
Mode {Other}
name-object {OtherMode}
for-mode 0,0
fragment OR,0,0,{bye}
response {Bye},Just Text,{},{}
Procedure {Quiz}
name-object {QuizProc}
step {Ask},{What is 2+2?}
name-object {AskStep}
for-step
name-object {AskClause}
fragment AND,1,1,{four}
name-object {FourFrag}
response {Right},Goto Step,{Done},{}
task {noted},Log This,{log.txt},{}
step {Done},{Bye}
Procedure {Second}
start-collection {zoo}
zebra
ant
end-collection
NAME-OBJECT {not written}
START-COLLECTION {Colours}, { unsorted }
red
blue
End-Collection
fact {size} = {10}
fact {COLOUR} = {blue})");
  ASSERT_TRUE(rec.messages.empty()) << rec.messages[0];
  Lines progress;
  b->LanguageProgress = [&](const std::string& s) { progress.push_back(s); };
  EXPECT_EQ(test::Written(*b), R"(
Varnex 9.0 Varnex-Language File
Written by the Varnex conversational engine
All Rights Reserved

-------States--------
State {Happy}
State {sad}
-------Modes---------
Name-Object {DefaultMode}
For-Mode 5,-2
Name-Object {Greeting}
  Fragment AND,10,3, {hello}, {}, {}
  Name-Object {HelloFrag}
  Fragment Data-Match,4,1, {x}, {colour}, {red}
  Fragment Volition,0,0, {0.5}, {}, {}
  Response {Hi ^Fact{colour}!},Just Text,{},{}
  Name-Object {HiResp}
  Response {list},Task List,{a},{b}
    Task {one},Just Text,{},{}
    Name-Object {TaskOne}
    Task {two},Mode Change,{Other},{}
  Threshold 2,4
  Name-Object {Th}
    Response {again},Just Text,{},{}
      Task {t},Just Text,{},{}
  For-State {Happy}
  Name-Object {St}
    Response {glad},Just Text,{},{}

Mode {Other}
Name-Object {OtherMode}
For-Mode 0,0
  Fragment OR,0,0, {bye}, {}, {}
  Response {Bye},Just Text,{},{}

-----Procedures------
Procedure {Quiz}

Name-Object {QuizProc}
Step {Ask},{What is 2+2?}
Name-Object {AskStep}
  For-Step
  Name-Object {AskClause}
    Fragment AND,1,1, {four}, {}, {}
    Name-Object {FourFrag}
    Response {Right},Goto Step,{Done},{}
      Task {noted},Log This,{log.txt},{}

Step {Done},{Bye}

Procedure {Second}


-------Facts---------
Fact {colour} = {blue}
Fact {size} = {10}
-----Collections-----
Start-Collection {Colours}, {UNSORTED}
red
blue
End-Collection

Start-Collection {zoo}
ant
zebra
End-Collection

)");
  EXPECT_EQ(progress, (Lines{"DefaultMode:0", "OtherMode:0", "Procs:0", "Colours:0"}));
}

TEST(LanguageWriter, ProgressEveryTenRecords) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  std::string text = "NAME-OBJECT {M}\n";
  for (int i = 0; i < 21; ++i) text += "FOR-MODE 0,0\nPROCEDURE {p" + std::to_string(i) + "}\n";
  test::Load(*b, text);
  Lines progress;
  b->LanguageProgress = [&](const std::string& s) { progress.push_back(s); };
  Lines lines;
  SaveLanguageText(*b, lines);
  EXPECT_EQ(progress, (Lines{"M:0", "M:10", "M:20", "Procs:0", "Procs:10", "Procs:20"}));
}

// Sets a file size limit for the scope, so writes beyond it fail.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim = saved_;
    lim.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lim);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST(LanguageWriter, SaveReplacesTheFileOnlyWhenWrittenInFull) {
  test::TempDir dir;
  const std::string path = dir.File("brain.vlf");
  test::WriteFile(path, "old contents\r\n");
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  b->AddFact("big", std::string(200000, 'x'));
  {
    FileSizeLimit limit(4096);
    EXPECT_NE(SaveLanguageFile(*b, path), "");
  }
  EXPECT_EQ(test::ReadFile(path), "old contents\r\n");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u) << "no temporary file is left behind";

  EXPECT_EQ(SaveLanguageFile(*b, path), "");
  Lines lines;
  SaveLanguageText(*b, lines);
  EXPECT_EQ(test::ReadFile(path), test::Join(lines, "\r\n") + "\r\n");

  const std::string nowhere = dir.File("no/such/dir.vlf");
  EXPECT_NE(SaveLanguageFile(*b, nowhere), "");
  EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
}  // namespace varnex
