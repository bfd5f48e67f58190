#include "engine/base/numbers.h"

#include <gtest/gtest.h>

#include <climits>

#include "engine/base/text_search.h"

namespace varnex {
namespace {

TEST(Numbers, WholeAndDecimalForms) {
  const std::pair<const char*, int32_t> whole[] = {
      {"  42", 42}, {"+7", 7}, {"-2147483648", INT32_MIN}, {"x1f", 31}, {"0X10", 16}, {"-$10", -16},
      {"$FFFFFFFF", -1}};  // a 32-bit pattern
  for (auto [text, n] : whole) EXPECT_EQ(ReadWholeNumber(text), n) << text;
  for (const char* bad : {"", "+", "2147483648", "-2147483649", "12a", "1.0", "4 ", "0x", "$1G", "$100000000"})
    EXPECT_FALSE(ReadWholeNumber(bad)) << '"' << bad << '"';
  EXPECT_EQ(ReadDecimalNumber("-0.5e1"), -5.0L);
  for (const char* bad : {"", "2,5", "1e", ".", "1.2.3", "$10", "0x10", "inf", "nan", "- 1"})
    EXPECT_FALSE(ReadDecimalNumber(bad)) << '"' << bad << '"';
}

TEST(Numbers, GeneralFormat) {
  const std::pair<long double, const char*> cases[] = {
      {-0.0L, "0"},          {-2.5L, "-2.5"},        {2.0L / 3, "0.666666666666667"},
      {0.0001L, "0.0001"},   {-1e-100L, "-1E-100"},  {123456789012345.0L, "123456789012345"},
      {1234567890123456.0L, "1.23456789012346E15"}};
  for (auto [x, text] : cases) EXPECT_EQ(FormatGeneral(x), text);
}

TEST(TextSearch, FoldsOnlyAsciiCase) {
  EXPECT_EQ(FindText("ab", "AxaB"), 3u);  // one-based, after an upper-case false start
  EXPECT_EQ(FindText("", "abc"), 0u);
  EXPECT_EQ(FindText("\xC3\xA9", "CAF\xC3\x89"), 0u);  // accented letters keep their case
  EXPECT_EQ(FindNoCase("abcABC", "bc", 2), 4u);
  EXPECT_EQ(UpperCase("ab\xC3\xA9z"), "AB\xC3\xA9Z");
  EXPECT_LT(CompareNoCase("ab", "ABC"), 0);
  EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
}

}  // namespace
}  // namespace varnex
