// Garbage in a Language File must end in messages or some brain, never in a
// crash or a hang.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "langfile/reader.h"
#include "langfile_test_util.h"
#include "support/test_support.h"

namespace varnex {
namespace {

using test::Lines;

// The file's lines as the reader sees them: split at LF, a CR before the LF dropped.
Lines SplitAsRead(const std::string& bytes) {
  Lines lines;
  std::istringstream in(bytes);
  std::string line;
  while (std::getline(in, line)) {
    if (!in.eof() && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Every message must be a pair: an error naming a line, then that line.
void ExpectWellFormedMessages(const Lines& messages, const Lines& lines) {
  ASSERT_EQ(messages.size() % 2, 0u);
  for (std::size_t i = 0; i < messages.size(); i += 2) {
    const std::string& m = messages[i];
    std::size_t at = m.rfind(" In Line ");
    ASSERT_NE(at, std::string::npos) << m;
    std::size_t n = std::stoul(m.substr(at + 9));
    ASSERT_GE(n, 1u);
    ASSERT_LE(n, lines.size());
    EXPECT_EQ(messages[i + 1], lines[n - 1]) << m;
  }
}

// Reads the bytes as a file, then writes the brain and reads that back.
// Returns how many messages the file gave.
std::size_t ReadGarbage(const std::string& bytes) {
  test::TempDir dir;
  test::WriteFile(dir.File("garbage.vlf"), bytes);
  test::Recorder rec;
  auto b = test::MakeBrain(rec, /*trace=*/false);
  LoadLanguageFile(*b, dir.File("garbage.vlf"));
  ExpectWellFormedMessages(rec.messages, SplitAsRead(bytes));
  const std::size_t messages = rec.messages.size();
  Lines written;
  SaveLanguageText(*b, written);
  auto again = test::MakeBrain(rec, false);
  LoadLanguageText(*again, written);
  return messages;
}

TEST(LanguageReaderBadInput, RandomBytes) {
  // Statements with random operands, skipping INCLUDE so that no garbage
  // path can ever name a real file.
  const char* keywords[] = {"FACT ",     "START-COLLECTION ", "END-COLLECTION", "MODE ",     "STATE ",
                            "PROCEDURE ", "STEP ",            "FOR-MODE ",      "FOR-STEP",  "THRESHOLD ",
                            "FOR-STATE ", "FRAGMENT ",        "RESPONSE ",      "TASK ",     "NAME-OBJECT ",
                            "AUTO-NAME",  "",                 "{",              "}"};
  for (unsigned seed : {1u, 2u, 3u, 42u, 1234u}) {
    SCOPED_TRACE(seed);
    std::mt19937 gen(seed);
    std::string raw(64 * 1024, '\0');
    for (char& c : raw) c = static_cast<char>(gen() & 0xFF);
    ReadGarbage(raw);

    std::string statements;
    const char alphabet[] = "{}{},, \t\r-0123456789aZ^\x01\xff";
    for (int line = 0; line < 3000; ++line) {
      statements += keywords[gen() % std::size(keywords)];
      for (unsigned k = gen() % 24; k > 0; --k) statements += alphabet[gen() % (sizeof alphabet - 1)];
      statements += gen() % 4 ? "\n" : "\r\n";
    }
    EXPECT_GT(ReadGarbage(statements), 0u);
  }
}

TEST(LanguageReaderBadInput, LineOfAMegabyte) {
  const std::string mega(1 << 20, 'x');
  test::TempDir dir;
  test::WriteFile(dir.File("big.vlf"), "FACT {big} = {" + mega + "}\r\n" + mega + "\nFACT {opens} = " +
                                           std::string(1 << 20, '{') + "\nSTART-COLLECTION {c}\n" + mega +
                                           "\nEND-COLLECTION\nFOR-MODE 0,0\nRESPONSE {" + mega);
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  LoadLanguageFile(*b, dir.File("big.vlf"));
  EXPECT_TRUE(rec.messages.empty());
  // Megabyte texts are compared with == so that a failure does not print them.
  EXPECT_TRUE(b->GetFact("big") == mega);
  // Never closed: everything after the first brace is the value.
  EXPECT_TRUE(b->GetFact("opens") == std::string((1 << 20) - 1, '{'));
  ASSERT_EQ(b->FindCollection("c")->Members.size(), 1u);
  EXPECT_TRUE(b->FindCollection("c")->Members[0] == mega);
  EXPECT_TRUE(b->Knowledge[0]->Patterns.at(0)->Responses.at(0)->OutText == mega);
}

TEST(LanguageReaderBadInput, UnbalancedBracesEverywhere) {
  const std::string text =
      "FACT }{a}}{\n"
      "FACT {b{c} = {d}\n"
      "FACT {e} = {f\n"
      "MODE }}{\n"
      "STATE {{{\n"
      "FOR-MODE {1},}2{\n"
      "FRAGMENT AND,1,1,{{{x}\n"
      "FRAGMENT }{,}{,}{,{a}}},}{\n"
      "RESPONSE }}},Just Text,{,{\n"
      "TASK {,},{},}{\n"
      "THRESHOLD {,}\n"
      "FOR-STATE }\n"
      "NAME-OBJECT {{}\n"
      "PROCEDURE }{\n"
      "STEP {s}}},{{p}\n"
      "FOR-STEP }{\n"
      "INCLUDE {\n"
      "START-COLLECTION {k}}, {unsorted\n"
      "{member}}\n"
      "END-COLLECTION }{\n"
      "}\n{\n";
  test::TempDir dir;
  test::WriteFile(dir.File("braces.vlf"), text);
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  LoadLanguageFile(*b, dir.File("braces.vlf"));
  ExpectWellFormedMessages(rec.messages, SplitAsRead(text));
  // A field that is never closed is what was collected up to the line end.
  EXPECT_EQ(b->GetFact("b{c} = {d}"), "");
  EXPECT_EQ(b->GetFact("e"), "f");
  EXPECT_EQ(b->StateNames.back(), "{{");
  const PatternClass& p = *b->Knowledge.back()->Patterns.at(0);
  EXPECT_EQ(p.Fragments.at(0)->WordFrag, "{{x}");
  ASSERT_NE(b->FindCollection("k"), nullptr);
  EXPECT_EQ(b->FindCollection("k")->Members, (Lines{"{member}}"}));
  Lines written;
  SaveLanguageText(*b, written);
  auto again = test::MakeBrain(rec, false);
  LoadLanguageText(*again, written);
}

}  // namespace
}  // namespace varnex
