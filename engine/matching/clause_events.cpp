// Patterns that respond without being asked: volition after silence, and
// the Initialize and Finalize clauses around loading and discarding a brain.
#include <string>

#include "engine/core/brain.h"
#include "engine/matching/respond.h"
#include "engine/matching/score.h"
#include "platform/clock.h"

namespace varnex {

void BrainClass::StartVolition() {
  if (!HasVolition) return;
  StampLastInput();
  if (VolitionTimer) {
    VolitionTimer->Stop();
    VolitionTimer->Start(1000);
  }
}

void BrainClass::StopVolition() {
  if (!HasVolition) return;
  if (VolitionTimer) VolitionTimer->Stop();
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

void BrainClass::VolitionTick() {
  // A front end that lets its window system run while the engine works
  // could deliver a tick in the middle of an input.
  if (Busy()) return;
  BusyScope busy(*this);
  KnowledgeClass* k = CurrentKnowledge();
  if (!k || !k->HasVolition) return;
  for (std::size_t i = 0; i < k->Patterns.size(); ++i) CheckVolition(*this, *k->Patterns[i]);
}

void BrainClass::ClauseInit() {
  BusyScope busy(*this);
  if (Knowledge.empty()) return;
  KnowledgeClass* k = Knowledge[0].get();
  for (std::size_t i = 0; i < k->Patterns.size(); ++i) {
    PatternClass& p = *k->Patterns[i];
    if (!p.HasInitialize) continue;
    if (TraceOn) Trace("[Clause Init]: " + p.ObjectName);
    Respond(*this, p, "");
  }
}

void BrainClass::ClauseFinal() {
  BusyScope busy(*this);
  if (Knowledge.empty()) return;
  KnowledgeClass* k = Knowledge[0].get();
  for (std::size_t i = 0; i < k->Patterns.size(); ++i) {
    PatternClass& p = *k->Patterns[i];
    if (!p.HasFinalize) continue;
    if (TraceOn) Trace("[Clause Final]: " + p.ObjectName);
    Respond(*this, p, "");
  }
}

}  // namespace varnex
