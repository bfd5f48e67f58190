#include "engine/records/search_keys.h"

namespace varnex {

uint32_t SearchKeys::Intern(std::string_view key) {
  auto it = ids_.find(key);
  if (it != ids_.end()) return it->second;
  const std::string& stored = storage_.emplace_back(key);
  const uint32_t id = static_cast<uint32_t>(keys_.size()) + kFirst;
  keys_.push_back(stored);
  results_.emplace_back();
  ids_.emplace(std::string_view(stored), id);
  return id;
}

}  // namespace varnex
