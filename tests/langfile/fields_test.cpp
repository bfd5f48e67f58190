#include "langfile/fields.h"

#include <gtest/gtest.h>

namespace varnex {
namespace {

// Takes every brace field of `text` in turn, as a statement would.
std::vector<std::string> BraceFields(std::string_view text, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(TakeBraceField(text));
  return out;
}

TEST(LanguageFields, BraceFieldDelimitsTheValueByTheOutermostPair) {
  std::string_view ops = "{Hello ^Fact{name}!} rest";
  EXPECT_EQ(TakeBraceField(ops), "Hello ^Fact{name}!");
  EXPECT_EQ(ops, " rest");

  ops = "{a{b{c}}d}";
  EXPECT_EQ(TakeBraceField(ops), "a{b{c}}d");
  EXPECT_EQ(ops, "");

  // Text before "{" is skipped, blanks inside the braces are kept.
  ops = "= junk {  padded  }";
  EXPECT_EQ(TakeBraceField(ops), "  padded  ");
  EXPECT_EQ(BraceFields("{a} = {b}", 2), (std::vector<std::string>{"a", "b"}));

  // Without any "{" the value is empty and the text is used up.
  ops = "no braces";
  EXPECT_EQ(TakeBraceField(ops), "");
  EXPECT_EQ(ops, "");
  ops = "";
  EXPECT_EQ(TakeBraceField(ops), "");
}

TEST(LanguageFields, BraceFieldNeverClosedKeepsWhatWasCollected) {
  std::string_view ops = "x {open {inner} text";
  EXPECT_EQ(TakeBraceField(ops), "open {inner} text");
  EXPECT_EQ(ops, "");
  EXPECT_EQ(TakeBraceField(ops), "");
}

TEST(LanguageFields, CommaAfterBraceFieldIsConsumedWithItsBlanks) {
  std::string_view ops = "{a}   , 5";
  EXPECT_EQ(TakeBraceField(ops), "a");
  EXPECT_EQ(ops, " 5");

  ops = "{a},{b}";
  EXPECT_EQ(TakeBraceField(ops), "a");
  EXPECT_EQ(ops, "{b}");

  // Anything but a comma after the blanks stays.
  ops = "{a} x, 5";
  EXPECT_EQ(TakeBraceField(ops), "a");
  EXPECT_EQ(ops, " x, 5");

  // A comma inside the braces is part of the value.
  ops = "{one, two},{three}";
  EXPECT_EQ(TakeBraceField(ops), "one, two");
  EXPECT_EQ(TakeBraceField(ops), "three");
}

TEST(LanguageFields, PlainFieldRunsToTheNextComma) {
  std::string_view ops = "  5 ,3";
  EXPECT_EQ(TakePlainField(ops), "5 ");  // blanks before the comma stay
  EXPECT_EQ(TakePlainField(ops), "3");
  EXPECT_EQ(ops, "");
  EXPECT_EQ(TakePlainField(ops), "");

  ops = "Just Text ,{n},{v}";
  EXPECT_EQ(TakePlainField(ops), "Just Text ");
  EXPECT_EQ(ops, "{n},{v}");

  ops = ",,x";
  EXPECT_EQ(TakePlainField(ops), "");
  EXPECT_EQ(TakePlainField(ops), "");
  EXPECT_EQ(TakePlainField(ops), "x");
}

}  // namespace
}  // namespace varnex
