#include "engine/language/writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "engine/records/type_names.h"
#include "engine/language/reader.h"
#include "langfile_test_util.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

// A brain with every record kind, every pattern and response type, named
// records throughout, and texts with blanks, commas, nested braces, tabs,
// high bytes and the extreme numbers.
std::string RichBrainText() {
  std::string t = "NAME-OBJECT {Main mode}\nSTATE {Happy}\nSTATE {  spaced state }\n";
  for (int c = 0; c < 12; ++c) t += "FOR-MODE " + std::to_string(c) + ",-1\nRESPONSE {answer},Just Text,{},{}\n";
  t += "FOR-MODE 2147483647,-2147483648\nNAME-OBJECT {clause}\n";
  for (std::size_t i = 0; i < Index(PatternType::Count); ++i) {
    const std::string n = std::to_string(i);
    t += "FRAGMENT " + std::string(PatternTypeName(static_cast<PatternType>(i))) + "," + n + ",-" + n +
         ", {  frag, ^Fact{x} " + n + " }, {name " + n + "}, {\tvalue\xe9 " + n + "}\n";
    if (i % 3 == 0) t += "NAME-OBJECT {fragment " + n + "}\n";
  }
  for (std::size_t i = 0; i < Index(ResponseType::Count); ++i) {
    const std::string n = std::to_string(i), type(ResponseTypeName(static_cast<ResponseType>(i)));
    t += "RESPONSE {Say {nested {deep}} " + n + "}," + type + ",{n, " + n + "},{v " + n + "}\n";
    if (i % 2 == 0) t += "NAME-OBJECT {response " + n + "}\n";
    t += "TASK {task " + n + "}," + type + ",{tn},{tv}\n";
    if (i % 4 == 0) t += "NAME-OBJECT {task " + n + "}\n";
  }
  t += "THRESHOLD -5,2147483647\nNAME-OBJECT {thresh}\nRESPONSE {th},Just Text,{},{}\nTASK {th t},Nested,{},{}\n";
  t += "FOR-STATE {Happy}\nNAME-OBJECT {happy}\nRESPONSE {st},State Change,{Normal},{}\nFOR-STATE {}\n";
  t += "MODE {Second mode}\nNAME-OBJECT {second}\nFOR-MODE 0,0\nFRAGMENT Do-Before,0,0,{}\nMODE {}\n";
  t += "PROCEDURE {Quiz}\nNAME-OBJECT {quiz}\nSTEP {Ask},{What is {2+2}?}\nNAME-OBJECT {ask}\n";
  t += "FOR-STEP\nNAME-OBJECT {ask clause}\nFRAGMENT AND,1,1,{four}\nNAME-OBJECT {four}\n";
  t += "RESPONSE {Right},Goto Step,{Done},{}\nNAME-OBJECT {right}\nTASK {log},Log This,{f.txt},{}\n";
  t += "FOR-STEP\nFRAGMENT NOT,0,0,{four}\nSTEP {Done},{}\nPROCEDURE {Empty}\n";
  t += "FACT {colour} = {red, green}\nFACT {empty} = {}\nFACT {braces} = {^Fact{colour}}\n";
  t += "START-COLLECTION {Zoo}\nzebra\nant\nFOR-MODE 1,1\nName-Object {x}\nEND-COLLECTION\n";
  t += "START-COLLECTION {arrivals}, {unsorted}\nlast\nfirst\nmiddle of {it}\nEND-COLLECTION\n";
  return t + "START-COLLECTION {Nothing}\nEND-COLLECTION\n";
}

TEST(LanguageWriter, WriteReadWriteGivesTheSameText) {
  test::Recorder rec;
  auto first = test::MakeBrain(rec);
  test::Load(*first, RichBrainText());
  ASSERT_TRUE(rec.messages.empty()) << rec.messages[0];
  Lines progress, lines;
  first->LanguageProgress = [&](const std::string& s) { progress.push_back(s); };
  SaveLanguageText(*first, lines);
  // Every tenth clause of a mode (by its object name), procedure and collection.
  EXPECT_EQ(progress, (Lines{"Main mode:0", "Main mode:10", "second:0", "Procs:0", "arrivals:0"}));
  const std::string text = test::Join(lines);

  auto second = test::MakeBrain(rec);
  LoadLanguageText(*second, lines);
  EXPECT_EQ(test::Written(*second), text);
  EXPECT_EQ(second->NamedObjects.Size(), first->NamedObjects.Size());
  EXPECT_EQ(second->DoBefore.size(), 2u);

  // The same through a file, whose lines end in CR LF.
  test::TempDir dir;
  ASSERT_EQ(SaveLanguageFile(*first, dir.File("rich.vlf")), "");
  EXPECT_EQ(test::ReadFile(dir.File("rich.vlf")), test::Join(lines, "\r\n") + "\r\n");
  auto third = test::MakeBrain(rec);
  LoadLanguageFile(*third, dir.File("rich.vlf"));
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(test::Written(*third), text);
}

TEST(LanguageWriter, UnbalancedClosingBraceIsWrittenAsStoredButReadsBackShort) {
  test::Recorder rec;
  auto first = test::MakeBrain(rec);
  first->AddFact("x", "a}b");
  Lines lines;
  SaveLanguageText(*first, lines);
  EXPECT_EQ(lines.at(9), "Fact {x} = {a}b}");
  auto second = test::MakeBrain(rec);
  LoadLanguageText(*second, lines);
  EXPECT_EQ(second->GetFact("x"), "a");
}

TEST(LanguageWriter, SaveReplacesTheFileOnlyWhenWrittenInFull) {
  test::TempDir dir;
  const std::string path = dir.File("brain.vlf");
  test::WriteFile(path, "old contents\r\n");
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  b->AddFact("big", std::string(200000, 'x'));
  {
    // Writes beyond 4 KiB fail (and raise no signal) while this holds.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string error = SaveLanguageFile(*b, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_NE(error, "");
  }
  EXPECT_EQ(test::ReadFile(path), "old contents\r\n");
  using Dir = std::filesystem::directory_iterator;
  EXPECT_EQ(std::distance(Dir(dir.path()), Dir()), 1) << "no temporary file is left behind";
  EXPECT_EQ(SaveLanguageFile(*b, path), "");
  EXPECT_TRUE(test::ReadFile(path).ends_with(std::string(200000, 'x') + "}\r\n-----Collections-----\r\n\r\n"));
  const std::string nowhere = dir.File("no/such/dir.vlf");
  EXPECT_NE(SaveLanguageFile(*b, nowhere), "");
  EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
}  // namespace varnex
