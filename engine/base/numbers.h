// Lenient number readers and the general float format. Numbers are always
// read and written in the C locale (decimal point "."), whatever locale the
// front end has set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnex {

// A whole number: leading blanks, an optional sign, then decimal digits or
// hexadecimal digits after "$", "x" or "0x"; nothing may follow. Values that
// do not fit 32 bits are not whole numbers (hexadecimal up to $FFFFFFFF
// wraps into the negative range, as a 32-bit pattern).
std::optional<int32_t> ReadWholeNumber(std::string_view text);
inline int32_t WholeNumberOr(std::string_view text, int32_t fallback) {
  auto v = ReadWholeNumber(text);
  return v ? *v : fallback;
}

// A decimal number: the whole text (callers trim it) reads as a float:
// optional sign, digits with an optional ".", optional exponent.
std::optional<long double> ReadDecimalNumber(std::string_view text);

// General format with up to 15 significant digits: 5, 2.5, 0.333333333333333,
// 1E20, 1.5E-5.
std::string FormatGeneral(long double v);

// 32-bit arithmetic that raises EngineError instead of wrapping around.
int32_t CheckedAdd(int32_t a, int32_t b);
int32_t CheckedSub(int32_t a, int32_t b);
int32_t CheckedMul(int32_t a, int32_t b);
// A 64-bit sum brought back to 32 bits; out of range is an overflow.
int32_t Checked32(int64_t v);

}  // namespace varnex
