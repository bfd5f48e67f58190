#include <gtest/gtest.h>

#include "engine/core/type_names.h"
#include "langfile/reader.h"
#include "langfile_test_util.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using test::Lines;

// A brain with every record kind, every pattern and response type, named
// records throughout, and texts with blanks, commas, nested braces, tabs,
// high bytes and the extreme numbers.
std::string RichBrainText() {
  std::string t = "NAME-OBJECT {Main mode}\nSTATE {Happy}\nSTATE {  spaced state }\n";
  for (int c = 0; c < 12; ++c) {
    const std::string n = std::to_string(c);
    t += "FOR-MODE " + n + ",-" + n + "\nNAME-OBJECT {clause " + n + "}\n";
    t += "FRAGMENT AND,1,2,{word " + n + "}\n";
    t += "RESPONSE {answer " + n + "},Just Text,{},{}\n";
  }
  t += "FOR-MODE 2147483647,-2147483648\n";
  for (int i = 0; i < pt::Count; ++i) {
    const std::string n = std::to_string(i);
    t += "FRAGMENT " + std::string(PatternTypeName(static_cast<uint8_t>(i))) + "," + n + ",-" + n +
         ", {  frag, ^Fact{x} " + n + " }, {name " + n + "}, {\tvalue\xe9 " + n + "}\n";
    if (i % 3 == 0) t += "NAME-OBJECT {fragment " + n + "}\n";
  }
  for (int i = 0; i < rt::Count; ++i) {
    const std::string n = std::to_string(i);
    const std::string type(ResponseTypeName(static_cast<uint8_t>(i)));
    t += "RESPONSE {Say {nested {deep}} " + n + "}," + type + ",{n, " + n + "},{v " + n + "}\n";
    if (i % 2 == 0) t += "NAME-OBJECT {response " + n + "}\n";
    t += "TASK {task " + n + "}," + type + ",{tn},{tv}\n";
    if (i % 4 == 0) t += "NAME-OBJECT {task " + n + "}\n";
  }
  t += "THRESHOLD -5,2147483647\nNAME-OBJECT {thresh}\nRESPONSE {th},Just Text,{},{}\nTASK {th t},Nested,{},{}\n";
  t += "THRESHOLD 0,0\nRESPONSE {th2},Just Text,{},{}\n";
  t += "FOR-STATE {Happy}\nNAME-OBJECT {happy}\nRESPONSE {st},State Change,{Normal},{}\nTASK {st t},Just Text,{},{}\n";
  t += "FOR-STATE {}\n";
  t += "MODE {Second mode}\nNAME-OBJECT {second}\nFOR-MODE 0,0\nFRAGMENT Do-Before,0,0,{}\n";
  t += "RESPONSE {before},Just Text,{},{}\n";
  t += "MODE {}\n";
  t += "PROCEDURE {Quiz}\nNAME-OBJECT {quiz}\nSTEP {Ask},{What is {2+2}?}\nNAME-OBJECT {ask}\n";
  t += "FOR-STEP\nNAME-OBJECT {ask clause}\nFRAGMENT AND,1,1,{four}\nNAME-OBJECT {four}\n";
  t += "RESPONSE {Right},Goto Step,{Done},{}\nNAME-OBJECT {right}\nTASK {log},Log This,{f.txt},{}\n";
  t += "FOR-STEP\nFRAGMENT NOT,0,0,{four}\nRESPONSE {Wrong},Just Text,{},{}\n";
  t += "STEP {Done},{}\nPROCEDURE {Empty}\n";
  t += "FACT {colour} = {red, green}\nFACT {empty} = {}\nFACT {braces} = {^Fact{colour}}\n";
  t += "START-COLLECTION {Zoo}\nzebra\nant\nFOR-MODE 1,1\nName-Object {x}\nEND-COLLECTION\n";
  t += "START-COLLECTION {arrivals}, {unsorted}\nlast\nfirst\nmiddle of {it}\nEND-COLLECTION\n";
  t += "START-COLLECTION {Nothing}\nEND-COLLECTION\n";
  return t;
}

TEST(LanguageRoundTrip, WriteReadWriteGivesTheSameText) {
  test::Recorder rec;
  auto first = test::MakeBrain(rec);
  test::Load(*first, RichBrainText());
  ASSERT_TRUE(rec.messages.empty()) << rec.messages[0];
  const std::string text = test::Written(*first);

  Lines lines;
  SaveLanguageText(*first, lines);
  auto second = test::MakeBrain(rec);
  LoadLanguageText(*second, lines);
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(test::Written(*second), text);
  EXPECT_EQ(second->NamedObjects.Size(), first->NamedObjects.Size());
  EXPECT_EQ(second->DoBefore.size(), 2u);
  EXPECT_EQ(second->Knowledge.at(0)->Patterns.size(), 13u);

  // The same through a file, whose lines end in CR LF.
  test::TempDir dir;
  ASSERT_EQ(SaveLanguageFile(*first, dir.File("rich.vlf")), "");
  EXPECT_EQ(test::ReadFile(dir.File("rich.vlf")), test::Join(lines, "\r\n") + "\r\n");
  auto third = test::MakeBrain(rec);
  LoadLanguageFile(*third, dir.File("rich.vlf"));
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(test::Written(*third), text);
}

TEST(LanguageRoundTrip, UnbalancedClosingBraceIsWrittenAsStoredButReadsBackShort) {
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

}  // namespace
}  // namespace varnex
