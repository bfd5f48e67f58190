#include "langfile/fields.h"

#include "engine/template/text_search.h"

namespace varnex {

std::string TakeBraceField(std::string_view& ops) {
  std::size_t open = ops.find('{');
  if (open == std::string_view::npos) {
    ops = {};
    return {};
  }
  std::string value;
  int depth = 0;
  std::size_t i = open;
  for (; i < ops.size(); ++i) {
    char c = ops[i];
    if (c == '{') {
      if (depth++ > 0) value.push_back(c);
    } else if (c == '}') {
      if (--depth == 0) break;
      value.push_back(c);
    } else {
      value.push_back(c);
    }
  }
  if (i >= ops.size()) {  // never closed: the value is what was collected
    ops = {};
    return value;
  }
  ops.remove_prefix(i + 1);
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
