#include <gtest/gtest.h>

#include "engine/core/errors.h"
#include "engine/template/calculate.h"
#include "engine/template/condition.h"

namespace varnex {
namespace {

std::string Add(std::string_view a) { return Calculate(CalcOp::Add, a); }
std::string Sub(std::string_view a) { return Calculate(CalcOp::Sub, a); }
std::string Mul(std::string_view a) { return Calculate(CalcOp::Mul, a); }
std::string Div(std::string_view a) { return Calculate(CalcOp::Div, a); }

TEST(Calculate, DecimalOperandsUseFloatArithmetic) {
  EXPECT_EQ(Add("2|3"), "5");
  EXPECT_EQ(Div("10|4"), "2.5");
  EXPECT_EQ(Div("1|3"), "0.333333333333333");
  EXPECT_EQ(Div("7|2"), "3.5");  // decimal integers are not divided as whole numbers
  EXPECT_EQ(Mul("1E10|1E10"), "1E20");
  EXPECT_EQ(Div("3|200000"), "1.5E-5");
  EXPECT_EQ(Sub(" 2 | 5 "), "-3");
  EXPECT_EQ(Add("0.1|0.2"), "0.3");
  EXPECT_EQ(Mul("0|-5"), "0");
  EXPECT_EQ(Mul("4000000000|4000000000"), "1.6E19");  // beyond 32 bits but not whole-number arithmetic
  EXPECT_EQ(Add("$10|1.5"), "17.5");                  // a whole and a decimal operand
}

TEST(Calculate, TextOperandsAreJoinedUntrimmed) {
  EXPECT_EQ(Add("abc|def"), "abcdef");
  EXPECT_EQ(Mul("abc|def"), "abcdef");
  EXPECT_EQ(Add("1|2|3"), "12|3");
  EXPECT_EQ(Sub("|5"), "|5");
  EXPECT_EQ(Add("5"), "5");  // the missing second operand is text
  EXPECT_EQ(Add(""), "");
  EXPECT_EQ(Add(" a | b "), " a  b ");
  EXPECT_EQ(Div("1|x"), "1x");
  EXPECT_EQ(Div("1|"), "1");
  // -987654321 stands for "unreadable" and never counts as a whole number.
  EXPECT_EQ(Add("-$3ADE68B1|$1"), "-$3ADE68B1$1");
}

TEST(Calculate, HexOperandsUseCheckedIntegers) {
  EXPECT_EQ(Add("$10|$20"), "48");
  EXPECT_EQ(Sub("x1|0x3"), "-2");
  EXPECT_EQ(Mul("$FFFFFFFF|$2"), "-2");
  EXPECT_EQ(Div("$7|$2"), "3");
  EXPECT_EQ(Div("-$7|$2"), "-3");
  EXPECT_THROW(Add("$7FFFFFFF|$1"), EngineError);
  EXPECT_THROW(Sub("-$80000000|$1"), EngineError);
  EXPECT_THROW(Mul("$10000|$10000"), EngineError);
  EXPECT_THROW(Div("-$80000000|-$1"), EngineError);
  EXPECT_THROW(Div("$1|$0"), EngineError);
  EXPECT_THROW(Div("1|0"), EngineError);
  EXPECT_THROW(Div("1.5|0.0"), EngineError);
}

TEST(Condition, SplitsAtTheFirstListedOperatorNotTheLeftmost) {
  EXPECT_TRUE(Condition("b=>a"));  // ">" before "=": "b=" > "a"
  EXPECT_FALSE(Condition("a=>b"));
  EXPECT_TRUE(Condition("c<d<a"));  // "c" < "d<a"
  EXPECT_FALSE(Condition("1<>1"));  // "<>" before "<"
  EXPECT_TRUE(Condition("5>=5"));
  EXPECT_FALSE(Condition("5<=4"));
  EXPECT_FALSE(Condition("#<>#"));
  EXPECT_TRUE(Condition("Red<>#"));
}

TEST(Condition, NumbersCompareByValueTextsByBytes) {
  EXPECT_TRUE(Condition("10>9"));
  EXPECT_FALSE(Condition("10>9a"));
  EXPECT_TRUE(Condition("2.50=2.5"));
  EXPECT_TRUE(Condition("1E2=100"));
  EXPECT_TRUE(Condition("-1<0"));
  EXPECT_FALSE(Condition("abc=ABC"));
  EXPECT_TRUE(Condition(" abc = abc "));
  EXPECT_TRUE(Condition("B<a"));
  EXPECT_TRUE(Condition("ab<abc"));
  EXPECT_FALSE(Compare(6, "1", "1"));
}

TEST(Condition, BareTruthWords) {
  for (const char* t : {"yes", " True ", "TRUE\t"}) EXPECT_TRUE(Condition(t)) << t;
  for (const char* f : {"1", "ON", "", "   ", "yes please"}) EXPECT_FALSE(Condition(f)) << f;
}

}  // namespace
}  // namespace varnex
