// Patterns that respond without being asked: volition after silence, and
// the Initialize and Finalize clauses around loading and discarding a brain.
#include <string>

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

// The Initialize or Finalize clauses of the first mode respond in turn.
template <class Marked>
void RespondMarked(BrainClass& brain, Marked marked, const char* label) {
  brain.SubmitInput = &ProcessInput;
  BrainClass::BusyScope busy(brain);
  if (brain.Knowledge.empty()) return;
  KnowledgeClass* k = brain.Knowledge[0].get();
  for (std::size_t i = 0; i < k->Patterns.size(); ++i) {
    PatternClass& p = *k->Patterns[i];
    if (!marked(p)) continue;
    if (brain.TraceOn) brain.Trace(std::string(label) + p.ObjectName);
    Respond(brain, p, "");
  }
}

}  // namespace

void ClauseInit(BrainClass& brain) {
  RespondMarked(brain, [](const PatternClass& p) { return p.HasInitialize; }, "[Clause Init]: ");
}
void ClauseFinal(BrainClass& brain) {
  RespondMarked(brain, [](const PatternClass& p) { return p.HasFinalize; }, "[Clause Final]: ");
}

}  // namespace varnex
