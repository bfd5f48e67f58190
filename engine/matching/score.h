// Scoring the patterns of a knowledge mode and letting the best one answer.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/brain.h"

namespace varnex {

// The pattern's score: its fragments' scores plus the order bonus, or minus
// the order penalty when the words were not found in fragment order.
int32_t Score(BrainClass& brain, PatternClass& pattern, std::string_view input);

// Lets the best-scoring pattern respond, or answers with the fallback text.
void Answer(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input);

// The lowest score that can never win.
constexpr int32_t kScoreFloor = -30000;

}  // namespace varnex
