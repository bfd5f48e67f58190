#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "engine/language/keywords.h"
#include "engine/language/reader.h"
#include "langfile_test_util.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

// Each refused statement gives two messages: the error with the line number,
// then the line as read (here always the last line). The common cases are in
// the reader_errors transcript; these are the registers emptied when the
// record they pointed into is replaced under its name.
TEST(LanguageReaderMessages, ReplacedRecordsEmptyTheirRegisters) {
  const std::pair<const char*, const char*> cases[] = {
      {"FOR-MODE 0,0\nMODE {default}\nRESPONSE {x}", "No Current Clause In Line 3"},
      {"FOR-MODE 0,0\nMODE {Default}\nFRAGMENT AND,0,0,{x}", "No Current Clause In Line 3"},
      {"FOR-MODE 0,0\nMODE {Default}\nTHRESHOLD 1,1", "No Current Clause In Line 3"},
      {"FOR-MODE 0,0\nMODE {Default}\nFOR-STATE {s}", "No Current Clause In Line 3"},
      {"FOR-MODE 0,0\nTHRESHOLD 1,2\nMODE {Default}\nRESPONSE {x}", "No Current Threshold In Line 4"},
      {"FOR-MODE 0,0\nFOR-STATE {s}\nMODE {Default}\nRESPONSE {x}", "No Current State Response In Line 4"},
      {"FOR-MODE 0,0\nRESPONSE {r}\nMODE {Default}\nTASK {t}", "No Current Response In Line 4"},
      {"PROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\nPROCEDURE {P}\nRESPONSE {x}", "No Current Step Clause In Line 5"},
      {"PROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\nPROCEDURE {P}\nFRAGMENT AND,0,0,{x}", "No Current Clause In Line 5"},
      {"PROCEDURE {p}\nSTEP {s},{}\nPROCEDURE {p}\nFOR-STEP", "No Current Step In Line 4"},
      {"PROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\nSTEP {S},{}\nFRAGMENT AND,0,0,{x}", "No Current Clause In Line 5"},
  };
  for (auto [text, error] : cases) {
    SCOPED_TRACE(text);
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    test::Load(*b, text);
    const std::string t(text);
    EXPECT_EQ(rec.messages, (Lines{error, t.substr(t.rfind('\n') + 1)}));
  }
}

TEST(LanguageReaderMessages, RefusedStatementsChangeNothing) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  b->Knowledge.clear();
  b->KnowledgeNames.clear();
  b->CurrentMode = -1;
  test::Load(*b,
             "FOR-MODE 1,2\nMODE {New}\nFOR-MODE 3,4\nPROCEDURE {p}\nSTEP {s},{}\nFOR-STEP\n"
             "THRESHOLD 1,2\nFOR-STATE {x}\nRESPONSE {r},Just Text,{},{}");
  ASSERT_EQ(rec.messages.size(), 6u);
  EXPECT_EQ(rec.messages[0], "No Current Mode In Line 1");
  const PatternClass& clause = *b->Knowledge.at(0)->Patterns.at(0);
  EXPECT_EQ(clause.OrderBonus, 3);
  EXPECT_TRUE(clause.Thresholds.empty() && clause.States.empty() && clause.Responses.empty());
  // The step clause is still current for the response.
  EXPECT_EQ(b->Procs.at(0)->Steps.at(0)->StepPatterns.at(0)->Responses.size(), 1u);
}

TEST(LanguageInclude, ReadsIntoTheSameBrainWithItsOwnLineNumbersAndRegisters) {
  test::TempDir dir;
  const std::string inc = dir.File("inc.vlf");
  // The included read starts with fresh registers (its TASK finds no
  // response) but leaves them to the including read, whose state it keeps.
  test::WriteFile(inc, "MODE {Included}\r\nFOR-MODE 7,7\r\nTASK {t},Just Text,{},{}\r\n");
  test::WriteFile(dir.File("top.vlf"), "FOR-MODE 0,0\nRESPONSE {top},Just Text,{},{}\nINCLUDE {" + inc +
                                           "}\nRESPONSE {after},Just Text,{},{}\n");
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  LoadLanguageFile(*b, dir.File("top.vlf"));
  EXPECT_EQ(rec.messages, (Lines{"No Current Response In Line 3", "TASK {t},Just Text,{},{}"}));
  ASSERT_EQ(b->KnowledgeNames, (Lines{"Default", "Included"}));
  EXPECT_EQ(b->Knowledge[0]->Patterns.at(0)->Responses.size(), 1u);
  EXPECT_EQ(b->Knowledge[1]->Patterns.at(0)->Responses.at(0)->OutText, "after");

  // Outside here, whatever the included file ended in; the same file may be
  // included again, and paths that name no file are skipped silently, unlike
  // files read directly.
  rec.messages.clear();
  test::WriteFile(dir.File("clause.vlf"), "FOR-MODE 1,1\n");
  const std::string again = "INCLUDE {" + dir.File("clause.vlf") + "}\n";
  test::Load(*b, again + again + "INCLUDE {" + dir.File("none.vlf") + "}\nINCLUDE {" + dir.path() +
                     "}\nINCLUDE {}\nRESPONSE {x},Just Text,{},{}");
  EXPECT_EQ(b->Knowledge[0]->Patterns.size(), 3u);
  LoadLanguageFile(*b, dir.File("none.vlf"));
  LoadLanguageFile(*b, dir.path());  // opens, but cannot be read as lines
  EXPECT_EQ(rec.messages, (Lines{"Mode Error In Line 6", "RESPONSE {x},Just Text,{},{}",
                                 "Could not open file: " + dir.File("none.vlf"),
                                 "Error reading " + dir.path() + " at line 1"}));
}

