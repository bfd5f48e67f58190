// One line of input in, zero or more answers out: the order in which the
// Do-Before patterns, the running procedure or the current mode, and the
// Do-After patterns see the input.
#include "engine/cycle/input_cycle.h"

#include "engine/actions/answer.h"
#include "engine/actions/procedures.h"
#include "engine/actions/respond.h"

namespace varnex {

void ProcessInput(BrainClass& brain, const std::string& input) {
  brain.SubmitInput = &ProcessInput;
  BrainClass::BusyScope busy(brain);
  brain.StampLastInput();
  PushHistory(brain.InputHistory, input);
  if (brain.TraceOn) brain.Trace("[Input]: " + input);

  // The patterns to visit are fixed before the first responds. One that an
  // earlier one deleted is skipped; it stays alive while the cycle runs.
  const std::vector<PatternClass*> before = brain.DoBefore;
  for (PatternClass* p : before) {
    if (p->Retired) continue;
    if (brain.TraceOn) brain.Trace("[Do Before]: " + p->ObjectName);
    Respond(brain, *p, input);
  }

  if (ProcClass* proc = brain.CurrentProcedure()) {
    RunProcedure(brain, *proc, input);
    return;
  }
  if (KnowledgeClass* k = brain.CurrentKnowledge())
    Answer(brain, *k, input);
  else
    brain.Output("Sorry, I do not know anything at all yet!");
  const std::vector<PatternClass*> after = brain.DoAfter;
  for (PatternClass* p : after)
    if (!p->Retired) Respond(brain, *p, input);
}

}  // namespace varnex
