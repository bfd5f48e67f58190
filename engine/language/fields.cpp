// The fields of a statement: brace fields (inner brace pairs kept) and
// plain fields up to the next comma.
#include "engine/language/fields.h"

#include "engine/base/text_search.h"

namespace varnex {

std::string TakeBraceField(std::string_view& ops) {
  std::size_t open = ops.find('{');
  if (open == std::string_view::npos) {
    ops = {};
    return {};
  }
  // The value is everything between the outer braces; inner balanced braces
  // belong to it. Plain runs are copied whole.
  std::string value;
  int depth = 1;
  std::size_t i = open + 1;
  for (;;) {
    std::size_t brace = ops.find_first_of("{}", i);
    if (brace == std::string_view::npos) {  // never closed: the value is what was collected
      value.append(ops.substr(i));
      ops = {};
      return value;
    }
    value.append(ops.substr(i, brace - i));
    if (ops[brace] == '{') {
      ++depth;
    } else if (--depth == 0) {
      ops.remove_prefix(brace + 1);
      break;
    }
    value.push_back(ops[brace]);
    i = brace + 1;
  }
  std::string_view rest = TrimLeftView(ops);
  if (!rest.empty() && rest.front() == ',') ops = rest.substr(1);
  return value;
}

std::string TakePlainField(std::string_view& ops) {
  ops = TrimLeftView(ops);
  std::size_t comma = ops.find(',');
  std::string value(ops.substr(0, comma));
  ops = comma == std::string_view::npos ? std::string_view() : ops.substr(comma + 1);
  return value;
}

}  // namespace varnex
