// Entering records into their owners: each attach sets the back reference,
// registers the record's name, keeps the Do-Before and Do-After lists and
// the volition flags in step, and touches the mode's index.
#include "engine/records/attach.h"

#include "engine/records/navigation.h"
#include "engine/records/type_names.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"

namespace varnex {
namespace {

void Register(BrainClass* brain, ObjectClass* record) {
  if (brain && !record->ObjectName.empty()) brain->NamedObjects.Add(record->ObjectName, record);
}

}  // namespace

double VolitionIntervalOf(std::string_view text) {
  auto v = ReadDecimalNumber(TrimView(text));
  return v ? static_cast<double>(*v) : 9999999.99;
}

PatternClass* AddPatternToKnowledge(KnowledgeClass& k, std::unique_ptr<PatternClass> pattern) {
  PatternClass* p = pattern.get();
  p->Owner = &k;
  // Appending leaves the mode's index true for the patterns it covers.
  k.Patterns.push_back(std::move(pattern));
  ++k.Layout;
  k.HasVolition = k.HasVolition || p->HasVolition;
  BrainClass* brain = BrainOfKnowledge(&k);
  if (k.HasVolition && k.Owner && k.Owner->Kind == ObjectKind::Brain) static_cast<BrainClass*>(k.Owner)->HasVolition = true;
  if (brain) {
    brain->LastPatternName = p->ObjectName;
    Register(brain, p);
  }
  return p;
}

WordFragmentClass* AddFragmentToPattern(PatternClass& p, std::unique_ptr<WordFragmentClass> fragment) {
  WordFragmentClass* f = fragment.get();
  f->Owner = &p;
  p.Fragments.push_back(std::move(fragment));
  Touch(&p);
  BrainClass* brain = BrainOfPattern(&p);
  switch (f->Relation) {
    case PatternType::Initialize:
      p.HasInitialize = true;
      if (p.Owner) ++p.Owner->Layout;
      break;
    case PatternType::Finalize:
      p.HasFinalize = true;
      if (p.Owner) ++p.Owner->Layout;
      break;
    case PatternType::Volition:
      p.HasVolition = true;
      if (p.Owner) {
        p.Owner->HasVolition = true;
        if (brain) brain->HasVolition = true;
      }
      p.VolitionWhen = VolitionIntervalOf(f->WordFrag);
      break;
    case PatternType::DoBefore:
      if (p.Owner && brain) brain->DoBefore.push_back(&p);
      break;
    case PatternType::DoAfter:
      if (p.Owner && brain) brain->DoAfter.push_back(&p);
      break;
    default: break;
  }
  if (brain) {
    brain->LastFragmentName = f->ObjectName;
    Register(brain, f);
  }
  return f;
}

ResponseClass* AddResponseToPattern(PatternClass& p, std::unique_ptr<ResponseClass> response) {
  ResponseClass* r = response.get();
  r->Owner = &p;
  p.Responses.push_back(std::move(response));
  if (BrainClass* brain = BrainOfPattern(&p)) {
    brain->LastResponseName = r->ObjectName;
    Register(brain, r);
  }
  return r;
}

ThresholdClass* AddThresholdToPattern(PatternClass& p, std::unique_ptr<ThresholdClass> threshold) {
  ThresholdClass* t = threshold.get();
  t->Owner = &p;
  p.Thresholds.push_back(std::move(threshold));
  Register(BrainOfPattern(&p), t);
  return t;
}

StateClass* AddStateToPattern(PatternClass& p, std::unique_ptr<StateClass> state) {
  StateClass* s = state.get();
  s->Owner = &p;
  p.States.push_back(std::move(state));
  Register(BrainOfPattern(&p), s);
  return s;
}

ResponseClass* AddResponseToThreshold(ThresholdClass& t, std::unique_ptr<ResponseClass> response) {
  ResponseClass* r = response.get();
  r->Owner = &t;
  t.Responses.push_back(std::move(response));
  Register(BrainOfPattern(t.Owner), r);
  return r;
}

ResponseClass* AddResponseToState(StateClass& s, std::unique_ptr<ResponseClass> response) {
  ResponseClass* r = response.get();
  r->Owner = &s;
  s.Responses.push_back(std::move(response));
  Register(BrainOfPattern(s.Owner), r);
  return r;
}

TaskClass* AddTaskToResponse(ResponseClass& response, std::unique_ptr<TaskClass> task) {
  TaskClass* t = task.get();
  t->Owner = &response;
  response.Tasks.push_back(std::move(task));
  if (BrainClass* brain = BrainOfResponse(&response)) {
    brain->LastTaskName = t->ObjectName;
    Register(brain, t);
  }
  return t;
}

StepPatternClass* AddStepPatternToStep(StepClass& step, std::unique_ptr<StepPatternClass> stepPattern) {
  StepPatternClass* sp = stepPattern.get();
  sp->Owner = &step;
  step.StepPatterns.push_back(std::move(stepPattern));
  if (BrainClass* brain = BrainOfStepPattern(sp)) {
    brain->LastStepPatternName = sp->ObjectName;
    Register(brain, sp);
  }
  return sp;
}

WordFragmentClass* AddFragmentToStepPattern(StepPatternClass& sp, std::unique_ptr<WordFragmentClass> fragment) {
  WordFragmentClass* f = fragment.get();
  f->Owner = &sp;
  sp.Fragments.push_back(std::move(fragment));
  if (BrainClass* brain = BrainOfStepPattern(&sp)) {
    brain->LastFragmentName = f->ObjectName;
    Register(brain, f);
  }
  return f;
}

ResponseClass* AddResponseToStepPattern(StepPatternClass& sp, std::unique_ptr<ResponseClass> response) {
  ResponseClass* r = response.get();
  r->Owner = &sp;
  sp.Responses.push_back(std::move(response));
  if (BrainClass* brain = BrainOfStepPattern(&sp)) {
    brain->LastResponseName = r->ObjectName;
    Register(brain, r);
  }
  return r;
}

void AddStep(BrainClass& brain, ProcClass& proc, std::string_view name, std::unique_ptr<StepClass> step) {
  if (name.empty()) {
    brain.KeepUnattached(std::move(step));
    return;
  }
  StepClass* s = step.get();
  s->TheName = std::string(name);
  s->Owner = &proc;
  std::size_t i = 0;
  while (i < proc.StepNames.size() && !EqualsNoCase(proc.StepNames[i], name)) ++i;
  if (i < proc.StepNames.size() && i < proc.Steps.size()) {
    std::swap(proc.Steps[i], step);
    brain.Retire(std::move(step));
  } else {
    proc.Steps.push_back(std::move(step));
    proc.StepNames.emplace_back(name);
    if (proc.Steps.size() == 1) proc.StartStep = std::string(name);
  }
  Register(&brain, s);
}

}  // namespace varnex
