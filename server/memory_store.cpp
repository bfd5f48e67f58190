// Sessions kept in this process only: gone when it stops. For tests, for
// trying a brain out, and for a service whose conversations may be lost.
// A conversation's histories are text, and a service keeps a great many
// idle conversations for each one that talks: a session idle for a few
// seconds is deflated, so that it costs a fraction of its size. Active ones
// stay as they are, which keeps their turns as quick as without it.
#include "server/blob_codec.h"

#include <chrono>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "server/store.h"

namespace varnex::server {

double SecondsNow() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

namespace {

// A blob as kept: as it is, or packed (deflated).
struct Packed {
  std::string bytes;
  bool deflated = false;
  int64_t version = 0;
  double updated = 0;
};

class MemoryStore : public SessionStore {
 public:
  explicit MemoryStore(double idleSeconds) : idleSeconds_(idleSeconds) {}
  std::string Describe() const override { return "memory"; }

  StoreResult Load(const std::string& id, std::optional<StoredSession>& out) override {
    Packed p;
    {
      std::lock_guard lock(mutex_);
      const auto it = sessions_.find(id);
      if (it == sessions_.end()) {
        out.reset();
        return {};
      }
      p = it->second;
    }
    // Inflated outside the lock, so that sessions are read in parallel.
    StoredSession s;
    if (!UnpackBlob(p.bytes, s.blob, s.damaged)) s.blob.clear();
    s.version = p.version;
    s.updated = p.updated;
    out = std::move(s);
    return {};
  }

  StoreResult Save(const std::string& id, std::string_view blob, int64_t expected) override {
    {
      std::lock_guard lock(mutex_);
      const auto it = sessions_.find(id);
      const int64_t current = it == sessions_.end() ? 0 : it->second.version;
      if (current != expected) return Conflict(id);
      Packed& s = it == sessions_.end() ? sessions_[id] : it->second;
      s.bytes.assign(blob);
      s.deflated = false;
      s.version = current + 1;
      s.updated = SecondsNow();
      expected = s.version;
    }
    DeflateIdle();
    return {StoreResult::Kind::Ok, "", expected};
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
  // Deflates the sessions idle for idleSeconds_, at most once a second. The
  // work is done outside the lock; a session written meanwhile keeps its
  // new blob.
  void DeflateIdle() {
    const double now = SecondsNow();
    std::vector<std::pair<std::string, Packed>> idle;
    {
      std::lock_guard lock(mutex_);
      if (now - lastSweep_ < 1) return;
      lastSweep_ = now;
      for (const auto& [id, p] : sessions_)
        if (!p.deflated && now - p.updated >= idleSeconds_) idle.emplace_back(id, p);
    }
    for (auto& [id, p] : idle) {
      std::string packed = PackBlob(p.bytes);
      if (!IsPackedBlob(packed)) continue;  // kept as it is
      packed.shrink_to_fit();
      std::lock_guard lock(mutex_);
      const auto it = sessions_.find(id);
      if (it == sessions_.end() || it->second.version != p.version || it->second.deflated) continue;
      it->second.bytes = std::move(packed);
      it->second.deflated = true;
    }
  }

  static StoreResult Conflict(const std::string& id) {
    return {StoreResult::Kind::Conflict, "session " + id + " was changed or deleted meanwhile", 0};
  }

  mutable std::mutex mutex_;
  std::unordered_map<std::string, Packed> sessions_;
  const double idleSeconds_;
  double lastSweep_ = 0;
};

}  // namespace

std::unique_ptr<SessionStore> MakeMemoryStore(double idleSeconds) { return std::make_unique<MemoryStore>(idleSeconds); }

}  // namespace varnex::server
