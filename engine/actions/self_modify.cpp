// Actions that change the brain's own definitions: clauses learnt from the
// conversation, records deleted, Language text read from a collection.
// A record that is running when it is deleted or replaced is retired, not
// destroyed: it stays alive until the outermost operation ends.
#include "engine/actions/self_modify.h"

#include <algorithm>
#include <memory>

#include "engine/records/attach.h"
#include "engine/records/type_names.h"
#include "engine/template/expand_tags.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"
#include "engine/language/reader.h"

namespace varnex {
namespace {

PatternClass* LastPattern(BrainClass& brain) {
  if (brain.LastPatternName.empty()) return nullptr;
  ObjectClass* r = brain.NamedObjects.Find(brain.LastPatternName);
  return r && r->Kind == ObjectKind::Pattern ? static_cast<PatternClass*>(r) : nullptr;
}

std::unique_ptr<ResponseClass> JustText(BrainClass& brain, const std::string& text) {
  auto r = std::make_unique<ResponseClass>();
  r->ResponseType = ResponseType::JustText;
  r->OutText = text;
  r->ObjectName = NewAutoName(brain);
  return r;
}

// Moves the record at `record` out of an owning list and retires it.
template <class T>
void RetireFrom(BrainClass& brain, OwnedList<T>& list, ObjectClass* record) {
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == record; });
  if (it == list.end()) return;
  AnyRecord owned = std::move(*it);
  list.erase(it);
  brain.Retire(std::move(owned));
}

// Like RetireFrom, for registries whose names run parallel to the records.
template <class T>
void RetireFromRegistry(BrainClass& brain, std::vector<std::string>& names, OwnedList<T>& list,
                        ObjectClass* record) {
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == record; });
  if (it == list.end()) return;
  std::size_t i = static_cast<std::size_t>(it - list.begin());
  if (i < names.size()) names.erase(names.begin() + static_cast<std::ptrdiff_t>(i));
  AnyRecord owned = std::move(*it);
  list.erase(it);
  brain.Retire(std::move(owned));
}

}  // namespace

void CreateAutoPattern(BrainClass& brain, const std::string& words, const std::string& weight,
                       const std::string& answer) {
  if (words.empty()) return;
  std::vector<std::string> split = SplitWords(words);
  if (split.empty()) return;
  KnowledgeClass* target = brain.CurrentKnowledge();
  if (!target) return;  // no current mode: nothing to grow
  const int32_t w = WholeNumberOr(weight, 0);
  auto p = std::make_unique<PatternClass>();
  p->ObjectName = NewAutoName(brain);
  if (w > 0)
    p->OrderBonus = CheckedMul(CheckedAdd(CheckedMul(2, w / 3), 1), static_cast<int32_t>(split.size()));
  PatternClass& pattern = *AddPatternToKnowledge(*target, std::move(p));
  AddResponseToPattern(pattern, JustText(brain, answer));
  for (auto& word : split) {
    auto f = std::make_unique<WordFragmentClass>();
    f->WordFrag = std::move(word);
    f->Relation = PatternType::Custom;
    f->Bonus = w;
    AddFragmentToPattern(pattern, std::move(f));
  }
}

void AddResponseToLastPattern(BrainClass& brain, const std::string& text) {
  if (text.empty()) return;
  if (PatternClass* p = LastPattern(brain)) AddResponseToPattern(*p, JustText(brain, text));
}

void AddFragmentToLastPattern(BrainClass& brain, const std::string& text, const std::string& weight) {
  if (text.empty()) return;
  PatternClass* p = LastPattern(brain);
  if (!p) return;
  auto f = std::make_unique<WordFragmentClass>();
  f->WordFrag = text;
  f->Relation = PatternType::Custom;
  f->Bonus = WholeNumberOr(weight, 0);
  f->ObjectName = NewAutoName(brain);
  AddFragmentToPattern(*p, std::move(f));
}

void DeleteObject(BrainClass& brain, const std::string& name) {
  ObjectClass* r = brain.NamedObjects.RemoveFirst(name);
  if (!r) return;
  switch (r->Kind) {
    case ObjectKind::Fragment: {
      auto* f = static_cast<WordFragmentClass*>(r);
      if (!f->Owner) break;
      if (f->Owner->Kind == ObjectKind::Pattern)
        RetireFrom(brain, static_cast<PatternClass*>(f->Owner)->Fragments, r);
      else
        RetireFrom(brain, static_cast<StepPatternClass*>(f->Owner)->Fragments, r);
      break;
    }
    case ObjectKind::Task:
      if (auto* owner = static_cast<TaskClass*>(r)->Owner) RetireFrom(brain, owner->Tasks, r);
      break;
    case ObjectKind::Response: {
      ObjectClass* owner = static_cast<ResponseClass*>(r)->Owner;
      if (!owner) break;
      switch (owner->Kind) {
        case ObjectKind::Pattern: RetireFrom(brain, static_cast<PatternClass*>(owner)->Responses, r); break;
        case ObjectKind::Threshold: RetireFrom(brain, static_cast<ThresholdClass*>(owner)->Responses, r); break;
        case ObjectKind::State: RetireFrom(brain, static_cast<StateClass*>(owner)->Responses, r); break;
        case ObjectKind::StepPattern: RetireFrom(brain, static_cast<StepPatternClass*>(owner)->Responses, r); break;
        default: break;
      }
      break;
    }
    case ObjectKind::Threshold:
      if (auto* owner = static_cast<ThresholdClass*>(r)->Owner) RetireFrom(brain, owner->Thresholds, r);
      break;
    case ObjectKind::State:
      if (auto* owner = static_cast<StateClass*>(r)->Owner) RetireFrom(brain, owner->States, r);
      break;
    case ObjectKind::Pattern:
      if (auto* owner = static_cast<PatternClass*>(r)->Owner) RetireFrom(brain, owner->Patterns, r);
      break;
    case ObjectKind::Knowledge: RetireFromRegistry(brain, brain.KnowledgeNames, brain.Knowledge, r); break;
    case ObjectKind::Collection:
      brain.Retire(brain.TakeCollection(static_cast<DataCollectionClass*>(r)));
      break;
    case ObjectKind::StepPattern:
      if (auto* owner = static_cast<StepPatternClass*>(r)->Owner) RetireFrom(brain, owner->StepPatterns, r);
      break;
    case ObjectKind::Step:
      if (auto* owner = static_cast<StepClass*>(r)->Owner)
        RetireFromRegistry(brain, owner->StepNames, owner->Steps, r);
      break;
    case ObjectKind::Proc: RetireFromRegistry(brain, brain.ProcNames, brain.Procs, r); break;
    case ObjectKind::Brain: break;
  }
}

void MakeCode(BrainClass& brain, const std::string& collection) {
  DataCollectionClass* c = brain.FindCollection(collection);
  if (!c) return;
  // A copy: the lines may replace the very collection they come from.
  const std::vector<std::string> lines = c->Members;
  LoadLanguageText(brain, lines);
}

}  // namespace varnex
