// A chosen pattern responds: it counts the hit, lets a threshold or a state
// response replace its own responses, and runs one of them at random.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

void Respond(BrainClass& brain, PatternClass& pattern, const std::string& input);

}  // namespace varnex
