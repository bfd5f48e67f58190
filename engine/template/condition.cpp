// Conditions of BranchIf: a comparison of numbers (both sides numbers) or
// of texts, or the words TRUE and YES.
#include "engine/template/condition.h"

#include <string>

#include "engine/base/numbers.h"
#include "engine/base/text_search.h"

namespace varnex {

bool Compare(int code, std::string_view left, std::string_view right) {
  std::string_view l = TrimView(left), r = TrimView(right);
  int order;
  auto x = ReadDecimalNumber(l), y = ReadDecimalNumber(r);
  if (x && y) {
    order = *x < *y ? -1 : (*x > *y ? 1 : 0);
  } else {
    // Byte order, case significant; a prefix is the smaller.
    int c = l.compare(r);
    order = c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  switch (code) {
    case 0: return order == 0;
    case 1: return order > 0;
    case 2: return order < 0;
    case 3: return order >= 0;
    case 4: return order <= 0;
    case 5: return order != 0;
    default: return false;
  }
}

bool Condition(std::string_view text) {
  // The search order decides, not the leftmost position: ">" is looked for
  // before "=", so "a=>b" splits at ">".
  static constexpr struct {
    std::string_view op;
    int code;
  } kOps[] = {{">=", 3}, {"<=", 4}, {"<>", 5}, {"<", 2}, {">", 1}, {"=", 0}};
  for (const auto& o : kOps) {
    std::size_t p = text.find(o.op);
    if (p != std::string_view::npos) return Compare(o.code, text.substr(0, p), text.substr(p + o.op.size()));
  }
  std::string word = UpperCase(TrimView(text));
  return word == "TRUE" || word == "YES";
}

}  // namespace varnex
