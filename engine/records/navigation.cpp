// Following Owner back references up the record tree.
#include "engine/records/navigation.h"

namespace varnex {

BrainClass* BrainOfKnowledge(const KnowledgeClass* k) {
  // A nested knowledge's owner is a response; follow it up. The depth bound
  // only guards against a cycle that no operation creates.
  for (int guard = 0; k && guard < 1000; ++guard) {
    if (!k->Owner) return nullptr;
    if (k->Owner->Kind == ObjectKind::Brain) return static_cast<BrainClass*>(k->Owner);
    if (k->Owner->Kind != ObjectKind::Response) return nullptr;
    PatternClass* p = PatternOfResponse(static_cast<const ResponseClass*>(k->Owner));
    if (!p) return BrainOfStepPattern(StepPatternOfResponse(static_cast<const ResponseClass*>(k->Owner)));
    k = p->Owner;
  }
  return nullptr;
}

BrainClass* BrainOfPattern(const PatternClass* p) { return p ? BrainOfKnowledge(p->Owner) : nullptr; }

BrainClass* BrainOfStepPattern(const StepPatternClass* sp) {
  if (!sp || !sp->Owner || !sp->Owner->Owner) return nullptr;
  return sp->Owner->Owner->Owner;
}

PatternClass* PatternOfResponse(const ResponseClass* r) {
  if (!r || !r->Owner) return nullptr;
  switch (r->Owner->Kind) {
    case ObjectKind::Pattern: return static_cast<PatternClass*>(r->Owner);
    case ObjectKind::Threshold: return static_cast<ThresholdClass*>(r->Owner)->Owner;
    case ObjectKind::State: return static_cast<StateClass*>(r->Owner)->Owner;
    default: return nullptr;
  }
}

StepPatternClass* StepPatternOfResponse(const ResponseClass* r) {
  if (!r || !r->Owner || r->Owner->Kind != ObjectKind::StepPattern) return nullptr;
  return static_cast<StepPatternClass*>(r->Owner);
}

BrainClass* BrainOfResponse(const ResponseClass* r) {
  if (PatternClass* p = PatternOfResponse(r)) return BrainOfPattern(p);
  return BrainOfStepPattern(StepPatternOfResponse(r));
}

PatternClass* PatternOfFragment(const WordFragmentClass* f) {
  if (!f || !f->Owner || f->Owner->Kind != ObjectKind::Pattern) return nullptr;
  return static_cast<PatternClass*>(f->Owner);
}

StepPatternClass* StepPatternOfFragment(const WordFragmentClass* f) {
  if (!f || !f->Owner || f->Owner->Kind != ObjectKind::StepPattern) return nullptr;
  return static_cast<StepPatternClass*>(f->Owner);
}

}  // namespace varnex
