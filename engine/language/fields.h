// The two operand readers of Language text. Each takes one field from the
// front of the operand text and removes what it consumed.
#pragma once

#include <string>
#include <string_view>

namespace varnex {

// A brace field: text before the first "{" is skipped; the outermost brace
// pair delimits the value; inner balanced braces are kept; a comma after the
// closing brace (and blanks before it) is consumed too.
std::string TakeBraceField(std::string_view& ops);

// A plain field: leading blanks skipped, the value runs to the next comma
// (consumed) or the end of the text.
std::string TakePlainField(std::string_view& ops);

}  // namespace varnex
