#include "engine/template/text_search.h"

#include <gtest/gtest.h>

namespace varnex {
namespace {

TEST(TextSearch, FindTextIsOneBasedAndFoldsOnlyAscii) {
  EXPECT_EQ(FindText("lo", "HELLO"), 4u);
  EXPECT_EQ(FindText("ab", "AxaB"), 3u);  // an upper-case false start, then a lower-case hit
  EXPECT_EQ(FindText("abc", "ab"), 0u);
  EXPECT_EQ(FindText("", "abc"), 0u);
  EXPECT_EQ(FindText("a", ""), 0u);
  EXPECT_EQ(FindText("\xC3\xA9", "caf\xC3\xA9"), 4u);
  EXPECT_EQ(FindText("\xC3\xA9", "CAF\xC3\x89"), 0u);  // accented letters keep their case
  EXPECT_EQ(FindNoCase("abcABC", "bc", 2), 4u);
  EXPECT_EQ(UpperCase("ab\xC3\xA9z"), "AB\xC3\xA9Z");
  EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
}

TEST(TextSearch, CollationIgnoresAsciiCase) {
  EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
  EXPECT_EQ(CompareNoCase("ab", "AB"), 0);
  EXPECT_LT(CompareNoCase("ab", "ABC"), 0);
  EXPECT_TRUE(EqualsNoCase("Red", "rED"));
  EXPECT_FALSE(EqualsNoCase("Red", "Reds"));
}

}  // namespace
}  // namespace varnex
