// Patterns that respond without being asked: volition after silence, and
// the Initialize and Finalize clauses around loading and discarding a brain.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/actions/respond.h"
#include "engine/cycle/input_cycle.h"
#include "engine/matching/score.h"
#include "platform/clock.h"

namespace varnex {

void StartVolition(BrainClass& brain) {
  if (!brain.HasVolition) return;
  brain.StampLastInput();
  if (brain.VolitionTimer) {
    brain.VolitionTimer->Stop();
    brain.VolitionTimer->Start(1000);
  }
}

void StopVolition(BrainClass& brain) {
  if (!brain.HasVolition) return;
  if (brain.VolitionTimer) brain.VolitionTimer->Stop();
}

namespace {

void CheckVolition(BrainClass& brain, PatternClass& p) {
  if (!p.HasVolition) return;
  const double base = p.LastVolition != 0 ? p.LastVolition : brain.LastInput;
  const double now = NowDays();
  if (now - base < p.VolitionWhen) return;
  SetLastVolition(p, now);
  if (Score(brain, p, "") >= 0) Respond(brain, p, "");
}

}  // namespace

void VolitionTick(BrainClass& brain) {
  // A front end that lets its window system run while the engine works
  // could deliver a tick in the middle of an input.
  if (brain.Busy()) return;
  brain.SubmitInput = &ProcessInput;
  BrainClass::BusyScope busy(brain);
  KnowledgeClass* k = brain.CurrentKnowledge();
  if (!k || !k->HasVolition) return;
  for (std::size_t i = 0; i < k->Patterns.size(); ++i) CheckVolition(brain, *k->Patterns[i]);
}

namespace {

// The positions of the mode's Initialize (or Finalize) clauses, found again
// only when the mode's layout has moved on.
const std::vector<uint32_t>& EventClauses(KnowledgeClass& k, bool initialize) {
  auto& events = k.Events;
  if (events.layout != k.Layout) {
    events.initialize.clear();
    events.finalize.clear();
    for (std::size_t i = 0; i < k.Patterns.size(); ++i) {
      if (k.Patterns[i]->HasInitialize) events.initialize.push_back(static_cast<uint32_t>(i));
      if (k.Patterns[i]->HasFinalize) events.finalize.push_back(static_cast<uint32_t>(i));
    }
    events.layout = k.Layout;
  }
  return initialize ? events.initialize : events.finalize;
}

// The Initialize or Finalize clauses of the first mode respond in turn, in
// the mode's order. A clause may change the mode as it responds; the next
// one is then the first marked clause after the position just answered,
// found among the mode as it now is.
void RespondMarked(BrainClass& brain, bool initialize, const char* label) {
  brain.SubmitInput = &ProcessInput;
  BrainClass::BusyScope busy(brain);
  if (brain.Knowledge.empty()) return;
  KnowledgeClass* k = brain.Knowledge[0].get();
  std::size_t next = 0;
  for (;;) {
    const std::vector<uint32_t>& marked = EventClauses(*k, initialize);
    const auto it = std::lower_bound(marked.begin(), marked.end(), next);
    if (it == marked.end()) return;
    PatternClass& p = *k->Patterns[*it];
    next = *it + 1;
    if (brain.TraceOn) brain.Trace(std::string(label) + p.ObjectName);
    Respond(brain, p, "");
  }
}

}  // namespace

void ClauseInit(BrainClass& brain) { RespondMarked(brain, true, "[Clause Init]: "); }
void ClauseFinal(BrainClass& brain) { RespondMarked(brain, false, "[Clause Final]: "); }

}  // namespace varnex
