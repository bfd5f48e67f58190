#include "langfile/keywords.h"

namespace varnex {
namespace {

constexpr std::string_view kKeywords[] = {
    "",          "FACT",     "START-COLLECTION", "END-COLLECTION", "MODE",      "STATE",
    "PROCEDURE", "STEP",     "FOR-MODE",         "FOR-STEP",       "THRESHOLD", "FOR-STATE",
    "FRAGMENT",  "RESPONSE", "TASK",             "NAME-OBJECT",    "AUTO-NAME", "INCLUDE",
};

}  // namespace

Keyword ClassifyLine(std::string_view line) {
  for (int k = 1; k < static_cast<int>(std::size(kKeywords)); ++k)
    if (line.starts_with(kKeywords[k])) return static_cast<Keyword>(k);
  return Keyword::None;
}

std::string_view KeywordText(Keyword k) { return kKeywords[static_cast<int>(k)]; }

}  // namespace varnex
