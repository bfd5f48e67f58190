#include <gtest/gtest.h>

#include "engine/base/errors.h"
#include "engine/template/calculate.h"
#include "engine/template/condition.h"

namespace varnex {
namespace {

TEST(Calculate, DecimalHexAndTextOperands) {
  const struct {
    CalcOp op;
    const char *args, *result;
  } cases[] = {
      // Decimal operands use float arithmetic, whole ones too.
      {CalcOp::Div, "7|2", "3.5"},
      {CalcOp::Add, "0.1|0.2", "0.3"},
      {CalcOp::Sub, " 2 | 5 ", "-3"},
      {CalcOp::Mul, "4000000000|4000000000", "1.6E19"},
      {CalcOp::Add, "$10|1.5", "17.5"},
      // Two hexadecimal operands use 32-bit whole numbers.
      {CalcOp::Sub, "x1|0x3", "-2"},
      {CalcOp::Mul, "$FFFFFFFF|$2", "-2"},
      {CalcOp::Div, "-$7|$2", "-3"},
      // Anything else is joined as text, untrimmed.
      {CalcOp::Add, " a | b ", " a  b "},
      {CalcOp::Add, "5", "5"},
      {CalcOp::Div, "1|x", "1x"},
      // -987654321 stands for "unreadable" and never counts as a whole number.
      {CalcOp::Add, "-$3ADE68B1|$1", "-$3ADE68B1$1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Calculate(c.op, c.args), c.result) << c.args;
  const std::pair<CalcOp, const char*> errors[] = {
      {CalcOp::Add, "$7FFFFFFF|$1"},   {CalcOp::Sub, "-$80000000|$1"}, {CalcOp::Mul, "$10000|$10000"},
      {CalcOp::Div, "-$80000000|-$1"}, {CalcOp::Div, "$1|$0"},         {CalcOp::Div, "1.5|0.0"}};
  for (auto [op, args] : errors) EXPECT_THROW(Calculate(op, args), EngineError) << args;
}

TEST(Condition, SplitsAtTheFirstListedOperatorThenComparesNumbersOrBytes) {
  const std::pair<const char*, bool> cases[] = {
      {"b=>a", true},  // ">" is looked for before "=": "b=" > "a"
      {"a=>b", false},      {"c<d<a", true},  // "c" < "d<a"
      {"1<>1", false},      {"5>=5", true},   {"5<=4", false},       {"#<>#", false},
      {"10>9", true},       {"10>9a", false}, {"2.50=2.5", true},    {"1E2=100", true},
      {"abc=ABC", false},   {"B<a", true},    {" abc = abc ", true}, {"ab<abc", true},
      // Without an operator only the truth words count.
      {" True\t", true},    {"yes", true},    {"1", false},          {"", false},
      {"yes please", false},
  };
  for (auto [text, want] : cases) EXPECT_EQ(Condition(text), want) << text;
}

}  // namespace
}  // namespace varnex
