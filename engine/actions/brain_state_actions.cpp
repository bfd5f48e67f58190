// The actions that change the brain's registers: mode and state changes and
// the collection operations. Collections grow only within the brain's
// limit, and an operation that would pass it changes nothing (or, for one
// member at a time, stops at the limit) and raises the engine's error.
#include "engine/actions/brain_state_actions.h"

#include <memory>

#include "engine/base/find_word.h"

namespace varnex {

void SwitchMode(BrainClass& brain, const std::string& name) {
  if (brain.TraceOn) brain.Trace("[Switch Mode]: " + name);
  int i = brain.IndexOfKnowledge(name);
  if (i >= 0) brain.CurrentMode = i;
}

void SwitchState(BrainClass& brain, const std::string& name) {
  if (brain.TraceOn) brain.Trace("[Switch State]: " + name);
  int i = brain.IndexOfState(name);
  if (i >= 0) {
    brain.CurrentState = i;
    return;
  }
  brain.AddState(name);
  // Once more, now that the state exists: the trace line appears twice.
  if (brain.TraceOn) brain.Trace("[Switch State]: " + name);
  brain.CurrentState = brain.IndexOfState(name);
}

void ResetState(BrainClass& brain) { brain.CurrentState = -1; }

DataCollectionClass* FindOrCreateCollection(BrainClass& brain, const std::string& name) {
  if (DataCollectionClass* c = brain.FindCollection(name)) return c;
  if (name.empty()) return nullptr;
  auto owned = std::make_unique<DataCollectionClass>();
  DataCollectionClass* c = owned.get();
  c->MadeWhileRunning = true;  // it belongs to the conversation that made it
  brain.AddCollection(name, std::move(owned));
  return c;
}

void AddToCollection(BrainClass& brain, const std::string& collection, const std::string& member) {
  if (brain.TraceOn) brain.Trace("[Add Member]: {" + member + "} To: {" + collection + "}");
  if (DataCollectionClass* c = FindOrCreateCollection(brain, collection))
    c->AddMember(member, brain.Limits.CollectionMembers);
}

void RemoveFromCollection(BrainClass& brain, const std::string& collection, const std::string& member) {
  if (brain.TraceOn) brain.Trace("[Remove Member]: {" + member + "} From: {" + collection + "}");
  if (DataCollectionClass* c = brain.FindCollection(collection)) c->RemoveMember(member);
}

void LoadCollection(BrainClass& brain, const std::string& collection, const std::string& file) {
  if (DataCollectionClass* c = FindOrCreateCollection(brain, collection))
    c->LoadMembers(file, brain.Limits.CollectionMembers);
}

void SaveCollection(BrainClass& brain, const std::string& collection, const std::string& file) {
  if (DataCollectionClass* c = brain.FindCollection(collection)) c->SaveMembers(file);
}

void ClearCollection(BrainClass& brain, const std::string& collection) {
  if (DataCollectionClass* c = brain.FindCollection(collection)) c->ClearMembers();
}

void ParseCollection(BrainClass& brain, const std::string& source, const std::string& target, const std::string& text) {
  DataCollectionClass* src = brain.FindCollection(source);
  if (!src) return;
  DataCollectionClass* dst = FindOrCreateCollection(brain, target);
  if (!dst) return;
  // A copy: the source may be the target.
  // A copy: the source may be the target.
  const std::vector<std::string> members = src->Members;
  for (std::size_t i = 0; i < members.size(); ++i) {
    // Every member is searched for in the text: enough work to need a safe
    // point now and then.
    if (i % 256 == 255) brain.CheckRun();
    int32_t pos = 0;
    if (FindWord(members[i], text, pos)) dst->AddMember(members[i], brain.Limits.CollectionMembers);
  }
}

void MergeCollection(BrainClass& brain, const std::string& source, const std::string& target) {
  DataCollectionClass* src = brain.FindCollection(source);
  if (!src) return;
  DataCollectionClass* dst = FindOrCreateCollection(brain, target);
  if (!dst) return;
  dst->AddAll(src->Members, brain.Limits.CollectionMembers);
}

void WordsToCollection(BrainClass& brain, const std::string& text, const std::string& collection) {
  DataCollectionClass* c = FindOrCreateCollection(brain, collection);
  if (!c) return;
  c->AddAll(SplitWords(text), brain.Limits.CollectionMembers);
}

void SetUnsorted(BrainClass& brain, const std::string& collection) {
  if (DataCollectionClass* c = brain.FindCollection(collection)) c->SetSorted(false);
}

}  // namespace varnex
