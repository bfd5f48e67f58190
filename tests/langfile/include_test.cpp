#include <gtest/gtest.h>

#include "langfile/reader.h"
#include "langfile_test_util.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using test::Lines;

TEST(LanguageInclude, ReadsIntoTheSameBrainWithItsOwnLineNumbers) {
  test::TempDir dir;
  const std::string inc = dir.File("inc.vlf");
  // The included read starts with fresh registers: the TASK of line 3 finds
  // no response even though the including file had one.
  test::WriteFile(inc, "MODE {Included}\r\nFOR-MODE 7,7\r\nTASK {t},Just Text,{},{}\r\n");
  test::WriteFile(dir.File("top.vlf"),
                  "FOR-MODE 0,0\n"
                  "RESPONSE {top},Just Text,{},{}\n"
                  "INCLUDE {" + inc + "}\n"
                  "RESPONSE {after},Just Text,{},{}\n");  // the included file's clause
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  LoadLanguageFile(*b, dir.File("top.vlf"));
  EXPECT_EQ(rec.messages, (Lines{"No Current Response In Line 3", "TASK {t},Just Text,{},{}"}));
  ASSERT_EQ(b->KnowledgeNames, (Lines{"Default", "Included"}));
  EXPECT_EQ(b->Knowledge[0]->Patterns.at(0)->Responses.size(), 1u);
  const PatternClass& included = *b->Knowledge[1]->Patterns.at(0);
  EXPECT_EQ(included.OrderBonus, 7);
  ASSERT_EQ(included.Responses.size(), 1u);
  EXPECT_EQ(included.Responses[0]->OutText, "after");

  // The including read keeps its own state: Outside here, whatever the
  // included file ended in. The same file may be included again in turn.
  rec.messages.clear();
  test::WriteFile(dir.File("clause.vlf"), "FOR-MODE 1,1\n");
  const std::string again = "INCLUDE {" + dir.File("clause.vlf") + "}";
  test::Load(*b, again + "\n" + again + "\nRESPONSE {x},Just Text,{},{}");
  EXPECT_EQ(b->Knowledge[0]->Patterns.size(), 3u);
  EXPECT_EQ(rec.messages, (Lines{"Mode Error In Line 3", "RESPONSE {x},Just Text,{},{}"}));
}

TEST(LanguageInclude, PathNamingNoFileIsSkippedSilently) {
  test::TempDir dir;
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  test::Load(*b, "INCLUDE {" + dir.File("none.vlf") + "}\nINCLUDE {}\nINCLUDE {" + dir.path() +
                     "}\nINCLUDE\nFACT {after} = {yes}");
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(b->GetFact("after"), "yes");
}

TEST(LanguageInclude, FileIncludingItselfIsRefused) {
  test::TempDir dir;
  const std::string self = dir.File("self.vlf");
  const std::string selfLine = "INCLUDE {" + self + "}";
  test::WriteFile(self, "FACT {n} = {1}\n" + selfLine + "\nFACT {after} = {yes}\n");
  const Lines refused{"File Includes Itself In Line 2", selfLine};
  {
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    LoadLanguageFile(*b, self);
    EXPECT_EQ(rec.messages, refused);
    EXPECT_EQ(b->GetFact("after"), "yes");
  }
  {
    // Reached from the editor's text the file is read once, then refused.
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    test::Load(*b, selfLine);
    EXPECT_EQ(rec.messages, refused);
  }
  {
    // Through another file, and under another spelling of the same path.
    const std::string a = dir.File("a.vlf"), c = dir.File("c.vlf");
    const std::string back = "INCLUDE {" + dir.path() + "/./a.vlf}";
    test::WriteFile(a, "INCLUDE {" + c + "}\n");
    test::WriteFile(c, "FACT {c} = {1}\n\n" + back + "\n");
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    LoadLanguageFile(*b, a);
    EXPECT_EQ(rec.messages, (Lines{"File Includes Itself In Line 3", back}));
    EXPECT_EQ(b->GetFact("c"), "1");
  }
}

// "f" followed by the number (built by appending: GCC 12 warns wrongly on
// literal + to_string).
std::string Numbered(int i) {
  std::string s = "f";
  s += std::to_string(i);
  return s;
}

// f0 includes f1, which includes f2, and so on for 100 files: the chain is
// cut off once includes are nested 64 deep.
TEST(LanguageInclude, DeepNestingIsRefused) {
  test::TempDir dir;
  const int kFiles = 100;
  auto file = [&](int i) { return dir.File(Numbered(i) + ".vlf"); };
  for (int i = 0; i < kFiles; ++i)
    test::WriteFile(file(i), "FACT {" + Numbered(i) + "} = {read}\nINCLUDE {" + file(i + 1) + "}\n");
  for (bool fromFile : {true, false}) {
    SCOPED_TRACE(fromFile ? "file" : "text");
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    if (fromFile) {
      LoadLanguageFile(*b, file(0));
    } else {
      test::Load(*b, "INCLUDE {" + file(0) + "}");
    }
    ASSERT_EQ(rec.messages.size(), 2u);
    EXPECT_EQ(rec.messages[0], "Include Nested Too Deeply In Line 2");
    EXPECT_TRUE(rec.messages[1].starts_with("INCLUDE {" + dir.path() + "/f")) << rec.messages[1];
    for (int i = 0; i < 64; ++i) EXPECT_EQ(b->GetFact(Numbered(i)), "read") << i;
    // Sixty-four INCLUDE statements are followed; from text, f0 is the first.
    EXPECT_EQ(b->GetFact("f64"), fromFile ? "read" : "#");
    for (int i = 65; i < kFiles; ++i) EXPECT_EQ(b->GetFact(Numbered(i)), "#") << i;
  }
}

}  // namespace
}  // namespace varnex