TEST(LanguageInclude, FileIncludingItselfIsRefused) {
  test::TempDir dir;
  const std::string self = dir.File("self.vlf"), a = dir.File("a.vlf"), c = dir.File("c.vlf");
  const std::string selfLine = "INCLUDE {" + self + "}";
  // Through another file, and under another spelling of the same path.
  const std::string back = "INCLUDE {" + dir.path() + "/./a.vlf}";
  test::WriteFile(self, "FACT {n} = {1}\n" + selfLine + "\nFACT {after} = {yes}\n");
  test::WriteFile(a, "INCLUDE {" + c + "}\n");
  test::WriteFile(c, "FACT {c} = {1}\n\n" + back + "\n");
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    if (i == 0) LoadLanguageFile(*b, self);
    if (i == 1) test::Load(*b, selfLine);  // from text the file is read once, then refused
    if (i == 2) LoadLanguageFile(*b, a);
    EXPECT_EQ(rec.messages, (i < 2 ? Lines{"File Includes Itself In Line 2", selfLine}
                                   : Lines{"File Includes Itself In Line 3", back}));
    EXPECT_EQ(b->GetFact(i < 2 ? "after" : "c"), i < 2 ? "yes" : "1");
  }
}

// File 0f includes 1f, which includes 2f, and so on for 100 files: the chain is
// cut off once 64 INCLUDE statements are nested.
TEST(LanguageInclude, DeepNestingIsRefused) {
  test::TempDir dir;
  auto name = [](int i) { return std::to_string(i) + "f"; };
  for (int i = 0; i < 100; ++i)
    test::WriteFile(dir.File(name(i)), "FACT {" + name(i) + "} = {read}\nINCLUDE {" + dir.File(name(i + 1)) + "}\n");
  for (bool fromFile : {true, false}) {
    SCOPED_TRACE(fromFile ? "file" : "text");
    test::Recorder rec;
    auto b = test::MakeBrain(rec);
    if (fromFile) LoadLanguageFile(*b, dir.File(name(0)));
    else test::Load(*b, "INCLUDE {" + dir.File(name(0)) + "}");
    ASSERT_EQ(rec.messages.size(), 2u);
    EXPECT_EQ(rec.messages[0], "Include Nested Too Deeply In Line 2");
    // From text the first INCLUDE statement is the text's own.
    const int last = fromFile ? 64 : 63;
    EXPECT_EQ(rec.messages[1], "INCLUDE {" + dir.File(name(last + 1)) + "}");
    for (int i = 0; i < 100; ++i) ASSERT_EQ(b->GetFact(name(i)), i <= last ? "read" : "#") << i;
  }
}

// Each file includes the next one twice: without a limit on the number of
// included reads, twenty levels would mean a million reads.
TEST(LanguageInclude, FanningOutIsRefused) {
  test::TempDir dir;
  auto name = [](int i) { return std::to_string(i) + "f"; };
  for (int i = 0; i < 20; ++i) {
    std::string next = "INCLUDE {" + dir.File(name(i + 1)) + "}\n";
    test::WriteFile(dir.File(name(i)), next + next);
  }
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  LoadLanguageFile(*b, dir.File(name(0)));
  ASSERT_FALSE(rec.messages.empty());
  EXPECT_TRUE(rec.messages[0].starts_with("Too Many Includes In Line ")) << rec.messages[0];
}

