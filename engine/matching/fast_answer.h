// The fast way to answer an input: the same choice, score, trace lines and
// side effects as scoring every pattern of the mode, at a cost that grows
// with the patterns that mention the input's texts rather than with the
// size of the mode.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

// Scores the mode for an input and returns the index of the winning pattern
// (the first of the highest score above the floor) with its score, or -1.
// False when the fast way does not apply (the input holds a tag): the
// caller then scores every pattern itself.
bool FastBestPattern(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input, int& bestIndex,
                     int32_t& bestScore);

// Builds the mode's index now, if it is not current, so that the first
// answer does not wait for it.
void PrepareIndex(KnowledgeClass& knowledge);

}  // namespace varnex
