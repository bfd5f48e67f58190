// The one dispatcher between the mode's index and scoring every clause.
// The index declines inputs it cannot answer exactly (those holding a tag);
// the reference way is then used, and it never calls the index.
#include "engine/matching/best_pattern.h"

#include "engine/matching/fast_answer.h"
#include "engine/matching/score.h"

namespace varnex {

namespace {

BestPattern ScoreEveryPattern(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input) {
  BestPattern best;
  // An input without a tag is the same text for every pattern: upper-case
  // it once for all of them.
  const bool plain = input.find('^') == std::string::npos;
  std::string upper;
  const MatchText text = plain ? MatchText(input, upper) : MatchText("");
  for (std::size_t i = 0; i < knowledge.Patterns.size(); ++i) {
    PatternClass& p = *knowledge.Patterns[i];
    const int32_t s = plain ? ScorePlain(brain, p, text) : Score(brain, p, input);
    if (s > best.score) {  // in mode order, so a tie keeps the earlier pattern
      best.score = s;
      best.winner = &p;
      best.index = static_cast<int>(i);
    }
  }
  return best;
}

}  // namespace

BestPattern ChooseBestPattern(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input) {
  int index = -1;
  int32_t score = kScoreFloor;
  if (brain.FastPath && FastBestPattern(brain, knowledge, input, index, score))
    return {index >= 0 ? knowledge.Patterns[static_cast<std::size_t>(index)].get() : nullptr, score, index};
  return ScoreEveryPattern(brain, knowledge, input);
}

void PrepareAnswering(BrainClass& brain) {
  if (!brain.FastPath) return;
  for (auto& k : brain.Knowledge) PrepareIndex(*k);
}

void ResetVolition(KnowledgeClass& knowledge) {
  for (PatternClass* p : knowledge.VolitionMarked) p->LastVolition = 0;
  knowledge.VolitionMarked.clear();
}

}  // namespace varnex
