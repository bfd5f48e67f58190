// Procedures: while one is current, its current step's clauses answer the
// input instead of the mode. Starting, calling and returning keep a call
// stack of procedure and step names (names, not pointers, since a call
// may outlive the records it names).
#include "engine/actions/procedures.h"

#include "engine/actions/resolve.h"
#include "engine/base/random.h"
#include "engine/matching/match.h"
#include "engine/matching/score.h"
#include "engine/template/expand_tags.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"

namespace varnex {

StepClass* FindStep(const ProcClass& proc, std::string_view name) {
  for (std::size_t i = 0; i < proc.StepNames.size() && i < proc.Steps.size(); ++i)
    if (EqualsNoCase(proc.StepNames[i], name)) return proc.Steps[i].get();
  return nullptr;
}

std::string CurrentStepText(BrainClass& brain, const ProcClass& proc) {
  StepClass* step = FindStep(proc, proc.CurrentStep);
  if (!step) return {};
  std::string context = brain.InputHistory.empty() ? std::string() : brain.InputHistory.front();
  return ExpandTags(brain, step->ThePrompt, context, nullptr, nullptr);
}

void ExecuteStepPattern(BrainClass& brain, StepPatternClass& sp, const std::string& input) {
  BrainClass::BusyScope busy(brain);
  if (sp.Responses.empty()) return;
  ResponseClass& r = *sp.Responses[RandomBelow(static_cast<uint32_t>(sp.Responses.size()))];
  ++r.Uses;
  ResolveToString(brain, r, input);
  brain.LastStepPatternName = sp.ObjectName;
}

namespace {

void RunStep(BrainClass& brain, StepClass& step, const std::string& input) {
  int32_t best = kScoreFloor;
  StepPatternClass* winner = nullptr;
  std::size_t at = 0;
  for (std::size_t i = 0; i < step.StepPatterns.size(); ++i) {
    int32_t s = ScoreStepPattern(brain, *step.StepPatterns[i], input);
    if (s > best) {
      best = s;
      winner = step.StepPatterns[i].get();
      at = i;
    }
  }
  if (winner) {
    const ProcClass* proc = step.Owner;
    brain.Answered.push_back({true, proc ? std::string(proc->TheName) : std::string(), std::string(step.TheName),
                              static_cast<int>(at) + 1, std::string(winner->ObjectName), best});
    ExecuteStepPattern(brain, *winner, input);
  }
  else {
    brain.Output("There are no patterns for this procedure step!  I can not proceed!");
  }
}

}  // namespace

void RunProcedure(BrainClass& brain, ProcClass& proc, const std::string& input) {
  BrainClass::BusyScope busy(brain);
  if (StepClass* step = FindStep(proc, proc.CurrentStep))
    RunStep(brain, *step, input);
  else
    brain.Output("There is a problem with the procedure " + proc.TheName + ".  There is not a current step!");
  // Still the running procedure? A halt, a start, a call or a return made
  // by the step's response leaves the prompt to whoever runs now.
  if (!proc.Retired && brain.IndexOfProc(proc.TheName) == brain.CurrentProc && brain.CurrentProcedure() == &proc)
    brain.Output(CurrentStepText(brain, proc));
}

void StartProcedure(BrainClass& brain, const std::string& name) {
  brain.CurrentProc = brain.IndexOfProc(name);
  ProcClass* proc = brain.CurrentProcedure();
  if (!proc) return;
  proc->CurrentStep = FindStep(*proc, proc->StartStep) ? proc->StartStep : Text();
  brain.Output(proc->CurrentStep.empty() ? std::string() : CurrentStepText(brain, *proc));
}

void GotoStep(BrainClass& brain, const std::string& name) {
  ProcClass* proc = brain.CurrentProcedure();
  if (proc && FindStep(*proc, name)) proc->CurrentStep = name;
}

void HaltProcedure(BrainClass& brain) { brain.CurrentProc = -1; }

void CallProcedure(BrainClass& brain, const std::string& name) {
  brain.PushProcCall();
  StartProcedure(brain, name);
}

}  // namespace varnex
