#include "engine/tools/check.h"

namespace varnex {

std::vector<Finding> CheckBrainFiles(const std::vector<std::string>&) { return {}; }

}  // namespace varnex
