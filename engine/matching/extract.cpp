// EXTRACT fragments: a template of fixed words and ^Extr{NAME} slots is
// matched against the input, and each slot's text becomes the fact NAME.
// Nothing is stored unless the whole template matches.
#include "engine/matching/extract.h"

#include <string>
#include <vector>

#include "engine/base/text_search.h"

namespace varnex {
namespace {

constexpr std::string_view kTag = "^EXTR{";
// A template is a short sentence; a table this size is far beyond any real
// one, and a longer template simply fails.
constexpr std::size_t kMaxSegments = 50;

struct Segment {
  bool variable;
  std::string text;  // literal text, or the variable's name
};

bool Parse(std::string_view tmpl, std::vector<Segment>& segments) {
  std::string P = Trim(UpperCase(tmpl));
  while (!P.empty()) {
    if (segments.size() >= kMaxSegments) return false;
    std::size_t k = P.find(kTag);
    if (k == std::string::npos) {
      segments.push_back({false, Trim(P)});
      P.clear();
    } else if (k > 0) {
      segments.push_back({false, Trim(std::string_view(P).substr(0, k))});
      P.erase(0, k);
    } else {
      P.erase(0, kTag.size());
      std::size_t close = P.find('}');
      if (close == std::string::npos || close == 0) return false;
      segments.push_back({true, Trim(std::string_view(P).substr(0, close))});
      P.erase(0, close + 1);
    }
  }
  return true;
}

}  // namespace

bool Extract(BrainClass& brain, std::string_view tmpl, std::string_view text) {
  if (TrimView(tmpl).empty() || TrimView(text).empty()) return false;
  if (FindNoCase(tmpl, kTag) == std::string_view::npos) return false;
  std::vector<Segment> segs;
  if (!Parse(tmpl, segs)) return false;
  bool anyLiteral = false, anyVariable = false;
  for (const auto& s : segs) (s.variable ? anyVariable : anyLiteral) = true;
  if (!anyLiteral || !anyVariable) return false;

  const std::string T = Trim(UpperCase(text));
  for (const auto& s : segs)
    if (!s.variable && (s.text.empty() || T.find(s.text) == std::string::npos)) return false;

  std::string R = Trim(text);
  for (std::size_t i = 0; i < segs.size(); ++i) {
    if (R.empty()) continue;
    const Segment& s = segs[i];
    if (!s.variable) {
      std::size_t p = FindText(s.text, R);  // 1-based, 0 when absent
      std::size_t cut = p + s.text.size() - 1;
      R.erase(0, cut < R.size() ? cut : R.size());
      continue;
    }
    std::size_t next = i + 1;
    while (next < segs.size() && segs[next].variable) ++next;
    if (next == segs.size()) {
      brain.AddFact(s.text, Trim(R));
      R.clear();
    } else {
      std::size_t p = FindText(segs[next].text, R);
      std::size_t take = p > 1 ? p - 1 : 0;
      brain.AddFact(s.text, Trim(std::string_view(R).substr(0, take)));
      R.erase(0, take);
    }
  }
  return true;
}

}  // namespace varnex
