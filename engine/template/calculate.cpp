// The four arithmetic tags: operands are decimal, whole (hexadecimal) or
// text; text joins, whole numbers use 32-bit arithmetic, decimals extended
// precision. A division by zero or an overflow raises the engine's error,
// which makes that tag give the empty text.
#include "engine/template/calculate.h"

#include <cmath>
#include <optional>

#include "engine/base/errors.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"

namespace varnex {
namespace {

// Whole numbers equal to this value are taken for unreadable ones.
constexpr int32_t kNotAWholeNumber = -987654321;

struct Operand {
  std::optional<long double> decimal;
  std::optional<int32_t> whole;
  bool IsText() const { return !decimal && !whole; }
  long double AsFloat() const { return decimal ? *decimal : static_cast<long double>(*whole); }
};

Operand Classify(std::string_view text) {
  std::string_view t = TrimView(text);
  Operand o;
  o.decimal = ReadDecimalNumber(t);
  if (!o.decimal) {
    auto w = ReadWholeNumber(t);
    if (w && *w != kNotAWholeNumber) o.whole = w;
  }
  return o;
}

}  // namespace

std::string Calculate(CalcOp op, std::string_view argument) {
  std::string_view first = argument, second;
  std::size_t bar = argument.find('|');
  if (bar != std::string_view::npos && bar >= 1) {
    first = argument.substr(0, bar);
    second = argument.substr(bar + 1);
  }
  Operand a = Classify(first), b = Classify(second);
  if (a.IsText() || b.IsText()) return std::string(first) + std::string(second);
  if (a.whole && b.whole) {
    int32_t x = *a.whole, y = *b.whole, r = 0;
    switch (op) {
      case CalcOp::Add: r = CheckedAdd(x, y); break;
      case CalcOp::Sub: r = CheckedSub(x, y); break;
      case CalcOp::Mul: r = CheckedMul(x, y); break;
      case CalcOp::Div:
        if (y == 0) throw EngineError("Division by zero");
        if (x == INT32_MIN && y == -1) throw EngineError("Integer overflow");
        r = x / y;
        break;
    }
    return std::to_string(r);
  }
  long double x = a.AsFloat(), y = b.AsFloat(), r = 0;
  switch (op) {
    case CalcOp::Add: r = x + y; break;
    case CalcOp::Sub: r = x - y; break;
    case CalcOp::Mul: r = x * y; break;
    case CalcOp::Div:
      if (y == 0) throw EngineError("Division by zero");
      r = x / y;
      break;
  }
  if (!std::isfinite(r)) throw EngineError("Floating point overflow");
  return FormatGeneral(r);
}

}  // namespace varnex
