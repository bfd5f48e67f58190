#include "engine/matching/find_word.h"

#include <gtest/gtest.h>

namespace varnex {
namespace {

// The position reported by FindWord, or -1 when the word is not found (the
// position must then be 0).
int32_t At(std::string_view word, std::string_view text) {
  int32_t pos = 99;
  if (FindWord(word, text, pos)) return pos;
  EXPECT_EQ(pos, 0) << word << " in " << text;
  return -1;
}

TEST(FindWord, WholeWordsIgnoringCase) {
  EXPECT_EQ(At("hi", "Hi there"), 1);
  EXPECT_EQ(At("HELLO", "hello"), 1);
  EXPECT_EQ(At(" hi\t", "oh hi"), 4);  // the word is trimmed, the text is not
  EXPECT_EQ(At("hi", "this"), -1);
  EXPECT_EQ(At("ice cream", "I like ice cream."), 8);
  EXPECT_EQ(At("ice cream", "I like ice creams."), -1);
  EXPECT_EQ(At("hi", "\xC3\xA9hi"), 3);  // accented bytes are not word characters
  EXPECT_EQ(At("hi", ""), -1);
}

TEST(FindWord, EmptyWordLeavesPositionAlone) {
  int32_t pos = 42;
  EXPECT_FALSE(FindWord(" \t ", "a b", pos));
  EXPECT_FALSE(FindWord("", "", pos));
  EXPECT_EQ(pos, 42);
}

TEST(FindWord, BoundaryRulesDependOnWhereTheOccurrenceStands) {
  // At the start any word character after it rejects, digits included.
  EXPECT_EQ(At("hi", "hi5 there"), -1);
  EXPECT_EQ(At("hi", "hit"), -1);
  // In the middle a digit after it is allowed, a letter is not; a digit before rejects.
  EXPECT_EQ(At("hi", "say hi5"), 5);
  EXPECT_EQ(At("hi", "say hip hop"), -1);
  EXPECT_EQ(At("hi", "a 5hi b"), -1);
  // At the end only the character before counts.
  EXPECT_EQ(At("hi", "5hi"), -1);
  EXPECT_EQ(At("hi", "oh-hi"), 4);
  // Punctuation at an end of the word needs no boundary on that side.
  EXPECT_EQ(At("why?", "why?x"), 1);
  EXPECT_EQ(At("why?", "say why?x"), 5);
  EXPECT_EQ(At("?x", "a?x"), 2);
  EXPECT_EQ(At("why?", "somewhy?"), -1);
}

TEST(FindWord, PositionCountsInTheTextLeftAfterRejectedOccurrences) {
  EXPECT_EQ(At("HI", "THIS HI"), 4);     // T becomes "TS HI"
  EXPECT_EQ(At("ab", "xababy ab"), 4);   // two rejections leave "XY AB"
  EXPECT_EQ(At("hi", "hi5 hi"), 3);      // "5 HI"
  EXPECT_EQ(At("hi", "hhii hi"), 1);     // the deletion joins H and I into a new occurrence
}

}  // namespace
}  // namespace varnex
