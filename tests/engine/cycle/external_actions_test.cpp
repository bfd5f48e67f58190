#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "engine/matching/match.h"
#include "engine/cycle/input_cycle.h"
#include "engine/base/text_search.h"
#include "platform/program_start.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

const std::string kLibrary = VARNEX_TEST_LIBRARY;

std::unique_ptr<BrainClass> AllowingBrain(test::Recorder& rec, bool allow = true) {
  auto b = test::MakeBrain(rec);
  b->AskPermission = [allow](Permission, const std::string&) { return allow; };
  return b;
}

TEST(CallDLL, AnswersBecomeFactsCutToTheReturnedLength) {
  test::Recorder rec;
  auto b = AllowingBrain(rec);
  std::string upper = UpperCase(kLibrary);  // another spelling of the same library
  test::Load(*b, "For-Mode 0,0\n  Response {},Task List,{},{}\n"
                 "    Task {3},CallDLL,{" + kLibrary + "},{WriteCat}\n"
                 "    Task {^Fact{WriteCat} and ^Fact{Shout}},Just Text,{},{}\n"
                 "    Task {2},CallDLL,{" + upper + "},{WriteCat}\n"
                 "    Task {^Fact{WriteCat}},Just Text,{},{}\n"
                 "    Task {10},CallDLL,{" + kLibrary + "},{WriteCat}\n"
                 "    Task {^Fact{WriteCat}},Just Text,{},{}\n"
                 "    Task {0},CallDLL,{" + kLibrary + "},{WriteCat}\n"
                 "    Task {},CallDLL,{" + kLibrary + "},{Overrun}\n"
                 "    Task {},CallDLL,{" + kLibrary + "},{Throws}\n"
                 "    Task {},CallDLL,{" + kLibrary + "},{Missing}\n"
                 "    Task {},CallDLL,{/no/such/library.so},{Shout}\n"
                 "    Task {hey},CallDLL,{" + kLibrary + "},{Shout}\n"
                 "    Task {^Fact{Shout} ^Fact{Throws} ^Fact{Missing}},Just Text,{},{}\n");
  ProcessInput(*b, "go");
  EXPECT_EQ(rec.answers, (Lines{"cat and #", "ca", "cat", "HEY # #", ""}));
  EXPECT_EQ(b->GetFact("Overrun").size(), 512u);
  EXPECT_EQ(b->Libraries.size(), 1u);
  EXPECT_NE(std::find(rec.trace.begin(), rec.trace.end(), "[Add Fact]: WriteCat = {ca}"), rec.trace.end());
}

TEST(CallDLL, LibrariesAreReleasedWithTheBrainAndNeedConsent) {
  {
    test::Recorder rec;
    auto b = AllowingBrain(rec);
    test::Load(*b, "For-Mode 0,0\n  Response {hi},CallDLL,{" + kLibrary + "},{Shout}\n");
    ProcessInput(*b, "go");
    EXPECT_EQ(b->GetFact("Shout"), "HI");
    void* loaded = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(loaded, nullptr);
    if (loaded) dlclose(loaded);  // drop the reference just taken
  }
  EXPECT_EQ(dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);

  test::Recorder rec;
  auto b = AllowingBrain(rec, false);
  test::Load(*b, "For-Mode 0,0\n  Response {hi},CallDLL,{" + kLibrary + "},{Shout}\n");
  ProcessInput(*b, "go");
  EXPECT_EQ(b->GetFact("Shout"), "#");
  EXPECT_TRUE(b->Libraries.empty());
  EXPECT_NE(std::find(rec.trace.begin(), rec.trace.end(), "[Blocked]: library " + kLibrary), rec.trace.end());
}

TEST(External, ALibraryFunctionGivesTheScore) {
  test::Recorder rec;
  auto b = AllowingBrain(rec);
  test::Load(*b, "For-Mode 0,0\n"
                 "  Fragment External,0,0, {" + kLibrary + "}, {ScoreLength}, {^Input{0}}\n"
                 "  Fragment External,0,0, {" + kLibrary + "}, {NoSuchFunction}, {x}\n"
                 "  Fragment External,0,0, {/no/such.so}, {ScoreLength}, {x}\n");
  auto& f = b->Knowledge[0]->Patterns[0]->Fragments;
  int32_t pos = 1;
  ProcessInput(*b, "four");
  EXPECT_EQ(Match(*b, *f[0], "four", pos), 4);
  EXPECT_EQ(Match(*b, *f[1], "four", pos), 0);
  EXPECT_EQ(Match(*b, *f[2], "four", pos), 0);
  b->AskPermission = nullptr;  // the loaded library stays usable; new ones are refused
  ProcessInput(*b, "neg");
  EXPECT_EQ(Match(*b, *f[0], "neg", pos), -7);
}

TEST(ActionAndLog, ProgramsStartWithoutWaitingAndLogsAppend) {
  test::TempDir dir;
  EXPECT_EQ(SplitCommandLine(R"(touch "a b" c\"d "e""f" ;rm)"), (Lines{"touch", "a b", "c\"d", "e\"f", ";rm"}));
  test::Recorder rec;
  auto b = AllowingBrain(rec);
  const std::string log = dir.File("log.txt");
  test::Load(*b, "For-Mode 0,0\n  Response {},Task List,{},{}\n"
                 "    Task {},Action,{touch \"" + dir.File("made by ^Fact{x}") + "\"},{}\n"
                 "    Task {},Action,{no-such-program-here},{}\n"
                 "    Task {},Log This,{" + log + "},{line ^Input{0}}\n"
                 "    Task {},Log This,{/no/such/folder/log.txt},{lost}\n");
  ProcessInput(*b, "one");
  ProcessInput(*b, "two");
  EXPECT_EQ(test::ReadFile(log), "line one\r\nline two\r\n");
  // The command ran as written, tags and blanks included, without a shell.
  for (int i = 0; i < 100 && access(dir.File("made by ^Fact{x}").c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(access(dir.File("made by ^Fact{x}").c_str(), F_OK), 0);

  auto refused = AllowingBrain(rec, false);
  test::Load(*refused, "For-Mode 0,0\n  Response {},Action,{touch " + dir.File("never") + "},{}\n");
  ProcessInput(*refused, "go");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_NE(access(dir.File("never").c_str(), F_OK), 0);
  EXPECT_EQ(rec.trace.back().rfind("[Blocked]: program touch ", 0), 0u) << rec.trace.back();
}

}  // namespace
}  // namespace varnex
