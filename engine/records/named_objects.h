// The brain's registry of named records. Lookups ignore case and find the
// first entry of a name; a second record of the same name is appended, not
// substituted. The registry does not own the records.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/records/object.h"

namespace varnex {

class NamedObjectRegistry {
 public:
  void Add(std::string_view name, ObjectClass* record);
  ObjectClass* Find(std::string_view name) const;  // first entry, or null
  bool Contains(std::string_view name) const { return Find(name) != nullptr; }
  // Removes the first entry of the name; returns its record, or null.
  ObjectClass* RemoveFirst(std::string_view name);
  // Drops every entry of a record, whatever names it was registered under.
  void RemoveRecord(const ObjectClass* record);
  std::size_t Size() const { return size_; }
  // Entries as (name, record), in registration order.
  std::vector<std::pair<std::string, ObjectClass*>> Entries() const;

 private:
  struct Entry {
    std::string name;
    ObjectClass* record;
    uint64_t seq;
  };
  void Forget(const ObjectClass* record, const std::string& key);

  std::unordered_map<std::string, std::vector<Entry>> byKey_;  // key: upper-cased name
  // The keys each record is registered under, so that a record leaving the
  // brain is found without scanning the whole registry.
  std::unordered_multimap<const ObjectClass*, std::string> keysOf_;
  std::size_t size_ = 0;
  uint64_t nextSeq_ = 0;
};

}  // namespace varnex
