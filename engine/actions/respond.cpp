// A clause responds: it counts the hit; a threshold whose range holds the
// count, and then a state response of the current state, may replace its
// own responses (the last that applies wins); one of them is drawn.
#include "engine/actions/respond.h"

#include <string>

#include "engine/actions/resolve.h"
#include "engine/base/random.h"
#include "engine/base/numbers.h"

namespace varnex {

void Respond(BrainClass& brain, PatternClass& pattern, const std::string& input) {
  BrainClass::BusyScope busy(brain);
  brain.CheckRun();
  SetHitCount(pattern, CheckedAdd(pattern.HitCount, 1));
  OwnedList<ResponseClass>* chosen = &pattern.Responses;
  for (auto& t : pattern.Thresholds) {
    if (t->ThreshFrom <= pattern.HitCount && t->ThreshTo >= pattern.HitCount) {
      if (brain.TraceOn)
        brain.Trace("[Threshold Met]: " + std::to_string(t->ThreshFrom) + " to " + std::to_string(t->ThreshTo));
      chosen = &t->Responses;
    }
  }
  const std::string state = brain.CurrentStateName();
  for (auto& s : pattern.States) {
    if (s->State == state) {
      if (brain.TraceOn) brain.Trace("[State Response]: " + s->State);
      chosen = &s->Responses;
    }
  }
  if (chosen->empty()) return;
  ResponseClass& r = *(*chosen)[RandomBelow(static_cast<uint32_t>(chosen->size()))];
  ++r.Uses;
  ResolveToString(brain, r, input);
  brain.LastPatternName = pattern.ObjectName;
}

}  // namespace varnex
