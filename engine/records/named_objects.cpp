// Named objects: names to records, ignoring case, with a reverse index so
// that a retired record drops every name it had.
#include "engine/records/named_objects.h"

#include <algorithm>

#include "engine/base/text_search.h"

namespace varnex {

void NamedObjectRegistry::Add(std::string_view name, ObjectClass* record) {
  std::string key = UpperCase(name);
  byKey_[key].push_back(Entry{std::string(name), record, nextSeq_++});
  keysOf_.emplace(record, std::move(key));
  ++size_;
}

ObjectClass* NamedObjectRegistry::Find(std::string_view name) const {
  auto it = byKey_.find(UpperCase(name));
  if (it == byKey_.end() || it->second.empty()) return nullptr;
  return it->second.front().record;
}

void NamedObjectRegistry::Forget(const ObjectClass* record, const std::string& key) {
  auto [from, to] = keysOf_.equal_range(record);
  for (auto it = from; it != to; ++it) {
    if (it->second == key) {
      keysOf_.erase(it);
      return;
    }
  }
}

ObjectClass* NamedObjectRegistry::RemoveFirst(std::string_view name) {
  std::string key = UpperCase(name);
  auto it = byKey_.find(key);
  if (it == byKey_.end() || it->second.empty()) return nullptr;
  ObjectClass* r = it->second.front().record;
  it->second.erase(it->second.begin());
  if (it->second.empty()) byKey_.erase(it);
  Forget(r, key);
  --size_;
  return r;
}

void NamedObjectRegistry::RemoveRecord(const ObjectClass* record) {
  auto [from, to] = keysOf_.equal_range(record);
  if (from == to) return;
  std::vector<std::string> keys;
  for (auto it = from; it != to; ++it) keys.push_back(it->second);
  keysOf_.erase(record);
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  for (const auto& key : keys) {
    auto bucket = byKey_.find(key);
    if (bucket == byKey_.end()) continue;
    auto& v = bucket->second;
    std::size_t before = v.size();
    v.erase(std::remove_if(v.begin(), v.end(), [&](const Entry& e) { return e.record == record; }), v.end());
    size_ -= before - v.size();
    if (v.empty()) byKey_.erase(bucket);
  }
}

std::vector<std::pair<std::string, ObjectClass*>> NamedObjectRegistry::Entries() const {
  std::vector<const Entry*> all;
  all.reserve(size_);
  for (const auto& [key, v] : byKey_)
    for (const auto& e : v) all.push_back(&e);
  std::sort(all.begin(), all.end(), [](const Entry* a, const Entry* b) { return a->seq < b->seq; });
  std::vector<std::pair<std::string, ObjectClass*>> out;
  out.reserve(all.size());
  for (const Entry* e : all) out.emplace_back(e->name, e->record);
  return out;
}

}  // namespace varnex
