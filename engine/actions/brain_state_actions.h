// The actions that change the brain's conversational state: the current
// mode and state, and the members of data collections.
#pragma once

#include <string>
#include <string_view>

#include "engine/records/brain.h"

namespace varnex {

void SwitchMode(BrainClass& brain, const std::string& name);
void SwitchState(BrainClass& brain, const std::string& name);
void ResetState(BrainClass& brain);

// Finds a collection by name, creating and registering it when missing. A
// collection without a name cannot be registered, so none is made: null.
DataCollectionClass* FindOrCreateCollection(BrainClass& brain, const std::string& name);

void AddToCollection(BrainClass& brain, const std::string& collection, const std::string& member);
void RemoveFromCollection(BrainClass& brain, const std::string& collection, const std::string& member);
void LoadCollection(BrainClass& brain, const std::string& collection, const std::string& file);
void SaveCollection(BrainClass& brain, const std::string& collection, const std::string& file);
void ClearCollection(BrainClass& brain, const std::string& collection);
void ParseCollection(BrainClass& brain, const std::string& source, const std::string& target, const std::string& text);
void MergeCollection(BrainClass& brain, const std::string& source, const std::string& target);
void WordsToCollection(BrainClass& brain, const std::string& text, const std::string& collection);
void SetUnsorted(BrainClass& brain, const std::string& collection);

}  // namespace varnex
