// Where sessions are kept between inputs: a session is a blob (what one
// conversation has of its own, as the engine saves it) with a version that
// grows by one on every write. A write names the version it read, so a
// write based on an old read is refused instead of losing the newer one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnex::server {

struct StoredSession {
  std::string blob;
  int64_t version = 0;  // 1 for a session written once
  double updated = 0;   // seconds since 1970, of the last write
  // Why the stored value cannot be read back as a blob (then empty): the
  // session exists, and may be started again or deleted, but not restored.
  std::string damaged;
};

// How a store call went. `error` tells a person what failed.
struct StoreResult {
  enum class Kind { Ok, Conflict, Failed } kind = Kind::Ok;
  std::string error;
  int64_t version = 0;  // after a write: the version written
  bool Ok() const { return kind == Kind::Ok; }
  static StoreResult Failure(std::string why) { return {Kind::Failed, std::move(why), 0}; }
};

class SessionStore {
 public:
  virtual ~SessionStore() = default;
  // "memory", "sqlite:PATH" or a Redis URL (without its password).
  virtual std::string Describe() const = 0;
  // The session into `out`, or nullopt there when there is none.
  virtual StoreResult Load(const std::string& id, std::optional<StoredSession>& out) = 0;
  // Writes the session if its stored version is `expected` (0: it must not
  // exist yet); Conflict otherwise. Once this returns Ok the write is
  // committed; on any other outcome the stored session is as it was.
  virtual StoreResult Save(const std::string& id, std::string_view blob, int64_t expected) = 0;
  // Removes the session; `found` tells whether there was one.
  virtual StoreResult Erase(const std::string& id, bool& found) = 0;
  // How many sessions the store keeps.
  virtual int64_t Count() const = 0;
  // Whether the store keeps its blobs in this process's memory.
  virtual bool InMemory() const = 0;
};

// Sessions idle for `idleSeconds` are kept deflated.
std::unique_ptr<SessionStore> MakeMemoryStore(double idleSeconds = 3);

struct SqliteOptions {
  // How long a write waits for another program that holds the database.
  int busyMilliseconds = 5000;
  // The most pages the database may grow to (0: no bound): a store that
  // must not outgrow its share of a disk, and a full disk in the tests.
  int64_t maxPages = 0;
};
// Opens (or creates) the database at `path` in write-ahead-log mode, with
// the table sessions(id, version, blob, updated). On failure returns null
// and says why in `error`.
std::unique_ptr<SessionStore> OpenSqliteStore(const std::string& path, std::string& error,
                                              const SqliteOptions& options = {});

// Sessions in Redis, shared by every process that opens the same URL:
//   redis://[[USER]:PASSWORD@]HOST[:PORT][/DB][?OPTIONS]
//   redis+unix://[[USER]:PASSWORD@]/PATH/TO/SOCKET[?OPTIONS]
// OPTIONS, joined by &: db=N, prefix=NAME (of every key; "varnex:" by
// default) and timeout=MILLISECONDS (for connecting and for each command;
// 2000 by default). Connects at once; on failure returns null and says why
// in `error`.
std::unique_ptr<SessionStore> OpenRedisStore(const std::string& url, std::string& error);

// The current time as the stores record it.
double SecondsNow();

}  // namespace varnex::server
