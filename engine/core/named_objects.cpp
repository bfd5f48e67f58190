#include "engine/core/named_objects.h"

#include <algorithm>

#include "engine/template/text_search.h"

namespace varnex {

void NamedObjectRegistry::Add(std::string_view name, ObjectClass* record) {
  byKey_[UpperCase(name)].push_back(Entry{std::string(name), record, nextSeq_++});
  ++size_;
}

ObjectClass* NamedObjectRegistry::Find(std::string_view name) const {
  auto it = byKey_.find(UpperCase(name));
  if (it == byKey_.end() || it->second.empty()) return nullptr;
  return it->second.front().record;
}

ObjectClass* NamedObjectRegistry::RemoveFirst(std::string_view name) {
  auto it = byKey_.find(UpperCase(name));
  if (it == byKey_.end() || it->second.empty()) return nullptr;
  ObjectClass* r = it->second.front().record;
  it->second.erase(it->second.begin());
  if (it->second.empty()) byKey_.erase(it);
  --size_;
  return r;
}

void NamedObjectRegistry::RemoveIf(const std::function<bool(const ObjectClass*)>& pred) {
  for (auto it = byKey_.begin(); it != byKey_.end();) {
    auto& v = it->second;
    std::size_t before = v.size();
    v.erase(std::remove_if(v.begin(), v.end(), [&](const Entry& e) { return pred(e.record); }), v.end());
    size_ -= before - v.size();
    it = v.empty() ? byKey_.erase(it) : std::next(it);
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
