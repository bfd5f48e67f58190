// Procedures: scripted dialogues made of steps, run instead of the
// knowledge modes while one is current.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/records/brain.h"

namespace varnex {

void RunProcedure(BrainClass& brain, ProcClass& proc, const std::string& input);
void ExecuteStepPattern(BrainClass& brain, StepPatternClass& sp, const std::string& input);

// The step a name designates (ignoring case), or null.
StepClass* FindStep(const ProcClass& proc, std::string_view name);
// The current step's prompt, expanded; empty when CurrentStep names no step.
std::string CurrentStepText(BrainClass& brain, const ProcClass& proc);

void StartProcedure(BrainClass& brain, const std::string& name);
void GotoStep(BrainClass& brain, const std::string& name);
void HaltProcedure(BrainClass& brain);
void CallProcedure(BrainClass& brain, const std::string& name);

}  // namespace varnex
