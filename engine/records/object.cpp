// Records are deleted by kind, since they have no virtual destructor.
#include "engine/records/brain.h"
#include "engine/records/records.h"
#include "engine/records/collection.h"

namespace varnex {

void RecordDeleter::operator()(ObjectClass* record) const noexcept {
  if (!record) return;
  switch (record->Kind) {
    case ObjectKind::Fragment: delete static_cast<WordFragmentClass*>(record); break;
    case ObjectKind::Task: delete static_cast<TaskClass*>(record); break;
    case ObjectKind::Response: delete static_cast<ResponseClass*>(record); break;
    case ObjectKind::Threshold: delete static_cast<ThresholdClass*>(record); break;
    case ObjectKind::State: delete static_cast<StateClass*>(record); break;
    case ObjectKind::Pattern: delete static_cast<PatternClass*>(record); break;
    case ObjectKind::Knowledge: delete static_cast<KnowledgeClass*>(record); break;
    case ObjectKind::StepPattern: delete static_cast<StepPatternClass*>(record); break;
    case ObjectKind::Step: delete static_cast<StepClass*>(record); break;
    case ObjectKind::Proc: delete static_cast<ProcClass*>(record); break;
    case ObjectKind::Collection: delete static_cast<DataCollectionClass*>(record); break;
    case ObjectKind::Brain: delete static_cast<BrainClass*>(record); break;
  }
}

}  // namespace varnex
