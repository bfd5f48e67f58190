// Case folding (a to z only), trimming, case-insensitive search and the
// one collation of every sorted registry.
#include "engine/base/text_search.h"

#include <cstring>

namespace varnex {

std::string UpperCase(std::string_view s) {
  std::string r(s);
  UpperInPlace(r);
  return r;
}

void UpperInPlace(std::string& s) {
  for (char& c : s) c = UpperChar(c);
}

std::string_view TrimLeftView(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view TrimRightView(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

std::string_view TrimView(std::string_view s) { return TrimRightView(TrimLeftView(s)); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(UpperChar(a[i]));
    unsigned char y = static_cast<unsigned char>(UpperChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from) {
  const std::size_t npos = std::string_view::npos;
  if (needle.empty() || hay.empty() || from >= hay.size() || needle.size() > hay.size() - from) return npos;
  const char first = UpperChar(needle[0]);
  const char firstLower = (first >= 'A' && first <= 'Z') ? static_cast<char>(first + 32) : first;
  const std::size_t last = hay.size() - needle.size();
  std::size_t i = from;
  while (i <= last) {
    // Jump to the next byte that can start an occurrence.
    const char* base = hay.data();
    const void* hit = std::memchr(base + i, first, last - i + 1);
    std::size_t j = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - base) : npos;
    if (firstLower != first) {
      const void* hit2 = std::memchr(base + i, firstLower, last - i + 1);
      std::size_t k = hit2 ? static_cast<std::size_t>(static_cast<const char*>(hit2) - base) : npos;
      if (k < j) j = k;
    }
    if (j == npos) return npos;
    std::size_t m = 1;
    while (m < needle.size() && UpperChar(hay[j + m]) == UpperChar(needle[m])) ++m;
    if (m == needle.size()) return j;
    i = j + 1;
  }
  return npos;
}

}  // namespace varnex
