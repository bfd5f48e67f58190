#include "engine/template/numbers.h"

#include <gtest/gtest.h>

#include <climits>

namespace varnex {
namespace {

TEST(Numbers, WholeNumberForms) {
  EXPECT_EQ(ReadWholeNumber("  42"), 42);
  EXPECT_EQ(ReadWholeNumber("+7"), 7);
  EXPECT_EQ(ReadWholeNumber("-2147483648"), INT32_MIN);
  EXPECT_EQ(ReadWholeNumber("$1F"), 31);
  EXPECT_EQ(ReadWholeNumber("x1f"), 31);
  EXPECT_EQ(ReadWholeNumber("0X10"), 16);
  EXPECT_EQ(ReadWholeNumber("-$10"), -16);
  EXPECT_EQ(ReadWholeNumber("$FFFFFFFF"), -1);  // a 32-bit pattern
  for (const char* bad : {"", " ", "+", "2147483648", "-2147483649", "12a", "1.0", "4 ", "$", "0x", "$1G", "$100000000"})
    EXPECT_FALSE(ReadWholeNumber(bad)) << '"' << bad << '"';
  EXPECT_EQ(WholeNumberOr("seven", -1), -1);
}

TEST(Numbers, DecimalNumbersUseThePoint) {
  EXPECT_EQ(ReadDecimalNumber("2.5"), 2.5L);
  EXPECT_EQ(ReadDecimalNumber("-0.5e1"), -5.0L);
  EXPECT_EQ(ReadDecimalNumber("1E3"), 1000.0L);
  for (const char* bad : {"", "2,5", "1e", "e5", ".", "1.2.3", "$10", "0x10", "inf", "nan", "- 1"})
    EXPECT_FALSE(ReadDecimalNumber(bad)) << '"' << bad << '"';
}

TEST(Numbers, GeneralFormat) {
  EXPECT_EQ(FormatGeneral(0), "0");
  EXPECT_EQ(FormatGeneral(-0.0L), "0");
  EXPECT_EQ(FormatGeneral(5), "5");
  EXPECT_EQ(FormatGeneral(-2.5L), "-2.5");
  EXPECT_EQ(FormatGeneral(1.0L / 3), "0.333333333333333");
  EXPECT_EQ(FormatGeneral(2.0L / 3), "0.666666666666667");
  EXPECT_EQ(FormatGeneral(0.0001L), "0.0001");
  EXPECT_EQ(FormatGeneral(1.5e-5L), "1.5E-5");
  EXPECT_EQ(FormatGeneral(-1e-100L), "-1E-100");
  EXPECT_EQ(FormatGeneral(1e20L), "1E20");
  EXPECT_EQ(FormatGeneral(123456789012345.0L), "123456789012345");
  EXPECT_EQ(FormatGeneral(1234567890123456.0L), "1.23456789012346E15");
}

}  // namespace
}  // namespace varnex
