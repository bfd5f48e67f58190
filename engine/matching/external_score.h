// The External relation: a function of an outside library gives the score.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/records/brain.h"

namespace varnex {

int32_t ExternalScore(BrainClass& brain, const WordFragmentClass& fragment, std::string_view input);

}  // namespace varnex
