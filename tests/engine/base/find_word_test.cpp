#include "engine/base/find_word.h"

#include <gtest/gtest.h>

namespace varnex {
namespace {

TEST(FindWord, BoundariesAndPositionsAfterRejectedOccurrences) {
  const std::pair<const char*, int32_t> cases[] = {
      // "word|text" and the one-based position, 0 when not found.
      {"HELLO|hello", 1},          {" hi\t|oh hi", 4},  // the word is trimmed, the text is not
      {"ice cream|I like ice creams.", 0},
      {"hi|\xC3\xA9hi", 3},        // accented bytes are not word characters
      // At the start any word character after it rejects, digits included;
      // in the middle a digit after it is allowed, a letter or digit before not.
      {"hi|hi5 there", 0},         {"hi|say hi5", 5},  {"hi|say hip hop", 0},
      {"hi|a 5hi b", 0},           {"hi|5hi", 0},      {"hi|oh-hi", 4},
      // Punctuation at an end of the word needs no boundary on that side.
      {"why?|say why?x", 5},       {"?x|a?x", 2},      {"why?|somewhy?", 0},
      // Each rejected occurrence is deleted before the search goes on.
      {"HI|THIS HI", 4},           {"ab|xababy ab", 4}, {"hi|hi5 hi", 3},
      {"hi|hhii hi", 1},           // the deletion joins H and I into a new occurrence
  };
  for (auto [c, want] : cases) {
    const std::string_view s(c);
    const std::size_t bar = s.find('|');
    int32_t pos = 99;
    const bool found = FindWord(s.substr(0, bar), s.substr(bar + 1), pos);
    EXPECT_EQ(found, want != 0) << c;
    EXPECT_EQ(pos, want) << c;
  }
  int32_t pos = 42;
  EXPECT_FALSE(FindWord(" \t ", "a b", pos));
  EXPECT_EQ(pos, 42);  // an empty word leaves the position alone
}

}  // namespace
}  // namespace varnex
