// Sessions kept in this process only: gone when it stops. For tests, for
// trying a brain out, and for a service whose conversations may be lost.
// Blobs are kept compressed: a conversation's histories are text, and a
// service keeps a great many idle conversations for each one that talks.
#include <zlib.h>

#include <chrono>
#include <mutex>
#include <unordered_map>

#include "server/store.h"

namespace varnex::server {

double SecondsNow() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

namespace {

// A blob as kept: deflated, with its size to inflate it back.
struct Packed {
  std::string bytes;
  uLongf size = 0;
  int64_t version = 0;
  double updated = 0;
};

bool Pack(std::string_view blob, std::string& out) {
  uLongf room = compressBound(static_cast<uLong>(blob.size()));
  out.resize(room);
  // The fastest level: most of the gain, at a small part of the cost.
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &room, reinterpret_cast<const Bytef*>(blob.data()),
                static_cast<uLong>(blob.size()), 1) != Z_OK)
    return false;
  out.resize(room);
  out.shrink_to_fit();
  return true;
}

bool Unpack(const Packed& p, std::string& out) {
  out.resize(p.size);
  uLongf size = p.size;
  return uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(p.bytes.data()),
                    static_cast<uLong>(p.bytes.size())) == Z_OK &&
         size == p.size;
}

class MemoryStore : public SessionStore {
 public:
  std::string Describe() const override { return "memory"; }

  StoreResult Load(const std::string& id, std::optional<StoredSession>& out) override {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(id);
    if (it == sessions_.end()) {
      out.reset();
      return {};
    }
    StoredSession s;
    if (!Unpack(it->second, s.blob)) return StoreResult::Failure("session " + id + " cannot be read back from memory");
    s.version = it->second.version;
    s.updated = it->second.updated;
    out = std::move(s);
    return {};
  }

  StoreResult Save(const std::string& id, std::string_view blob, int64_t expected) override {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(id);
    const int64_t current = it == sessions_.end() ? 0 : it->second.version;
    if (current != expected) return Conflict(id);
    std::string packed;
    if (!Pack(blob, packed)) return StoreResult::Failure("session " + id + " could not be kept: out of memory");
    Packed& s = it == sessions_.end() ? sessions_[id] : it->second;
    s.bytes = std::move(packed);
    s.size = static_cast<uLongf>(blob.size());
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
  std::unordered_map<std::string, Packed> sessions_;
};

}  // namespace

std::unique_ptr<SessionStore> MakeMemoryStore() { return std::make_unique<MemoryStore>(); }

}  // namespace varnex::server
