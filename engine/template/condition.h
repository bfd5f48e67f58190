// The condition language of BranchIf: one comparison, or a truth word.
#pragma once

#include <string_view>

namespace varnex {

// Operator codes: 0 "=", 1 ">", 2 "<", 3 ">=", 4 "<=", 5 "<>".
bool Compare(int code, std::string_view left, std::string_view right);
bool Condition(std::string_view text);

}  // namespace varnex
