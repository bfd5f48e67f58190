// Sessions kept in this process only: gone when it stops. For tests, for
// trying a brain out, and for a service whose conversations may be lost.
#include <chrono>
#include <mutex>
#include <unordered_map>

#include "server/store.h"

namespace varnex::server {

double SecondsNow() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

namespace {

class MemoryStore : public SessionStore {
 public:
  std::string Describe() const override { return "memory"; }

  StoreResult Load(const std::string& id, std::optional<StoredSession>& out) override {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(id);
    if (it == sessions_.end())
      out.reset();
    else
      out = it->second;
    return {};
  }

  StoreResult Save(const std::string& id, std::string_view blob, int64_t expected) override {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(id);
    const int64_t current = it == sessions_.end() ? 0 : it->second.version;
    if (current != expected) return Conflict(id);
    StoredSession& s = it == sessions_.end() ? sessions_[id] : it->second;
    s.blob.assign(blob);
    s.version = current + 1;
    s.updated = SecondsNow();
    return {StoreResult::Kind::Ok, "", s.version};
  }

  StoreResult Erase(const std::string& id, bool& found) override {
    std::lock_guard lock(mutex_);
    found = sessions_.erase(id) > 0;
    return {};
  }

  int64_t Count() const override {
    std::lock_guard lock(mutex_);
    return static_cast<int64_t>(sessions_.size());
  }
  bool InMemory() const override { return true; }

 private:
  static StoreResult Conflict(const std::string& id) {
    return {StoreResult::Kind::Conflict, "session " + id + " was changed or deleted meanwhile", 0};
  }

  mutable std::mutex mutex_;
  std::unordered_map<std::string, StoredSession> sessions_;
};

}  // namespace

std::unique_ptr<SessionStore> MakeMemoryStore() { return std::make_unique<MemoryStore>(); }

}  // namespace varnex::server
