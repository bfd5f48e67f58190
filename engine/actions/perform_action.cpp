// What each response type does. Fields are expanded in the order the
// response-type table gives, because tags can change the brain or draw at
// random.
#include <algorithm>
#include <array>

#include "engine/actions/action_context.h"
#include "engine/actions/brain_state_actions.h"
#include "engine/actions/external_actions.h"
#include "engine/actions/procedures.h"
#include "engine/actions/resolve.h"
#include "engine/actions/self_modify.h"
#include "engine/records/type_names.h"
#include "engine/actions/respond.h"
#include "engine/actions/answer.h"
#include "engine/template/object_fields.h"
#include "engine/template/word_database.h"

namespace varnex {
namespace {

void ResetHitsOf(KnowledgeClass& k) { ClearHitCounts(k); }

// Submit This and Do Response For run whole cycles or responses inside the
// running one. A brain that keeps re-entering itself is stopped at this
// depth instead of exhausting the stack, and one that fans out (two
// re-entries per level) after this many re-entries in one outermost run.
constexpr int kMaxNesting = 64;
constexpr long kMaxNestedRuns = 10000;

template <class F>
void Nested(BrainClass& brain, const char* what, F&& run) {
  if (brain.NestingDepth >= kMaxNesting || brain.NestedRuns >= kMaxNestedRuns) {
    if (brain.TraceOn) brain.Trace(std::string("[Nesting Limit]: ") + what + " skipped");
    return;
  }
  brain.CheckRun();
  ++brain.NestedRuns;
  ++brain.NestingDepth;
  struct Leave {
    BrainClass& b;
    ~Leave() { --b.NestingDepth; }
  } leave{brain};
  run();
}

void DoResponseFor(BrainClass& brain, const std::string& name) {
  ObjectClass* r = brain.NamedObjects.Find(name);
  if (!r) return;
  if (r->Kind == ObjectKind::Pattern) {
    auto* p = static_cast<PatternClass*>(r);
    Nested(brain, "Do Response For", [&] { Respond(brain, *p, ""); });
  } else if (r->Kind == ObjectKind::StepPattern) {
    auto* sp = static_cast<StepPatternClass*>(r);
    Nested(brain, "Do Response For", [&] { ExecuteStepPattern(brain, *sp, ""); });
  }
}

}  // namespace

// One function per response type, in the order of the type numbers. Each
// reads the fields it needs, in the order the type's action reads them
// (expanding a field can draw at random or change the brain).
namespace {

// Everything an action function is given: the context, the fields, whether
// it runs as a task, and the output text it may change.
struct Act {
  ActionContext& ctx;
  const ActionFields& f;
  bool asTask;
  std::string& text;
  BrainClass& brain() const { return ctx.brain; }
  std::string Name() const { return ctx.Expand(f.TheName); }
  std::string Value() const { return ctx.Expand(f.TheValue); }
  std::string Out() const { return ctx.Expand(f.OutText); }
};

void NoneAction(Act& a) {
  if (!a.asTask) a.text.clear();
}
void JustTextAction(Act& a) {
  if (a.asTask) a.brain().Output(a.text);
}
void ModeChangeAction(Act& a) { SwitchMode(a.brain(), a.Name()); }
void NestedAction(Act& a) {
  // Nothing in a brain sets the nested knowledge; without one a Nested
  // response only outputs its text.
  if (!a.asTask && a.ctx.response.NestedKnowledge) Answer(a.brain(), *a.ctx.response.NestedKnowledge, a.ctx.input);
}
void AssignmentAction(Act& a) {
  std::string value = a.Value();
  a.brain().AddFact(a.Name(), value);
}
void ActionAction(Act& a) { RunCommandLine(a.brain(), a.f.TheName); }  // exactly as written
void ResetHitsAction(Act& a) {
  if (a.ctx.pattern) a.ctx.pattern->HitCount = 0;
}
void StateChangeAction(Act& a) { SwitchState(a.brain(), a.Name()); }
void ResetStateAction(Act& a) { ResetState(a.brain()); }
void TaskListAction(Act& a) {
  if (!a.asTask) ExecuteTasks(a.brain(), a.ctx.response, a.ctx.input);
}
void ResetKMHitsAction(Act& a) {
  if (a.ctx.pattern && a.ctx.pattern->Owner) ResetHitsOf(*a.ctx.pattern->Owner);
}
void ResetBrainHitsAction(Act& a) {
  for (auto& k : a.brain().Knowledge) ResetHitsOf(*k);
}
void AddToCollectionAction(Act& a) {
  std::string member = a.Value();
  AddToCollection(a.brain(), a.Name(), member);
}
void RemoveFromCollectionAction(Act& a) {
  std::string member = a.Value();
  RemoveFromCollection(a.brain(), a.Name(), member);
}
void SubmitThisAction(Act& a) {
  std::string submitted = a.Name();
  BrainClass& brain = a.brain();
  // The input cycle installed itself when it began this run; a brain driven
  // from below it (a response run on its own) cannot submit.
  if (brain.SubmitInput) Nested(brain, "Submit This", [&] { brain.SubmitInput(brain, submitted); });
}
void LogThisAction(Act& a) {
  std::string line = a.Value();
  LogThis(a.Name(), line);
}
void StartProcAction(Act& a) { StartProcedure(a.brain(), a.Name()); }
void GotoStepAction(Act& a) { GotoStep(a.brain(), a.Name()); }
void HaltProcAction(Act& a) { HaltProcedure(a.brain()); }
void AskMentavoAction(Act& a) {
  std::string directory = a.Value();
  a.text = AskMentavo(a.Name(), directory);
  if (a.asTask) a.brain().Output(a.text);
}
void CallProcAction(Act& a) { CallProcedure(a.brain(), a.Name()); }
void ProcReturnAction(Act& a) { a.brain().PopProcCall(); }
void SelfModifyAction(Act& a) {
  std::string value = a.Value();
  std::string field = a.Name();
  SetObjectField(a.brain(), a.Out(), field, value);
}
void LoadCollectionAction(Act& a) {
  std::string file = a.Value();
  LoadCollection(a.brain(), a.Name(), file);
}
void SaveCollectionAction(Act& a) {
  std::string file = a.Value();
  SaveCollection(a.brain(), a.Name(), file);
}
void ClearCollectionAction(Act& a) { ClearCollection(a.brain(), a.Name()); }
void ParseCollectionAction(Act& a) {
  std::string searched = a.Out();
  std::string target = a.Value();
  ParseCollection(a.brain(), a.Name(), target, searched);
}
void DeleteObjectAction(Act& a) { DeleteObject(a.brain(), a.Out()); }
void MakeCodeAction(Act& a) { MakeCode(a.brain(), a.Out()); }
void MergeCollectionAction(Act& a) {
  std::string target = a.Value();
  MergeCollection(a.brain(), a.Name(), target);
}
void DoResponseForAction(Act& a) { DoResponseFor(a.brain(), a.Name()); }
void WordsToCollectionAction(Act& a) {
  std::string collection = a.Name();
  WordsToCollection(a.brain(), a.Out(), collection);
}
void CreateAutoPatternAction(Act& a) {
  std::string answer = a.Value();
  std::string weight = a.Name();
  CreateAutoPattern(a.brain(), a.Out(), weight, answer);
}
void AddResponseAction(Act& a) { AddResponseToLastPattern(a.brain(), a.Out()); }
void AddFragmentAction(Act& a) {
  std::string weight = a.Name();
  AddFragmentToLastPattern(a.brain(), a.Out(), weight);
}
void SetUnsortedAction(Act& a) { SetUnsorted(a.brain(), a.Name()); }
// Labels and jumps belong to task lists, which handle them themselves; as a
// response they are unknown.
void TaskOnlyAction(Act& a) {
  if (!a.asTask) a.text = kUnknownResponseType;
}
void CallDLLAction(Act& a) {
  std::string argument = a.Out();
  std::string function = a.Value();
  CallLibraryFunction(a.brain(), argument, function, a.Name());
}

using ActionFunction = void (*)(Act&);
// Filled by type, so that no entry can slip into another type's place.
constexpr auto kActions = [] {
  std::array<ActionFunction, Index(ResponseType::Count)> t{};
  t[Index(ResponseType::None)] = NoneAction;
  t[Index(ResponseType::JustText)] = JustTextAction;
  t[Index(ResponseType::ModeChange)] = ModeChangeAction;
  t[Index(ResponseType::Nested)] = NestedAction;
  t[Index(ResponseType::Assignment)] = AssignmentAction;
  t[Index(ResponseType::Action)] = ActionAction;
  t[Index(ResponseType::ResetHits)] = ResetHitsAction;
  t[Index(ResponseType::StateChange)] = StateChangeAction;
  t[Index(ResponseType::ResetState)] = ResetStateAction;
  t[Index(ResponseType::TaskList)] = TaskListAction;
  t[Index(ResponseType::ResetKMHits)] = ResetKMHitsAction;
  t[Index(ResponseType::ResetBrainHits)] = ResetBrainHitsAction;
  t[Index(ResponseType::AddToCollection)] = AddToCollectionAction;
  t[Index(ResponseType::RemoveFromCollection)] = RemoveFromCollectionAction;
  t[Index(ResponseType::SubmitThis)] = SubmitThisAction;
  t[Index(ResponseType::LogThis)] = LogThisAction;
  t[Index(ResponseType::StartProc)] = StartProcAction;
  t[Index(ResponseType::GotoStep)] = GotoStepAction;
  t[Index(ResponseType::HaltProc)] = HaltProcAction;
  t[Index(ResponseType::AskMentavo)] = AskMentavoAction;
  t[Index(ResponseType::CallProc)] = CallProcAction;
  t[Index(ResponseType::ProcReturn)] = ProcReturnAction;
  t[Index(ResponseType::SelfModify)] = SelfModifyAction;
  t[Index(ResponseType::LoadCollection)] = LoadCollectionAction;
  t[Index(ResponseType::SaveCollection)] = SaveCollectionAction;
  t[Index(ResponseType::ClearCollection)] = ClearCollectionAction;
  t[Index(ResponseType::ParseCollection)] = ParseCollectionAction;
  t[Index(ResponseType::DeleteObject)] = DeleteObjectAction;
  t[Index(ResponseType::MakeCode)] = MakeCodeAction;
  t[Index(ResponseType::MergeCollection)] = MergeCollectionAction;
  t[Index(ResponseType::DoResponseFor)] = DoResponseForAction;
  t[Index(ResponseType::WordsToCollection)] = WordsToCollectionAction;
  t[Index(ResponseType::CreateAutoPattern)] = CreateAutoPatternAction;
  t[Index(ResponseType::AddResponse)] = AddResponseAction;
  t[Index(ResponseType::AddFragment)] = AddFragmentAction;
  t[Index(ResponseType::SetUnsorted)] = SetUnsortedAction;
  t[Index(ResponseType::SetLabel)] = TaskOnlyAction;
  t[Index(ResponseType::Goto)] = TaskOnlyAction;
  t[Index(ResponseType::BranchIf)] = TaskOnlyAction;
  t[Index(ResponseType::CallDLL)] = CallDLLAction;
  return t;
}();

}  // namespace

namespace {
// The response types that change the brain itself, which is shared by
// every conversation when conversations take turns with it.
bool Learns(ResponseType type) {
  switch (type) {
    case ResponseType::SelfModify:
    case ResponseType::DeleteObject:
    case ResponseType::MakeCode:
    case ResponseType::CreateAutoPattern:
    case ResponseType::AddResponse:
    case ResponseType::AddFragment: return true;
    default: return false;
  }
}
}  // namespace

void PerformAction(ActionContext& ctx, ResponseType type, const ActionFields& fields, bool asTask, std::string& text) {
  if (ctx.brain.LearningOff && Learns(type)) {
    // Skipped whole: its text would tell of learning that did not happen.
    if (ctx.brain.TraceOn) ctx.brain.Trace("[Learning Off]: " + std::string(ResponseTypeName(type)));
    if (!asTask) text.clear();
    return;
  }
  Act act{ctx, fields, asTask, text};
  if (Index(type) < kActions.size() && kActions[Index(type)])
    kActions[Index(type)](act);
  else if (!asTask)
    text = kUnknownResponseType;  // a number no response type has (Self Modify can set one)
}

}  // namespace varnex