// Reads the bytes as a file, checks that each message pair names a line that
// holds the second message, then writes the brain and reads that back.
std::unique_ptr<BrainClass> ReadGarbage(const std::string& bytes, test::Recorder& rec) {
  test::TempDir dir;
  test::WriteFile(dir.File("garbage.vlf"), bytes);
  auto b = test::MakeBrain(rec, /*trace=*/false);
  LoadLanguageFile(*b, dir.File("garbage.vlf"));
  Lines lines;  // as the reader sees them: split at LF, a CR before the LF dropped
  std::istringstream in(bytes);
  for (std::string l; std::getline(in, l);) {
    if (!in.eof() && l.ends_with('\r')) l.pop_back();
    lines.push_back(l);
  }
  EXPECT_EQ(rec.messages.size() % 2, 0u);
  for (std::size_t i = 0; i + 1 < rec.messages.size(); i += 2) {
    const std::string& m = rec.messages[i];
    const std::size_t at = m.rfind(" In Line "), n = at == std::string::npos ? 0 : std::stoul(m.substr(at + 9));
    EXPECT_TRUE(n >= 1 && n <= lines.size() && lines[n - 1] == rec.messages[i + 1]) << m;
  }
  Lines written;
  SaveLanguageText(*b, written);
  test::Recorder again;
  LoadLanguageText(*test::MakeBrain(again, false), written);
  return b;
}

// Garbage in a Language File must end in messages or some brain, never in a
// crash or a hang.
TEST(LanguageReaderBadInput, RandomBytesAndStatements) {
  const char alphabet[] = "{}{},, \t\r-0123456789aZ^\x01\xff";
  for (unsigned seed : {1u, 2u, 3u, 42u, 1234u}) {
    SCOPED_TRACE(seed);
    std::mt19937 gen(seed);
    std::string raw(64 * 1024, '\0'), statements;
    for (char& c : raw) c = static_cast<char>(gen() & 0xFF);
    test::Recorder rec;
    ReadGarbage(raw, rec);
    for (int line = 0; line < 3000; ++line) {
      // Any keyword but INCLUDE (no garbage path may name a real file), or a brace.
      const auto k = static_cast<Keyword>(gen() % 19);
      statements += k < Keyword::Include ? std::string(KeywordText(k)) + " " : k == Keyword::Include ? "{" : "}";
      for (unsigned k = gen() % 24; k > 0; --k) statements += alphabet[gen() % (sizeof alphabet - 1)];
      statements += gen() % 4 ? "\n" : "\r\n";
    }
    rec.messages.clear();
    ReadGarbage(statements, rec);
    EXPECT_GT(rec.messages.size(), 0u);
  }
}

TEST(LanguageReaderBadInput, UnbalancedBracesAndMegabyteLines) {
  const std::string mega(1 << 20, 'x');
  test::Recorder rec;
  auto b = ReadGarbage(
      "FACT }{a}}{\nFACT {b{c} = {d}\nMODE }}{\nSTATE {{{\nFOR-MODE {1},}2{\nFRAGMENT AND,1,1,{{{x}\n"
      "FRAGMENT }{,}{,}{,{a}}},}{\nRESPONSE }}},Just Text,{,{\nTASK {,},{},}{\nTHRESHOLD {,}\nFOR-STATE }\n"
      "NAME-OBJECT {{}\nPROCEDURE }{\nSTEP {s}}},{{p}\nFOR-STEP }{\nINCLUDE {\n}\n{\nFACT {big} = {" + mega +
      "}\r\n" + mega + "\nFACT {opens} = " + std::string(1 << 20, '{') + "\nSTART-COLLECTION {k}}, {unsorted\n" +
      "{member}}\n" + mega + "\nEND-COLLECTION }{\nFOR-MODE 0,0\nRESPONSE {" + mega, rec);
  // A field that is never closed is what was collected up to the line end.
  EXPECT_EQ(b->GetFact("b{c} = {d}"), "");
  EXPECT_EQ(b->StateNames.back(), "{{");
  const PatternClass& clause = *b->Knowledge.back()->Patterns.at(0);
  EXPECT_EQ(clause.Fragments.at(0)->WordFrag, "{{x}");
  // Megabyte texts are compared with == so that a failure does not print them.
  EXPECT_TRUE(b->GetFact("big") == mega);
  EXPECT_TRUE(b->GetFact("opens") == std::string((1 << 20) - 1, '{'));
  ASSERT_NE(b->FindCollection("k"), nullptr);
  EXPECT_TRUE(b->FindCollection("k")->Members == (Lines{"{member}}", mega}));
  EXPECT_TRUE(b->Knowledge.back()->Patterns.back()->Responses.at(0)->OutText == mega);
}

}  // namespace
}  // namespace varnex
