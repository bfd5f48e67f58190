// Scoring a clause the reference way: every fragment in turn, through
// Match, with the order rule of score_rules.h. Every other way of choosing
// a clause must give what this gives.
#include "engine/matching/score.h"

#include <string>

#include "engine/base/numbers.h"
#include "engine/matching/match.h"
#include "engine/template/expand_tags.h"

namespace varnex {

namespace {

// The pattern's fragments against an input already expanded.
int32_t ScoreExpanded(BrainClass& brain, PatternClass& pattern, const MatchText& text) {
  int32_t total = 0;
  int32_t order = kFirstPosition;
  // A first fragment that searches no word must not break the order by
  // itself, so the shared position starts at the first character.
  int32_t position = kFirstPosition;
  // Fragments can be added or deleted by actions only between inputs, but
  // the list is read by index all the same so that it is never outrun.
  for (std::size_t i = 0; i < pattern.Fragments.size(); ++i) {
    total = CheckedAdd(total, Match(brain, *pattern.Fragments[i], text, position));
    order = NextOrder(order, position);
  }
  return Checked32(total + OrderScore(order, pattern.OrderBonus, pattern.OrderPenalty));
}

}  // namespace

int32_t Score(BrainClass& brain, PatternClass& pattern, std::string_view input) {
  ScoringScope scoring(brain);
  // An input without a tag expands to itself: no copy is needed.
  if (input.find('^') == std::string_view::npos) return ScoreExpanded(brain, pattern, MatchText(input));
  const std::string expanded = ExpandTags(brain, input, input, nullptr, &pattern);
  return ScoreExpanded(brain, pattern, MatchText(expanded));
}

int32_t ScorePlain(BrainClass& brain, PatternClass& pattern, const MatchText& input) {
  ScoringScope scoring(brain);
  return ScoreExpanded(brain, pattern, input);
}

int32_t ScoreStepPattern(BrainClass& brain, StepPatternClass& sp, std::string_view input) {
  ScoringScope scoring(brain);
  std::string expandedCopy;
  std::string_view expanded = input;
  if (input.find('^') != std::string_view::npos) expanded = expandedCopy = ExpandTags(brain, input, input, &sp, nullptr);
  int32_t total = 0;
  int32_t position = kFirstPosition;
  const MatchText text(expanded);
  for (std::size_t i = 0; i < sp.Fragments.size(); ++i)
    total = CheckedAdd(total, Match(brain, *sp.Fragments[i], text, position));
  return total;
}

}  // namespace varnex
