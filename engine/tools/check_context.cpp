// The checker's view of a brain: where each record was read, every action
// with the texts it reads, and the names the brain defines or can create.
#include "engine/tools/check_context.h"

#include "engine/base/text_search.h"
#include "engine/language/reader.h"

namespace varnex::check {

bool IsDynamic(std::string_view text) { return text.find('^') != std::string_view::npos; }

void NameSet::Add(std::string_view name) {
  if (IsDynamic(name))
    open = true;
  else
    names_.insert(UpperCase(name));
}

bool NameSet::Has(std::string_view name) const { return open || names_.count(UpperCase(name)) > 0; }

Context::Context(BrainClass& b, std::vector<Statement> s, std::vector<Finding>& findings)
    : brain(b), statements(std::move(s)), findings_(findings) {
  for (std::size_t i = 0; i < statements.size(); ++i)
    if (statements[i].fresh) madeAt_.emplace(statements[i].record, i);
  CollectUses(brain, uses, fragments);
  CollectNames(brain, uses, fragments, names);
  names.AddCodeOf(brain);
}

Location Context::Where(const ObjectClass* record) const {
  auto it = madeAt_.find(record);
  if (it != madeAt_.end()) return statements[it->second].at;
  return {statements.empty() ? std::string() : statements.front().at.file, 0};
}

void Context::Report(const Location& at, bool error, std::string message, const char* check) {
  findings_.push_back({at.file, at.line, error ? Finding::Severity::Error : Finding::Severity::Warning,
                       std::move(message), check});
}

void Context::Note(const ObjectClass* at, std::string message, const char* check) {
  const Location where = Where(at);
  findings_.push_back({where.file, where.line, Finding::Severity::Note, std::move(message), check});
}

namespace {

void AddResponses(const OwnedList<ResponseClass>& responses, const ProcClass* proc, std::vector<Use>& uses) {
  for (const auto& r : responses) {
    uses.push_back({r->ResponseType, &r->OutText, &r->TheName, &r->TheValue, r.get(), r.get(), proc});
    for (const auto& t : r->Tasks)
      uses.push_back({t->ResponseType, &t->OutText, &t->TheName, &t->TheValue, t.get(), r.get(), proc});
  }
}

}  // namespace

void CollectUses(const BrainClass& brain, std::vector<Use>& uses, std::vector<const WordFragmentClass*>& fragments) {
  for (const auto& k : brain.Knowledge) {
    for (const auto& p : k->Patterns) {
      for (const auto& f : p->Fragments) fragments.push_back(f.get());
      AddResponses(p->Responses, nullptr, uses);
      for (const auto& t : p->Thresholds) AddResponses(t->Responses, nullptr, uses);
      for (const auto& s : p->States) AddResponses(s->Responses, nullptr, uses);
    }
  }
  for (const auto& proc : brain.Procs) {
    for (const auto& step : proc->Steps) {
      for (const auto& sp : step->StepPatterns) {
        for (const auto& f : sp->Fragments) fragments.push_back(f.get());
        AddResponses(sp->Responses, proc.get(), uses);
      }
    }
  }
}

namespace {

// The fact names an EXTRACT template fills: the holes ^Extr{NAME}.
void AddExtractedFacts(std::string_view tmpl, NameSet& facts) {
  const std::string upper = UpperCase(tmpl);
  std::size_t at = 0;
  for (;;) {
    const std::size_t caret = upper.find('^', at);
    if (caret == std::string::npos) return;
    if (upper.compare(caret, 6, "^EXTR{") != 0) {
      facts.open = true;  // another tag: the template is made at run time
      return;
    }
    const std::size_t close = upper.find('}', caret + 6);
    if (close == std::string::npos) return;
    facts.Add(TrimView(std::string_view(upper).substr(caret + 6, close - caret - 6)));
    at = close + 1;
  }
}

void OpenAll(Names& n) {
  for (NameSet* s : {&n.modes, &n.states, &n.procs, &n.steps, &n.collections, &n.facts, &n.objects, &n.started,
                     &n.reached, &n.written})
    s->open = true;
}

}  // namespace

void CollectNames(const BrainClass& brain, const std::vector<Use>& uses,
                  const std::vector<const WordFragmentClass*>& fragments, Names& n) {
  for (const auto& name : brain.KnowledgeNames) n.modes.Add(name);
  for (const auto& name : brain.StateNames) {
    n.states.Add(name);
    n.stateSpellings.push_back(name);
  }
  for (const auto& name : brain.ProcNames) n.procs.Add(name);
  for (const auto& proc : brain.Procs)
    for (const auto& name : proc->StepNames) n.steps.Add(name);
  for (const auto& c : brain.Collections) n.collections.Add(c.Name);
  for (const auto& name : brain.FactNames) n.facts.Add(name);
  for (const auto& [name, record] : brain.NamedObjects.Entries()) n.objects.Add(name);

  for (const Use& u : uses) {
    switch (u.type) {
      case ResponseType::StateChange:  // a new state is created
        n.states.Add(*u.name);
        n.stateSpellings.emplace_back(*u.name);
        break;
      case ResponseType::Assignment: n.facts.Add(*u.name); break;
      case ResponseType::CallDLL: n.facts.Add(*u.value); break;  // the answer is kept under the function's name
      case ResponseType::AddToCollection:
      case ResponseType::LoadCollection:
      case ResponseType::WordsToCollection: n.collections.Add(*u.name); break;
      case ResponseType::MergeCollection:
      case ResponseType::ParseCollection: n.collections.Add(*u.value); break;  // the target is created
      case ResponseType::StartProc:
      case ResponseType::CallProc: n.started.Add(*u.name); break;
      case ResponseType::GotoStep: n.reached.Add(*u.name); break;
      case ResponseType::LogThis: n.written.Add(*u.name); break;
      case ResponseType::SaveCollection: n.written.Add(*u.value); break;
      case ResponseType::SelfModify: {
        // The brain's current procedure, or a procedure's current or first
        // step, can be set by number or name.
        const std::string field = UpperCase(TrimView(*u.name));
        if (IsDynamic(field) || field == "CURRENTPROC") n.started.open = true;
        if (IsDynamic(field) || field == "CURRENTSTEP" || field == "STARTSTEP") n.reached.open = true;
        break;
      }
      default: break;
    }
  }
  for (const WordFragmentClass* f : fragments)
    if (f->Relation == PatternType::Extract) AddExtractedFacts(f->WordFrag, n.facts);
}

void Names::AddCodeOf(const BrainClass& brain) {
  std::vector<Use> uses;
  std::vector<const WordFragmentClass*> fragments;
  CollectUses(brain, uses, fragments);
  for (const Use& code : uses) {
    if (code.type != ResponseType::MakeCode) continue;
    const std::string_view name = *code.out;
    // Code that is chosen or filled at run time can define anything.
    bool unknown = IsDynamic(name);
    for (const Use& u : uses) {
      const Text* filled = nullptr;
      switch (u.type) {
        case ResponseType::AddToCollection:
        case ResponseType::LoadCollection:
        case ResponseType::WordsToCollection: filled = u.name; break;
        case ResponseType::MergeCollection:
        case ResponseType::ParseCollection: filled = u.value; break;
        default: break;
      }
      if (filled && (IsDynamic(*filled) || EqualsNoCase(*filled, name))) unknown = true;
    }
    const DataCollectionClass* c = brain.FindCollection(name);
    if (unknown) {
      OpenAll(*this);
      return;
    }
    if (!c) continue;
    // Read the code into a brain of its own and take what it defines.
    BrainClass scratch;
    LoadLanguageText(scratch, c->Members);
    std::vector<Use> codeUses;
    std::vector<const WordFragmentClass*> codeFragments;
    CollectUses(scratch, codeUses, codeFragments);
    for (const Use& u : codeUses)
      if (u.type == ResponseType::MakeCode) OpenAll(*this);  // code that makes code: not followed
    CollectNames(scratch, codeUses, codeFragments, *this);
  }
}

void ForEachTag(std::string_view text, const std::function<void(const TagAt&)>& f) {
  if (!IsDynamic(text)) return;
  // Each brace's partner, found once, so that a text of many nested tags
  // is walked in one pass rather than once per tag.
  std::vector<std::size_t> partner(text.size(), std::string_view::npos);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{') {
      open.push_back(i);
    } else if (text[i] == '}' && !open.empty()) {
      partner[open.back()] = i;
      open.pop_back();
    }
  }
  auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  for (std::size_t caret = text.find('^'); caret != std::string_view::npos; caret = text.find('^', caret + 1)) {
    std::size_t brace = caret + 1;
    while (brace < text.size() && isLetter(text[brace])) ++brace;
    if (brace == caret + 1 || brace >= text.size() || text[brace] != '{') continue;
    TagAt tag;
    tag.word = UpperCase(text.substr(caret + 1, brace - caret - 1));
    tag.caret = caret;
    const std::size_t close = partner[brace];
    if (close != std::string_view::npos) {
      tag.closed = true;
      tag.arg = text.substr(brace + 1, close - brace - 1);
      tag.end = close + 1;
      // The first bar of the argument outside inner braces.
      for (std::size_t i = brace + 1; i < close; ++i) {
        if (text[i] == '{' && partner[i] != std::string_view::npos) {
          i = partner[i];
        } else if (text[i] == '|') {
          tag.bar = i - brace - 1;
          break;
        }
      }
    }
    f(tag);
  }
}

