// What each response type does. Fields are expanded in the order the
// response-type table gives, because tags can change the brain or draw at
// random.
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

void ResetHitsOf(KnowledgeClass& k) {
  for (auto& p : k.Patterns) p->HitCount = 0;
}

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

void PerformAction(ActionContext& ctx, uint8_t type, const ActionFields& f, bool asTask, std::string& text) {
  BrainClass& brain = ctx.brain;
  switch (type) {
    case rt::None:
      if (!asTask) text.clear();
      break;
    case rt::JustText:
      if (asTask) brain.Output(text);
      break;
    case rt::ModeChange: SwitchMode(brain, ctx.Expand(f.TheName)); break;
    case rt::Nested:
      // Nothing in a brain sets the nested knowledge; without one a Nested
      // response only outputs its text.
      if (!asTask && ctx.response.NestedKnowledge) Answer(brain, *ctx.response.NestedKnowledge, ctx.input);
      break;
    case rt::Assignment: {
      std::string value = ctx.Expand(f.TheValue);
      brain.AddFact(ctx.Expand(f.TheName), value);
      break;
    }
    case rt::ResetHits:
      if (ctx.pattern) ctx.pattern->HitCount = 0;
      break;
    case rt::StateChange: SwitchState(brain, ctx.Expand(f.TheName)); break;
    case rt::ResetState: ResetState(brain); break;
    case rt::TaskList:
      if (!asTask) ExecuteTasks(brain, ctx.response, ctx.input);
      break;
    case rt::ResetKMHits:
      if (ctx.pattern && ctx.pattern->Owner) ResetHitsOf(*ctx.pattern->Owner);
      break;
    case rt::ResetBrainHits:
      for (auto& k : brain.Knowledge) ResetHitsOf(*k);
      break;
    case rt::AddToCollection: {
      std::string member = ctx.Expand(f.TheValue);
      AddToCollection(brain, ctx.Expand(f.TheName), member);
      break;
    }
    case rt::RemoveFromCollection: {
      std::string member = ctx.Expand(f.TheValue);
      RemoveFromCollection(brain, ctx.Expand(f.TheName), member);
      break;
    }
    case rt::Action: RunCommandLine(brain, f.TheName); break;  // exactly as written
    case rt::LogThis: {
      std::string line = ctx.Expand(f.TheValue);
      LogThis(ctx.Expand(f.TheName), line);
      break;
    }
    case rt::AskMentavo: {
      std::string directory = ctx.Expand(f.TheValue);
      text = AskMentavo(ctx.Expand(f.TheName), directory);
      if (asTask) brain.Output(text);
      break;
    }
    case rt::CallDLL: {
      std::string argument = ctx.Expand(f.OutText);
      std::string function = ctx.Expand(f.TheValue);
      CallLibraryFunction(brain, argument, function, ctx.Expand(f.TheName));
      break;
    }
    case rt::SubmitThis: {
      std::string submitted = ctx.Expand(f.TheName);
      // The input cycle installed itself when it began this run; a brain
      // driven from below it (a response run on its own) cannot submit.
      if (brain.SubmitInput) Nested(brain, "Submit This", [&] { brain.SubmitInput(brain, submitted); });
      break;
    }
    case rt::SelfModify: {
      std::string value = ctx.Expand(f.TheValue);
      std::string field = ctx.Expand(f.TheName);
      SetObjectField(brain, ctx.Expand(f.OutText), field, value);
      break;
    }
    case rt::DeleteObject: DeleteObject(brain, ctx.Expand(f.OutText)); break;
    case rt::MakeCode: MakeCode(brain, ctx.Expand(f.OutText)); break;
    case rt::DoResponseFor: DoResponseFor(brain, ctx.Expand(f.TheName)); break;
    case rt::CreateAutoPattern: {
      std::string answer = ctx.Expand(f.TheValue);
      std::string weight = ctx.Expand(f.TheName);
      CreateAutoPattern(brain, ctx.Expand(f.OutText), weight, answer);
      break;
    }
    case rt::AddResponse: AddResponseToLastPattern(brain, ctx.Expand(f.OutText)); break;
    case rt::AddFragment: {
      std::string weight = ctx.Expand(f.TheName);
      AddFragmentToLastPattern(brain, ctx.Expand(f.OutText), weight);
      break;
    }
    case rt::StartProc: StartProcedure(brain, ctx.Expand(f.TheName)); break;
    case rt::GotoStep: GotoStep(brain, ctx.Expand(f.TheName)); break;
    case rt::HaltProc: HaltProcedure(brain); break;
    case rt::CallProc: CallProcedure(brain, ctx.Expand(f.TheName)); break;
    case rt::ProcReturn: brain.PopProcCall(); break;
    case rt::LoadCollection: {
      std::string file = ctx.Expand(f.TheValue);
      LoadCollection(brain, ctx.Expand(f.TheName), file);
      break;
    }
    case rt::SaveCollection: {
      std::string file = ctx.Expand(f.TheValue);
      SaveCollection(brain, ctx.Expand(f.TheName), file);
      break;
    }
    case rt::ClearCollection: ClearCollection(brain, ctx.Expand(f.TheName)); break;
    case rt::ParseCollection: {
      std::string searched = ctx.Expand(f.OutText);
      std::string target = ctx.Expand(f.TheValue);
      ParseCollection(brain, ctx.Expand(f.TheName), target, searched);
      break;
    }
    case rt::MergeCollection: {
      std::string target = ctx.Expand(f.TheValue);
      MergeCollection(brain, ctx.Expand(f.TheName), target);
      break;
    }
    case rt::WordsToCollection: {
      std::string collection = ctx.Expand(f.TheName);
      WordsToCollection(brain, ctx.Expand(f.OutText), collection);
      break;
    }
    case rt::SetUnsorted: SetUnsorted(brain, ctx.Expand(f.TheName)); break;
    case rt::SetLabel:
    case rt::Goto:
    case rt::BranchIf:
      // Labels and jumps belong to task lists; as a response they are unknown.
      if (!asTask) text = kUnknownResponseType;
      break;
    default:
      if (type >= rt::Count && !asTask) text = kUnknownResponseType;
      break;
  }
}

}  // namespace varnex
