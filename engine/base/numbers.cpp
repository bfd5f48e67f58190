// The lenient number readers of the Language (decimal, and whole numbers
// with hexadecimal forms), the general number format, and 32-bit arithmetic
// that raises the engine's error on overflow instead of wrapping.
#include "engine/base/numbers.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include "engine/base/errors.h"
#include "engine/base/text_search.h"

namespace varnex {
namespace {

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = UpperChar(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> ReadWholeNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    int d = hex ? HexValue(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
    if (d < 0) return std::nullopt;
    v = v * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    uint32_t bits = static_cast<uint32_t>(v);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
  }
  if (negative) {
    if (v > 2147483648ull) return std::nullopt;
    return static_cast<int32_t>(-static_cast<int64_t>(v));
  }
  if (v > 2147483647ull) return std::nullopt;
  return static_cast<int32_t>(v);
}

std::optional<long double> ReadDecimalNumber(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  std::string copy(s);
  long double v = strtold_l(copy.c_str(), nullptr, CLocale());
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

std::string FormatGeneral(long double v) {
  if (v == 0) return "0";
  char buf[64];
  locale_t previous = uselocale(CLocale());
  std::snprintf(buf, sizeof buf, "%.15Lg", v);
  uselocale(previous);
  std::string s(buf);
  std::size_t e = s.find('e');
  if (e == std::string::npos) return s;
  // Rewrite C's "e+20" / "e-05" as "E20" / "E-5".
  std::string mantissa = s.substr(0, e);
  std::size_t i = e + 1;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  while (i + 1 < s.size() && s[i] == '0') ++i;
  return mantissa + "E" + (negative ? "-" : "") + s.substr(i);
}

int32_t CheckedAdd(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_add_overflow(a, b, &r)) throw EngineError("Integer overflow");
  return r;
}

int32_t CheckedSub(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) throw EngineError("Integer overflow");
  return r;
}

int32_t CheckedMul(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) throw EngineError("Integer overflow");
  return r;
}

int32_t Checked32(int64_t v) {
  if (v < INT32_MIN || v > INT32_MAX) throw EngineError("Integer overflow");
  return static_cast<int32_t>(v);
}

}  // namespace varnex
