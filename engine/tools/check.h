// The checker behind `varnex check`: reads brains as the chat program does
// and reports what is likely a mistake, each finding with its file, line and
// the name of the check that found it.
#pragma once

#include <string>
#include <vector>

#include "engine/varnex.h"

namespace varnex {

std::vector<Finding> CheckBrainFiles(const std::vector<std::string>& paths);

}  // namespace varnex
