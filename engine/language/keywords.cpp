// The statements' keywords, looked up by the first letter of the line.
#include "engine/language/keywords.h"

namespace varnex {
namespace {

constexpr std::string_view kKeywords[] = {
    "",          "FACT",     "START-COLLECTION", "END-COLLECTION", "MODE",      "STATE",
    "PROCEDURE", "STEP",     "FOR-MODE",         "FOR-STEP",       "THRESHOLD", "FOR-STATE",
    "FRAGMENT",  "RESPONSE", "TASK",             "NAME-OBJECT",    "AUTO-NAME", "INCLUDE",
};

}  // namespace

Keyword ClassifyLine(std::string_view line) {
  // Most lines of a big brain are fragments and responses: only the
  // keywords that share the line's first letter are tried, in table order.
  static_assert(std::size(kKeywords) == static_cast<std::size_t>(Keyword::Count), "one text per keyword");
  if (line.empty()) return Keyword::None;
  const char first = line[0];
  for (int k = 1; k < static_cast<int>(std::size(kKeywords)); ++k)
    if (kKeywords[k][0] == first && line.starts_with(kKeywords[k])) return static_cast<Keyword>(k);
  return Keyword::None;
}

std::string_view KeywordText(Keyword k) { return kKeywords[static_cast<int>(k)]; }

}  // namespace varnex
