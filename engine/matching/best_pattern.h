// The one place that chooses how a mode's clauses are scored for an input:
// through the mode's index when the brain answers the fast way and the
// index applies, otherwise by scoring every clause in turn. Either way the
// result, the trace and every side effect are the same.
#pragma once

#include <cstdint>
#include <string>

#include "engine/matching/score_rules.h"
#include "engine/records/brain.h"

namespace varnex {

struct BestPattern {
  PatternClass* winner = nullptr;  // the first of the best, or none above the floor
  int32_t score = kScoreFloor;
  int index = -1;  // the winner's place in its mode
};

BestPattern ChooseBestPattern(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input);

// Builds the indexes of the brain's modes, when the brain answers the fast
// way: done once a brain is read, so that its first answer is as quick as
// the others.
void PrepareAnswering(BrainClass& brain);

// After a mode answered, volition counts again from this input: every
// pattern's LastVolition goes back to 0. Only the patterns on the mode's
// VolitionMarked list can hold another value (SetLastVolition keeps it).
void ResetVolition(KnowledgeClass& knowledge);

}  // namespace varnex
