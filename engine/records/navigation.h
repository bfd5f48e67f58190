// The navigation every part of the engine uses to find the brain, pattern
// and step pattern a record belongs to. Each returns null where the chain of
// owners breaks (an unattached record, for instance).
#pragma once

#include "engine/records/brain.h"

namespace varnex {

BrainClass* BrainOfKnowledge(const KnowledgeClass* knowledge);
BrainClass* BrainOfPattern(const PatternClass* pattern);
BrainClass* BrainOfStepPattern(const StepPatternClass* sp);
BrainClass* BrainOfResponse(const ResponseClass* response);
PatternClass* PatternOfResponse(const ResponseClass* response);
StepPatternClass* StepPatternOfResponse(const ResponseClass* response);
PatternClass* PatternOfFragment(const WordFragmentClass* fragment);
StepPatternClass* StepPatternOfFragment(const WordFragmentClass* fragment);

}  // namespace varnex
