// The text of an explanation, as `varnex explain` and the chat's :why and
// :explain commands print it.
#pragma once

#include <string>

#include "engine/varnex.h"

namespace varnex {

std::string DescribeExplanation(const Brain::Explanation& explanation, const std::string& input);

}  // namespace varnex
