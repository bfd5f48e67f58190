// The reference scoring of one clause (a pattern of a mode, or a step
// pattern of a procedure's step) against an input.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/matching/match.h"
#include "engine/matching/score_rules.h"
#include "engine/records/brain.h"

namespace varnex {

// Marks the brain as scoring for as long as a clause is scored, so that a
// failing tag is treated as scoring treats it.
class ScoringScope {
 public:
  explicit ScoringScope(BrainClass& brain) : brain_(brain) { ++brain_.Scoring; }
  ~ScoringScope() { --brain_.Scoring; }
  ScoringScope(const ScoringScope&) = delete;
  ScoringScope& operator=(const ScoringScope&) = delete;

 private:
  BrainClass& brain_;
};

// The pattern's score: its fragments' scores plus the order bonus, or minus
// the order penalty when the words were not found in fragment order.
int32_t Score(BrainClass& brain, PatternClass& pattern, std::string_view input);

// The same for an input that holds no tag, made ready once for every
// pattern it is scored against (input.plain must be true).
int32_t ScorePlain(BrainClass& brain, PatternClass& pattern, const MatchText& input);

// A step pattern's score: its fragments' scores; steps know no order.
int32_t ScoreStepPattern(BrainClass& brain, StepPatternClass& stepPattern, std::string_view input);

}  // namespace varnex
