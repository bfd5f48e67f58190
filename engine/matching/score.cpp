#include "engine/matching/score.h"

#include <string>

#include "engine/matching/fast_answer.h"
#include "engine/matching/match.h"
#include "engine/matching/respond.h"
#include "engine/template/expand_tags.h"
#include "engine/template/numbers.h"

namespace varnex {

namespace {
// Order tracking: 9999 marks the fragments as out of order.
constexpr int32_t kOutOfOrder = 9999;
}  // namespace

int32_t Score(BrainClass& brain, PatternClass& pattern, std::string_view input) {
  const std::string expanded = ExpandTags(brain, input, input, nullptr, &pattern);
  int32_t total = 0;
  int32_t order = 1;
  // A first fragment that searches no word must not break the order by
  // itself, so the shared position starts at the first character.
  int32_t position = 1;
  // Fragments can be added or deleted by actions only between inputs, but
  // the list is read by index all the same so that it is never outrun.
  for (std::size_t i = 0; i < pattern.Fragments.size(); ++i) {
    total = CheckedAdd(total, Match(brain, *pattern.Fragments[i], expanded, position));
    if (position == 0 || order > position)
      order = kOutOfOrder;
    else
      order = position;
  }
  return order != kOutOfOrder ? CheckedAdd(total, pattern.OrderBonus) : CheckedSub(total, pattern.OrderPenalty);
}

void Answer(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input) {
  BrainClass::BusyScope busy(brain);
  int32_t best = kScoreFloor;
  PatternClass* winner = nullptr;
  int fastIndex = -1;
  if (brain.FastPath && FastBestPattern(brain, knowledge, input, fastIndex, best)) {
    if (fastIndex >= 0) winner = knowledge.Patterns[static_cast<std::size_t>(fastIndex)].get();
  } else {
    for (std::size_t i = 0; i < knowledge.Patterns.size(); ++i) {
      PatternClass& p = *knowledge.Patterns[i];
      int32_t s = Score(brain, p, input);
      if (s > best) {
        best = s;
        winner = &p;
      }
    }
  }
  if (!winner) {
    brain.Output("Sorry, I can't answer you because I don't know anything at all yet...");
  } else {
    if (brain.TraceOn) brain.Trace("[Score: " + std::to_string(best) + "]:  " + winner->ObjectName);
    Respond(brain, *winner, input);
  }
  // Volition counts again from this input. Only the patterns whose
  // LastVolition was set can differ from 0; the reference way clears all.
  if (brain.FastPath) {
    for (PatternClass* p : knowledge.VolitionMarked) p->LastVolition = 0;
  } else {
    for (std::size_t i = 0; i < knowledge.Patterns.size(); ++i) knowledge.Patterns[i]->LastVolition = 0;
  }
  knowledge.VolitionMarked.clear();
  brain.LastKnowledgeName = knowledge.ObjectName;
}

}  // namespace varnex
