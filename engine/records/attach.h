// Attaching a record to its holder. Besides appending and setting Owner,
// each operation keeps the brain's derived fields up to date (volition
// flags, Do-Before and Do-After lists, the last-added names) and registers a
// non-empty object name. The Language reader and the self-modifying actions
// both use these.
#pragma once

#include <memory>

#include "engine/records/brain.h"

namespace varnex {

PatternClass* AddPatternToKnowledge(KnowledgeClass& knowledge, std::unique_ptr<PatternClass> pattern);
WordFragmentClass* AddFragmentToPattern(PatternClass& pattern, std::unique_ptr<WordFragmentClass> fragment);
ResponseClass* AddResponseToPattern(PatternClass& pattern, std::unique_ptr<ResponseClass> response);
ThresholdClass* AddThresholdToPattern(PatternClass& pattern, std::unique_ptr<ThresholdClass> threshold);
StateClass* AddStateToPattern(PatternClass& pattern, std::unique_ptr<StateClass> state);
ResponseClass* AddResponseToThreshold(ThresholdClass& threshold, std::unique_ptr<ResponseClass> response);
ResponseClass* AddResponseToState(StateClass& state, std::unique_ptr<ResponseClass> response);
TaskClass* AddTaskToResponse(ResponseClass& response, std::unique_ptr<TaskClass> task);
StepPatternClass* AddStepPatternToStep(StepClass& step, std::unique_ptr<StepPatternClass> stepPattern);
WordFragmentClass* AddFragmentToStepPattern(StepPatternClass& sp, std::unique_ptr<WordFragmentClass> fragment);
ResponseClass* AddResponseToStepPattern(StepPatternClass& sp, std::unique_ptr<ResponseClass> response);
// Attaches a step under a name; a name already present replaces that step
// in place. An empty name attaches nothing (the step is kept unattached).
// The brain is passed explicitly: a procedure without a name has no owner.
void AddStep(BrainClass& brain, ProcClass& proc, std::string_view name, std::unique_ptr<StepClass> step);

// The volition interval a Volition fragment's text gives: a decimal number of
// days, 9999999.99 when the text is not one.
double VolitionIntervalOf(std::string_view text);

}  // namespace varnex
