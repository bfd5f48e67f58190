// Visiting a record and everything it owns.
#include "engine/records/subtree.h"

#include "engine/records/brain.h"

namespace varnex {
namespace {

template <class T>
void Each(OwnedList<T>& list, const std::function<void(ObjectClass*)>& visit) {
  for (auto& r : list) ForEachInSubtree(r.get(), visit);
}

}  // namespace

void ForEachInSubtree(ObjectClass* root, const std::function<void(ObjectClass*)>& visit) {
  if (!root) return;
  visit(root);
  switch (root->Kind) {
    case ObjectKind::Response: Each(static_cast<ResponseClass*>(root)->Tasks, visit); break;
    case ObjectKind::Threshold: Each(static_cast<ThresholdClass*>(root)->Responses, visit); break;
    case ObjectKind::State: Each(static_cast<StateClass*>(root)->Responses, visit); break;
    case ObjectKind::Pattern: {
      auto* p = static_cast<PatternClass*>(root);
      Each(p->Fragments, visit);
      Each(p->Responses, visit);
      Each(p->Thresholds, visit);
      Each(p->States, visit);
      break;
    }
    case ObjectKind::Knowledge: Each(static_cast<KnowledgeClass*>(root)->Patterns, visit); break;
    case ObjectKind::StepPattern: {
      auto* sp = static_cast<StepPatternClass*>(root);
      Each(sp->Fragments, visit);
      Each(sp->Responses, visit);
      break;
    }
    case ObjectKind::Step: Each(static_cast<StepClass*>(root)->StepPatterns, visit); break;
    case ObjectKind::Proc: Each(static_cast<ProcClass*>(root)->Steps, visit); break;
    default: break;
  }
}

}  // namespace varnex
