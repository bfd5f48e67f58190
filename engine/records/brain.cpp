// The brain's registries and the lifetime of its records. A record taken
// out while an operation runs is retired: marked, forgotten by every list
// that could reach it, and destroyed only when the outermost operation
// ends, so that no running code follows a pointer to a destroyed record.
#include "engine/records/brain.h"

#include <algorithm>

#include "engine/base/random.h"
#include "engine/records/subtree.h"
#include "engine/base/text_search.h"
#include "platform/clock.h"
#include "platform/dynamic_library.h"

namespace varnex {

BrainClass::BrainClass(TextHandler outputHandler) : ObjectClass(ObjectKind::Brain) {
  AddKnowledge("Default", std::make_unique<KnowledgeClass>());
  AddState("Normal");
  OutputHandler = std::move(outputHandler);
  LastInput = NowDays();
  MyName = "MyBrain";
  NamedObjects.Add(MyName, this);
  SeedRandomFromClock();
}

BrainClass::~BrainClass() {
  for (auto& [name, handle] : Libraries) FreeDynamicLibrary(handle);
}

void BrainClass::AddKnowledge(std::string_view name, std::unique_ptr<KnowledgeClass> knowledge) {
  KnowledgeClass* k = knowledge.get();
  HasVolition = HasVolition || k->HasVolition;
  k->TheName = std::string(name);
  k->Owner = this;
  int i = IndexOfKnowledge(name);
  if (i < 0) {
    KnowledgeNames.emplace_back(name);
    Knowledge.push_back(std::move(knowledge));
  } else {
    std::swap(Knowledge[static_cast<std::size_t>(i)], knowledge);
    Retire(std::move(knowledge));
  }
  if (Knowledge.size() == 1) CurrentMode = 0;
  LastKnowledgeName = k->ObjectName;
  if (!k->ObjectName.empty()) NamedObjects.Add(k->ObjectName, k);
}

void BrainClass::AddState(std::string_view name) {
  if (IndexOfState(name) < 0) StateNames.emplace_back(name);
  if (StateNames.size() == 1) CurrentState = 0;
}

void BrainClass::AddFact(std::string_view name, std::string_view value) {
  if (TraceOn) Trace("[Add Fact]: " + std::string(name) + " = {" + std::string(value) + "}");
  int i = IndexOfFact(name);
  if (i >= 0) {
    FactValues[static_cast<std::size_t>(i)] = std::string(value);
    return;
  }
  factIndex_.emplace(UpperCase(name), static_cast<int>(FactNames.size()));
  FactNames.emplace_back(name);
  FactValues.emplace_back(value);
}

void BrainClass::ReplaceFacts(std::vector<std::string> names, std::vector<std::string> values) {
  FactNames = std::move(names);
  FactValues = std::move(values);
  factIndex_.clear();
  // The first of equal names is the one lookups find, as when they were added.
  for (std::size_t i = 0; i < FactNames.size(); ++i) factIndex_.emplace(UpperCase(FactNames[i]), static_cast<int>(i));
}

void BrainClass::AddCollection(std::string_view name, std::unique_ptr<DataCollectionClass> collection) {
  if (name.empty()) {
    KeepUnattached(std::move(collection));
    return;
  }
  DataCollectionClass* c = collection.get();
  c->TheName = std::string(name);
  c->Owner = this;
  auto it = std::lower_bound(Collections.begin(), Collections.end(), name,
                             [](const CollectionEntry& e, std::string_view n) { return LessNoCase(e.Name, n); });
  if (it != Collections.end() && EqualsNoCase(it->Name, name)) {
    std::swap(it->Collection, collection);
    Retire(std::move(collection));
  } else {
    Collections.insert(it, CollectionEntry{std::string(name), std::move(collection)});
  }
  if (!c->ObjectName.empty()) NamedObjects.Add(c->ObjectName, c);
}

void BrainClass::AddProc(std::string_view name, std::unique_ptr<ProcClass> proc) {
  if (name.empty()) {
    KeepUnattached(std::move(proc));
    return;
  }
  ProcClass* p = proc.get();
  p->TheName = std::string(name);
  p->Owner = this;
  int i = IndexOfProc(name);
  if (i < 0) {
    ProcNames.emplace_back(name);
    Procs.push_back(std::move(proc));
  } else {
    std::swap(Procs[static_cast<std::size_t>(i)], proc);
    Retire(std::move(proc));
  }
  if (!p->ObjectName.empty()) NamedObjects.Add(p->ObjectName, p);
}

void BrainClass::PushProcCall() {
  ProcClass* running = CurrentProcedure();
  if (!running) return;
  ProcStackNames.push_back(running->TheName);
  ProcStackSteps.push_back(running->CurrentStep);
}

void BrainClass::PopProcCall() {
  if (ProcStackNames.empty()) return;
  std::string name = std::move(ProcStackNames.back());
  std::string step = std::move(ProcStackSteps.back());
  ProcStackNames.pop_back();
  ProcStackSteps.pop_back();
  CurrentProc = IndexOfProc(name);
  if (CurrentProc < 0) return;
  ProcClass* proc = Procs[static_cast<std::size_t>(CurrentProc)].get();
  proc->CurrentStep = step;
  for (std::size_t i = 0; i < proc->StepNames.size() && i < proc->Steps.size(); ++i) {
    if (EqualsNoCase(proc->StepNames[i], step)) {
      Output(proc->Steps[i]->ThePrompt);
      return;
    }
  }
}

namespace {
int IndexIn(const std::vector<std::string>& names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (EqualsNoCase(names[i], name)) return static_cast<int>(i);
  return -1;
}
}  // namespace

int BrainClass::IndexOfKnowledge(std::string_view name) const { return IndexIn(KnowledgeNames, name); }
int BrainClass::IndexOfState(std::string_view name) const { return IndexIn(StateNames, name); }
int BrainClass::IndexOfProc(std::string_view name) const { return IndexIn(ProcNames, name); }

int BrainClass::IndexOfFact(std::string_view name) const {
  auto it = factIndex_.find(UpperCase(name));
  return it == factIndex_.end() ? -1 : it->second;
}

DataCollectionClass* BrainClass::FindCollection(std::string_view name) const {
  auto it = std::lower_bound(Collections.begin(), Collections.end(), name,
                             [](const CollectionEntry& e, std::string_view n) { return LessNoCase(e.Name, n); });
  if (it != Collections.end() && EqualsNoCase(it->Name, name)) return it->Collection.get();
  return nullptr;
}

std::unique_ptr<DataCollectionClass> BrainClass::TakeCollection(DataCollectionClass* collection) {
  for (auto it = Collections.begin(); it != Collections.end(); ++it) {
    if (it->Collection.get() == collection) {
      auto owned = std::move(it->Collection);
      Collections.erase(it);
      return owned;
    }
  }
  return nullptr;
}

std::string BrainClass::GetFact(std::string_view name) const {
  int i = IndexOfFact(name);
  return i < 0 || static_cast<std::size_t>(i) >= FactValues.size() ? std::string("#")
                                                                    : FactValues[static_cast<std::size_t>(i)];
}

std::string BrainClass::CurrentStateName() const {
  if (CurrentState < 0 || static_cast<std::size_t>(CurrentState) >= StateNames.size()) return {};
  return StateNames[static_cast<std::size_t>(CurrentState)];
}

KnowledgeClass* BrainClass::CurrentKnowledge() const {
  if (CurrentMode < 0 || static_cast<std::size_t>(CurrentMode) >= Knowledge.size()) return nullptr;
  return Knowledge[static_cast<std::size_t>(CurrentMode)].get();
}

ProcClass* BrainClass::CurrentProcedure() const {
  if (CurrentProc < 0 || static_cast<std::size_t>(CurrentProc) >= Procs.size()) return nullptr;
  return Procs[static_cast<std::size_t>(CurrentProc)].get();
}

void BrainClass::Retire(AnyRecord record) {
  if (!record) return;
  bool hadPatterns = false;
  std::vector<KnowledgeClass*> owners;  // modes that lose patterns
  ForEachInSubtree(record.get(), [&](ObjectClass* r) {
    r->Retired = true;
    NamedObjects.RemoveRecord(r);
    // The mode's index and marked lists must forget what leaves it.
    if (r->Kind == ObjectKind::Pattern) {
      hadPatterns = true;
      auto* p = static_cast<PatternClass*>(r);
      if (p->Owner) {
        ++p->Owner->Layout;
        if (owners.empty() || owners.back() != p->Owner) owners.push_back(p->Owner);
      }
      Touch(p);
    } else if (r->Kind == ObjectKind::Fragment) {
      auto* f = static_cast<WordFragmentClass*>(r);
      if (f->Owner && f->Owner->Kind == ObjectKind::Pattern) Touch(static_cast<PatternClass*>(f->Owner));
    }
  });
  if (hadPatterns) {
    auto dead = [](PatternClass* p) { return p->Retired; };
    // Once per mode, not once per pattern: retiring a whole large mode
    // would otherwise cost its patterns times its marks.
    std::sort(owners.begin(), owners.end());
    owners.erase(std::unique(owners.begin(), owners.end()), owners.end());
    for (KnowledgeClass* k : owners)
      for (auto* marked : {&k->VolitionMarked, &k->HitMarked})
        marked->erase(std::remove_if(marked->begin(), marked->end(), dead), marked->end());
    DoBefore.erase(std::remove_if(DoBefore.begin(), DoBefore.end(), dead), DoBefore.end());
    DoAfter.erase(std::remove_if(DoAfter.begin(), DoAfter.end(), dead), DoAfter.end());
  }
  if (busyDepth_ > 0)
    graveyard_.push_back(std::move(record));
  // Otherwise nothing can still hold it: it is destroyed here.
}

void BrainClass::KeepUnattached(AnyRecord record) {
  if (record) unattached_.push_back(std::move(record));
}

BrainClass::BusyScope::~BusyScope() {
  if (--brain_.busyDepth_ == 0) brain_.graveyard_.clear();
}

}  // namespace varnex
