// Byte-string helpers shared by the whole engine: the ASCII-only case
// table, trimming, case-insensitive search and the one collation that every
// sorted registry uses. Texts are byte strings; only a-z change case, so
// UTF-8 passes through untouched.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnex {

inline char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
// Word characters of the matcher: ASCII digits and capitals (texts are upper-cased first).
inline bool IsWordChar(char c) { return IsDigit(c) || IsUpperLetter(c); }

std::string UpperCase(std::string_view s);
void UpperInPlace(std::string& s);

// Trimming removes every character whose code is 32 or less.
std::string_view TrimView(std::string_view s);
std::string_view TrimLeftView(std::string_view s);
std::string_view TrimRightView(std::string_view s);
inline std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

bool EqualsNoCase(std::string_view a, std::string_view b);
// The shared collation of sorted registries: ASCII-case-folded byte order.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool LessNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) < 0; }

// 0-based position of the first case-insensitive occurrence of `needle` in
// `hay` at or after `from`; npos when absent or when either text is empty.
std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0);

// The 1-based position of the first occurrence of one text in another,
// ignoring case; 0 when there is none or when either text is empty.
inline std::size_t FindText(std::string_view needle, std::string_view hay) {
  std::size_t p = FindNoCase(hay, needle, 0);
  return p == std::string_view::npos ? 0 : p + 1;
}

}  // namespace varnex