TagReads ReadsOf(const TagAt& tag) {
  TagReads reads;
  if (!tag.closed) return reads;
  const std::string_view arg = tag.arg;
  // The collection's name ends at the first bar of the expanded argument:
  // known only when no tag comes before it.
  const std::size_t stop = arg.find_first_of("^|");
  const bool literalName = stop == std::string_view::npos || arg[stop] == '|';
  const std::string_view name = arg.substr(0, stop);
  if (tag.word == "FACT") {
    if (!IsDynamic(arg)) reads.fact = arg;
  } else if (tag.word == "MEMBER" || tag.word == "MEMBERX") {
    if (literalName) reads.collections.push_back(name);
  } else if (tag.word == "MEMBERSUB" || tag.word == "MEMBERS") {
    if (!IsDynamic(arg)) reads.collections.push_back(arg);
  } else if (tag.word == "MEMBERZ" && literalName) {
    reads.collections.push_back(name);
    const std::string_view second = stop == std::string_view::npos ? std::string_view() : arg.substr(stop + 1);
    if (stop != std::string_view::npos && !IsDynamic(second)) reads.collections.push_back(second);
  }
  return reads;
}

std::vector<const Text*> ExpandedTexts(const Use& use) {
  // An Action's command line is run as written.
  if (use.type == ResponseType::Action) return {use.out, use.value};
  return {use.out, use.name, use.value};
}

}  // namespace varnex::check
