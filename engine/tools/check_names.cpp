// Checks of the names that actions, fragments and tags use: each must be
// defined by a statement or be one that some action can create. Names
// made from tags are known only at run time and are never judged. Also
// the files a brain reads and the programs and libraries it would run.
#include <algorithm>
#include <map>
#include <set>

#include "engine/actions/procedures.h"
#include "engine/base/text_search.h"
#include "engine/tools/check_context.h"
#include "platform/text_file.h"

namespace varnex::check {
namespace {

std::string Quoted(std::string_view name) {
  std::string q(1, '"');
  q.append(name);
  q += '"';
  return q;
}

// Reports a name that `defined` lacks, once per record and name.
class NameCheck {
 public:
  explicit NameCheck(Context& ctx) : ctx_(ctx) {}
  void Need(const ObjectClass* at, std::string_view name, const NameSet& defined, const char* check,
            const std::string& message) {
    if (!IsDynamic(name) && !defined.Has(name)) Tell(at, name, check, message);
  }
  void Tell(const ObjectClass* at, std::string_view name, const char* check, const std::string& message) {
    if (told_.insert({at, check, UpperCase(name)}).second) ctx_.Report(at, false, message, check);
  }

 private:
  Context& ctx_;
  std::set<std::tuple<const ObjectClass*, std::string, std::string>> told_;
};

const char* KindName(ObjectKind k) {
  switch (k) {
    case ObjectKind::Fragment: return "a fragment";
    case ObjectKind::Task: return "a task";
    case ObjectKind::Response: return "a response";
    case ObjectKind::Threshold: return "a threshold";
    case ObjectKind::State: return "a state response";
    case ObjectKind::Pattern: return "a clause";
    case ObjectKind::Knowledge: return "a mode";
    case ObjectKind::StepPattern: return "a step clause";
    case ObjectKind::Step: return "a step";
    case ObjectKind::Proc: return "a procedure";
    case ObjectKind::Collection: return "a collection";
    case ObjectKind::Brain: return "the brain";
  }
  return "a record";
}

bool RunsProcedures(const ResponseClass& r) {
  for (const auto& t : r.Tasks)
    if (t->ResponseType == ResponseType::StartProc || t->ResponseType == ResponseType::CallProc ||
        t->ResponseType == ResponseType::ProcReturn)
      return true;
  return false;
}

void CheckUse(Context& ctx, NameCheck& need, const Use& u) {
  const Names& n = ctx.names;
  const std::string_view name = *u.name;
  switch (u.type) {
    case ResponseType::ModeChange:
      need.Need(u.record, name, n.modes, "undefined-mode",
                Cat({"Mode Change to ", Quoted(name), ": no mode has that name"}));
      break;
    case ResponseType::StartProc:
    case ResponseType::CallProc:
      need.Need(u.record, name, n.procs, "undefined-procedure",
                Cat({ResponseTypeName(u.type), " ", Quoted(name), ": no procedure has that name"}));
      break;
    case ResponseType::GotoStep:
      // In a step clause whose task list starts no other procedure, the
      // step must be one of its own procedure.
      if (u.proc && !n.steps.open && !RunsProcedures(*u.response) && !IsDynamic(name)) {
        if (!FindStep(*u.proc, name))
          need.Tell(u.record, name, "undefined-step",
                    Cat({"Goto Step ", Quoted(name), ": procedure ", Quoted(u.proc->TheName.view()),
                         " has no step of that name"}));
      } else {
        need.Need(u.record, name, n.steps, "undefined-step",
                  Cat({"Goto Step ", Quoted(name), ": no procedure has such a step"}));
      }
      break;
    case ResponseType::RemoveFromCollection:
    case ResponseType::SaveCollection:
    case ResponseType::ClearCollection:
    case ResponseType::ParseCollection:
    case ResponseType::MergeCollection:
    case ResponseType::SetUnsorted:
      need.Need(u.record, name, n.collections, "undefined-collection",
                Cat({ResponseTypeName(u.type), " of ", Quoted(name), ": no collection has that name"}));
      break;
    case ResponseType::MakeCode:
      need.Need(u.record, *u.out, n.collections, "undefined-collection",
                Cat({"Make Code of ", Quoted(*u.out), ": no collection has that name"}));
      break;
    case ResponseType::SelfModify:
    case ResponseType::DeleteObject:
      need.Need(u.record, *u.out, n.objects, "undefined-object",
                Cat({ResponseTypeName(u.type), " of ", Quoted(*u.out), ": no record has that name"}));
      break;
    case ResponseType::DoResponseFor: {
      need.Need(u.record, name, n.objects, "undefined-object",
                Cat({"Do Response For ", Quoted(name), ": no record has that name"}));
      // Only clauses answer; the record a lookup finds is the first named so.
      const ObjectClass* found = IsDynamic(name) ? nullptr : ctx.brain.NamedObjects.Find(name);
      if (found && found->Kind != ObjectKind::Pattern && found->Kind != ObjectKind::StepPattern && !n.objects.open)
        need.Tell(u.record, name, "undefined-object",
                  Cat({"Do Response For ", Quoted(name), " names ", KindName(found->Kind),
                       ", and only clauses and step clauses answer"}));
      break;
    }
    case ResponseType::LoadCollection: {
      const std::string_view file = *u.value;
      if (file.empty() || IsDynamic(file) || n.written.Has(file) || IsRegularFile(std::string(file))) break;
      ctx.Report(u.record, false, Cat({"Load Collection reads ", Quoted(file), ", and there is no such file"}),
                 "missing-file");
      break;
    }
    case ResponseType::Action:
      ctx.Note(u.record, Cat({"runs the program: ", name}), "runs-program");
      break;
    case ResponseType::CallDLL:
      ctx.Note(u.record, Cat({"calls the function ", Quoted(*u.value), " of the library ", Quoted(name)}),
               "runs-program");
      break;
    default: break;
  }
}

void CheckFragment(Context& ctx, NameCheck& need, const WordFragmentClass& f) {
  const Names& n = ctx.names;
  switch (f.Relation) {
    case PatternType::StateMatch:
      need.Need(&f, f.TheName, n.states, "undefined-state",
                Cat({"State-Match of ", Quoted(f.TheName), ": no STATE line or State Change makes that state"}));
      break;
    case PatternType::DataMatch:
      // The fact's name is taken as written, tags and all.
      if (!n.facts.Has(f.TheName) && !n.facts.open)
        need.Tell(&f, f.TheName, "unset-fact",
                  Cat({"Data-Match reads the fact ", Quoted(f.TheName), ", which nothing sets"}));
      break;
    case PatternType::InCollection:
    case PatternType::InCollectionSub:
      if (!n.collections.Has(f.TheName) && !n.collections.open)
        need.Tell(&f, f.TheName, "undefined-collection",
                  Cat({PatternTypeName(f.Relation), " of ", Quoted(f.TheName), ": no collection has that name"}));
      break;
    case PatternType::External:
      ctx.Note(&f, Cat({"scores with the function ", Quoted(f.TheName), " of the library ", Quoted(f.WordFrag)}),
               "runs-program");
      break;
    default: break;
  }
}

// The facts and collections that the tags of a text read.
void CheckReads(Context& ctx, NameCheck& need, const ObjectClass* at, std::string_view text) {
  ForEachTag(text, [&](const TagAt& tag) {
    const TagReads reads = ReadsOf(tag);
    if (reads.fact)
      need.Need(at, *reads.fact, ctx.names.facts, "unset-fact",
                Cat({"^Fact{", *reads.fact,
                     "} reads a fact that no FACT line, Assignment, EXTRACT fragment or library call sets"}));
    for (std::string_view c : reads.collections)
      need.Need(at, c, ctx.names.collections, "undefined-collection",
                Cat({text.substr(tag.caret, tag.word.size() + 2), " reads the collection ", Quoted(c),
                     ", which nothing defines or creates"}));
  });
}

// State responses compare the state's name exactly, letter case included,
// and a state keeps the spelling it was first made with: by a state line
// when the brain is read, else by the State Change that runs first.
void CheckStateResponse(Context& ctx, NameCheck& need, const StateClass& s) {
  const std::string_view state = s.State;
  if (ctx.names.states.open) return;
  auto mismatch = [&](std::string_view known) {
    ctx.Report(&s, false,
               Cat({"state response for ", Quoted(state), " never applies: the state is named ", Quoted(known),
                    ", and state responses compare letter case"}),
               "undefined-state");
  };
  for (const auto& known : ctx.brain.StateNames) {
    if (known == state) return;
    if (EqualsNoCase(known, state)) return mismatch(known);
  }
  const auto& made = ctx.names.stateSpellings;
  if (std::find(made.begin(), made.end(), state) != made.end()) return;
  for (const auto& known : made)
    if (EqualsNoCase(known, state)) return mismatch(known);
  need.Need(&s, state, ctx.names.states, "undefined-state",
            Cat({"state response for ", Quoted(state), ": no STATE line or State Change makes that state"}));
}

void CheckProcedures(Context& ctx) {
  const Names& n = ctx.names;
  for (const auto& proc : ctx.brain.Procs) {
    if (!n.started.Has(proc->TheName)) {
      ctx.Report(proc.get(), false,
                 Cat({"procedure ", Quoted(proc->TheName), " is never started: no Start Proc or Call Proc names it"}),
                 "procedure-never-started");
      continue;  // its steps are not reached either
    }
    for (std::size_t i = 0; i < proc->Steps.size() && i < proc->StepNames.size(); ++i) {
      const std::string& name = proc->StepNames[i];
      if (EqualsNoCase(name, proc->StartStep) || n.reached.Has(name)) continue;
      ctx.Report(proc->Steps[i].get(), false,
                 Cat({"step ", Quoted(name), " is never reached: it is not the first step and no Goto Step names it"}),
                 "step-never-reached");
    }
  }
}

// Labels belong to one task list: Goto and BranchIf jump to a Set Label of
// their own list, found by its trimmed name ignoring case.
void CheckLabels(Context& ctx, NameCheck& need, const ResponseClass& r) {
  NameSet labels;
  std::map<std::string, const TaskClass*> first;
  for (const auto& t : r.Tasks) {
    if (t->ResponseType != ResponseType::SetLabel) continue;
    const std::string_view label = TrimView(t->TheName);
    labels.Add(label);
    if (IsDynamic(label)) continue;
    auto [it, added] = first.emplace(UpperCase(label), t.get());
    if (!added)
      need.Tell(t.get(), label, "duplicate-name",
                Cat({"label ", Quoted(label), " is set again in this task list (first at line ",
                     std::to_string(ctx.Where(it->second).line), "); every jump goes to only one of them"}));
  }
  for (const auto& t : r.Tasks) {
    if (t->ResponseType != ResponseType::Goto && t->ResponseType != ResponseType::BranchIf) continue;
    const std::string_view label = TrimView(t->TheName);
    need.Need(t.get(), label, labels, "undefined-label",
              Cat({ResponseTypeName(t->ResponseType), " to ", Quoted(label),
                   ": no Set Label of this task list has that label, so it never jumps"}));
  }
}

}  // namespace

void CheckNames(Context& ctx) {
  NameCheck need(ctx);
  for (const Use& u : ctx.uses) {
    CheckUse(ctx, need, u);
    if (u.record == u.response) CheckLabels(ctx, need, *u.response);
    for (const Text* t : ExpandedTexts(u)) CheckReads(ctx, need, u.record, *t);
  }
  for (const WordFragmentClass* f : ctx.fragments) {
    CheckFragment(ctx, need, *f);
    for (const Text* t : {&f->WordFrag, &f->TheName, &f->TheValue}) CheckReads(ctx, need, f, *t);
  }
  for (const auto& k : ctx.brain.Knowledge)
    for (const auto& p : k->Patterns)
      for (const auto& s : p->States) CheckStateResponse(ctx, need, *s);
  for (const auto& proc : ctx.brain.Procs)
    for (const auto& step : proc->Steps) CheckReads(ctx, need, step.get(), step->ThePrompt);
  CheckProcedures(ctx);
}

}  // namespace varnex::check
