// Sessions in an SQLite database beside the brain, in write-ahead-log mode
// so that reads never wait for writes.
//
// Writes go through one thread that owns the writing connection. Requests
// that arrive while it commits are committed together in the next
// transaction (a group commit): each waits for the commit that holds its
// write, so no answer is sent before its session is on disk, and a busy
// service pays one sync for many sessions instead of one for each.
//
// Checkpoints (copying the log back into the database) run on a thread of
// their own, beside the writes: made by the writer after a commit, as
// SQLite does by default, each would hold every queued write back for as
// long as it takes to copy and sync a thousand pages.
#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "server/blob_codec.h"
#include "server/store.h"

namespace varnex::server {
namespace {

constexpr std::size_t kMaxBatch = 256;
constexpr int kReaders = 4;
// The log's size in pages that starts a checkpoint. A checkpoint beside
// the writes never copies the frames written while it runs, and only a log
// copied whole starts again from its beginning instead of growing: so once
// the checkpoints beside it have left at most kWriterCopies pages to copy
// (or the log has grown past kWriterCheckpointPages), the writer copies the
// rest itself between two commits, a short pause.
constexpr int kCheckpointPages = 1000;
constexpr int kWriterCopies = 256;
constexpr int kWriterCheckpointPages = 4000;

// What a full disk means in SQLite's terms, said plainly. A write that
// finds no room is SQLITE_FULL (as is a store at its --max-pages), but
// growing the log's shared-memory index, which opening a database does
// first, fails as a mere "disk I/O error": the system's error tells them
// apart. That error is only set for I/O errors, and stale otherwise.
std::string FullDisk(sqlite3* db) {
  if (sqlite3_extended_errcode(db) == SQLITE_FULL) return " (disk or store full)";
  const int code = sqlite3_errcode(db);
  const int system = sqlite3_system_errno(db);
  if ((code == SQLITE_IOERR || code == SQLITE_CANTOPEN) && (system == ENOSPC || system == EDQUOT))
    return std::string(" (disk full: ") + std::strerror(system) + ")";
  return "";
}

std::string Why(sqlite3* db) { return sqlite3_errmsg(db) + FullDisk(db); }

bool Exec(sqlite3* db, const char* sql, std::string& error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  error = message ? message + FullDisk(db) : Why(db);
  sqlite3_free(message);
  return false;
}

// A statement that is reset and unbound however its use ends.
class Use {
 public:
  explicit Use(sqlite3_stmt* s) : s_(s) {}
  ~Use() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
  }
  sqlite3_stmt* operator*() const { return s_; }

 private:
  sqlite3_stmt* s_;
};

class SqliteStore : public SessionStore {
 public:
  ~SqliteStore() override {
    if (writer_.joinable()) {
      {
        std::lock_guard lock(queueMutex_);
        stopping_ = true;
      }
      queueReady_.notify_all();
      writer_.join();
    }
    if (checkpointer_.joinable()) {
      {
        std::lock_guard lock(checkpointMutex_);
        checkpointStopping_ = true;
      }
      checkpointWanted_.notify_all();
      checkpointer_.join();
    }
    if (checkpointDb_) sqlite3_close(checkpointDb_);
    for (Reader& r : readers_) {
      sqlite3_finalize(r.select);
      sqlite3_close(r.db);
    }
    for (sqlite3_stmt* s : {insert_, update_, erase_}) sqlite3_finalize(s);
    // The last connection to close checkpoints the log into the database.
    if (db_) sqlite3_close(db_);
  }

  bool Open(const std::string& path, const SqliteOptions& options, std::string& error) {
    path_ = path;
    const auto fail = [&](const std::string& why) {
      error = path + ": " + why;
      return false;
    };
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
      return fail(db_ ? Why(db_) : "cannot open");
    sqlite3_busy_timeout(db_, options.busyMilliseconds);
    std::string why;
    // The first statement that reads the file: a file that is no database
    // is found here.
    sqlite3_stmt* mode = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA journal_mode=WAL", -1, &mode, nullptr) != SQLITE_OK) return fail(Why(db_));
    std::string journal;
    if (sqlite3_step(mode) == SQLITE_ROW) journal = reinterpret_cast<const char*>(sqlite3_column_text(mode, 0));
    sqlite3_finalize(mode);
    if (journal != "wal") return fail("cannot use a write-ahead log: " + (journal.empty() ? Why(db_) : journal));
    // Every commit synced: an answer sent is a session on disk.
    if (!Exec(db_, "PRAGMA synchronous=FULL", why)) return fail(why);
    if (options.maxPages > 0 &&
        !Exec(db_, ("PRAGMA max_page_count=" + std::to_string(options.maxPages)).c_str(), why))
      return fail(why);
    int64_t format = 0;
    if (!Scalar("PRAGMA user_version", format, why)) return fail(why);
    if (format > 1) return fail("a session store of a newer format (" + std::to_string(format) + ")");
    // The format is written once, when the table is made: opening a store
    // made before writes nothing, so that a start on a full disk still
    // serves its sessions (their writes refused until there is room again).
    std::string create =
        "CREATE TABLE IF NOT EXISTS sessions(id TEXT PRIMARY KEY, version INTEGER NOT NULL, "
        "blob BLOB NOT NULL, updated REAL NOT NULL)";
    if (format == 0) create += "; PRAGMA user_version=1";
    if (!Exec(db_, create.c_str(), why)) return fail(why);
    const auto prepare = [&](sqlite3* db, const char* sql, sqlite3_stmt*& s) {
      if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) == SQLITE_OK) return true;
      why = "not a session store: " + Why(db);
      return false;
    };
    if (!prepare(db_,
                 "INSERT INTO sessions(id, version, blob, updated) VALUES(?1, 1, ?2, ?3) "
                 "ON CONFLICT(id) DO NOTHING",
                 insert_) ||
        !prepare(db_, "UPDATE sessions SET version = version + 1, blob = ?2, updated = ?3 WHERE id = ?1 AND version = ?4",
                 update_) ||
        !prepare(db_, "DELETE FROM sessions WHERE id = ?1", erase_))
      return fail(why);
    int64_t count = 0;
    if (!Scalar("SELECT COUNT(*) FROM sessions", count, why)) return fail(why);
    count_ = count;
    for (int i = 0; i < kReaders; ++i) {
      Reader r;
      if (sqlite3_open_v2(path.c_str(), &r.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        why = Why(r.db);
        sqlite3_close(r.db);
        return fail(why);
      }
      sqlite3_busy_timeout(r.db, options.busyMilliseconds);
      if (!prepare(r.db, "SELECT version, blob, updated FROM sessions WHERE id = ?1", r.select)) {
        sqlite3_close(r.db);
        return fail(why);
      }
      readers_.push_back(r);
      free_.push_back(&readers_.back());
    }
    if (sqlite3_open_v2(path.c_str(), &checkpointDb_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK)
      return fail(Why(checkpointDb_));
    sqlite3_busy_timeout(checkpointDb_, options.busyMilliseconds);
    // Replaces the checkpoint SQLite would make after a commit.
    sqlite3_wal_hook(db_, &SqliteStore::LogGrew, this);
    checkpointer_ = std::thread([this] { CheckpointLoop(); });
    writer_ = std::thread([this] { WriteLoop(); });
    return true;
  }

  std::string Describe() const override { return "sqlite:" + path_; }
  int64_t Count() const override { return count_; }
  bool InMemory() const override { return false; }

  StoreResult Load(const std::string& id, std::optional<StoredSession>& out) override {
    out.reset();
    Reader* r = TakeReader();
    StoreResult result;
    {
      Use select(r->select);
      sqlite3_bind_text(*select, 1, id.data(), static_cast<int>(id.size()), SQLITE_STATIC);
      const int rc = sqlite3_step(*select);
      if (rc == SQLITE_ROW) {
        StoredSession s;
        s.version = sqlite3_column_int64(*select, 0);
        const void* bytes = sqlite3_column_blob(*select, 1);
        const std::string_view stored(static_cast<const char*>(bytes),
                                      static_cast<std::size_t>(sqlite3_column_bytes(*select, 1)));
        if (!UnpackBlob(stored, s.blob, s.damaged)) s.blob.clear();
        s.updated = sqlite3_column_double(*select, 2);
        out = std::move(s);
      } else if (rc != SQLITE_DONE) {
        result = StoreResult::Failure("the session store cannot be read: " + Why(r->db));
      }
    }
    GiveReader(r);
    return result;
  }

  StoreResult Save(const std::string& id, std::string_view blob, int64_t expected) override {
    // Deflated here, on the caller's thread, so that the one writer only
    // writes.
    const std::string packed = PackBlob(blob);
    Job job{Job::Op::Save, id, packed, expected};
    Wait(job);
    return job.result;
  }

  StoreResult Erase(const std::string& id, bool& found) override {
    Job job{Job::Op::Erase, id, {}, 0};
    Wait(job);
    found = job.found;
    return job.result;
  }

 private:
  struct Reader {
    sqlite3* db = nullptr;
    sqlite3_stmt* select = nullptr;
  };
  struct Job {
    enum class Op { Save, Erase } op;
    const std::string& id;
    std::string_view blob;
    int64_t expected = 0;
    StoreResult result{};
    bool found = false;
    int64_t delta = 0;  // what the commit changes in the count of sessions
    bool done = false;
  };

  bool Scalar(const char* sql, int64_t& value, std::string& why) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) {
      why = Why(db_);
      return false;
    }
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) value = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    if (rc != SQLITE_ROW) why = Why(db_);
    return rc == SQLITE_ROW;
  }

  Reader* TakeReader() {
    std::unique_lock lock(readerMutex_);
    readerFree_.wait(lock, [&] { return !free_.empty(); });
    Reader* r = free_.back();
    free_.pop_back();
    return r;
  }
  void GiveReader(Reader* r) {
    {
      std::lock_guard lock(readerMutex_);
      free_.push_back(r);
    }
    readerFree_.notify_one();
  }

  void Wait(Job& job) {
    std::unique_lock lock(queueMutex_);
    queue_.push_back(&job);
    queueReady_.notify_one();
    jobDone_.wait(lock, [&] { return job.done; });
  }

  void WriteLoop() {
    for (;;) {
      std::vector<Job*> batch;
      {
        std::unique_lock lock(queueMutex_);
        queueReady_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;  // stopping, and nothing left to write
        while (!queue_.empty() && batch.size() < kMaxBatch) {
          batch.push_back(queue_.front());
          queue_.pop_front();
        }
      }
      Commit(batch);
      {
        std::lock_guard lock(queueMutex_);
        for (Job* job : batch) job->done = true;
      }
      jobDone_.notify_all();
    }
  }

  // Called by SQLite on the writer's thread after each commit, with the
  // log's size in pages.
  static int LogGrew(void* self, sqlite3* db, const char*, int pages) {
    auto* store = static_cast<SqliteStore*>(self);
    if (pages < store->logPages_) store->copiedPages_ = 0;  // the log started again
    store->logPages_ = pages;
    if (pages < kCheckpointPages) return SQLITE_OK;
    if (pages - store->copiedPages_ <= kWriterCopies || pages >= kWriterCheckpointPages) {
      // Made now, with no write in progress, it copies every frame left,
      // and the next commit starts the log again.
      int logged = 0, copied = 0;
      if (sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logged, &copied) == SQLITE_OK)
        store->copiedPages_ = copied;
    } else {
      {
        std::lock_guard lock(store->checkpointMutex_);
        store->checkpointDue_ = true;
      }
      store->checkpointWanted_.notify_one();
    }
    return SQLITE_OK;
  }

  void CheckpointLoop() {
    for (;;) {
      {
        std::unique_lock lock(checkpointMutex_);
        checkpointWanted_.wait(lock, [&] { return checkpointStopping_ || checkpointDue_; });
        if (checkpointStopping_) return;
        checkpointDue_ = false;
      }
      // A passive checkpoint copies what it can without waiting for the
      // writer. Again while frames are left, a few times: once it has
      // caught up between two commits, the log starts again. A failure (a
      // full disk) leaves the frames in the log, where they are safe, for
      // the next time.
      for (int round = 0; round < 4; ++round) {
        int logged = 0, copied = 0;
        if (sqlite3_wal_checkpoint_v2(checkpointDb_, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logged, &copied) !=
            SQLITE_OK)
          break;
        copiedPages_ = copied;
        if (copied >= logged) break;
      }
    }
  }

  // Commits the batch in one transaction. When that fails, each write is
  // tried in a transaction of its own, so that one write the database
  // refuses does not fail the others.
  void Commit(const std::vector<Job*>& batch) {
    std::string why;
    if (Transaction(batch, why)) return;
    if (batch.size() == 1) {
      batch[0]->result = StoreResult::Failure("the session store failed: " + why);
      return;
    }
    for (Job* job : batch)
      if (!Transaction({job}, why)) job->result = StoreResult::Failure("the session store failed: " + why);
  }

  bool Transaction(const std::vector<Job*>& jobs, std::string& why) {
    if (!Exec(db_, "BEGIN IMMEDIATE", why)) return false;
    for (Job* job : jobs)
      if (!Apply(*job, why)) {
        if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
      }
    if (!Exec(db_, "COMMIT", why)) {
      if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      return false;
    }
    for (Job* job : jobs) count_ += job->delta;
    return true;
  }

  // One write inside the open transaction; false when the database failed.
  bool Apply(Job& job, std::string& why) {
    job.delta = 0;
    job.found = false;
    job.result = {};
    const int idSize = static_cast<int>(job.id.size());
    if (job.op == Job::Op::Erase) {
      Use erase(erase_);
      sqlite3_bind_text(*erase, 1, job.id.data(), idSize, SQLITE_STATIC);
      if (sqlite3_step(*erase) != SQLITE_DONE) {
        why = Why(db_);
        return false;
      }
      job.found = sqlite3_changes(db_) > 0;
      job.delta = job.found ? -1 : 0;
      return true;
    }
    Use write(job.expected == 0 ? insert_ : update_);
    sqlite3_bind_text(*write, 1, job.id.data(), idSize, SQLITE_STATIC);
    sqlite3_bind_blob64(*write, 2, job.blob.data(), job.blob.size(), SQLITE_STATIC);
    sqlite3_bind_double(*write, 3, SecondsNow());
    if (job.expected != 0) sqlite3_bind_int64(*write, 4, job.expected);
    if (sqlite3_step(*write) != SQLITE_DONE) {
      why = Why(db_);
      return false;
    }
    if (sqlite3_changes(db_) == 0) {
      job.result = {StoreResult::Kind::Conflict, "session " + job.id + " was changed or deleted meanwhile", 0};
      return true;
    }
    job.result.version = job.expected + 1;
    job.delta = job.expected == 0 ? 1 : 0;
    return true;
  }

  std::string path_;
  sqlite3* db_ = nullptr;  // the writing connection: the writer thread's once open
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* update_ = nullptr;
  sqlite3_stmt* erase_ = nullptr;
  std::atomic<int64_t> count_{0};

  std::deque<Reader> readers_;  // a deque: the free list points into it
  std::vector<Reader*> free_;
  std::mutex readerMutex_;
  std::condition_variable readerFree_;

  std::mutex queueMutex_;
  std::condition_variable queueReady_, jobDone_;
  std::deque<Job*> queue_;
  bool stopping_ = false;
  std::thread writer_;

  sqlite3* checkpointDb_ = nullptr;  // the checkpointer's connection
  int logPages_ = 0;                   // the log's size after the last commit (the writer's)
  // Pages of the log copied into the database. Only a hint of when the
  // writer's own checkpoint would be short: it may lag, or be from before
  // the log started again; a wrong hint costs a longer pause, nothing more.
  std::atomic<int> copiedPages_{0};
  std::mutex checkpointMutex_;
  std::condition_variable checkpointWanted_;
  bool checkpointDue_ = false, checkpointStopping_ = false;
  std::thread checkpointer_;
};

}  // namespace

std::unique_ptr<SessionStore> OpenSqliteStore(const std::string& path, std::string& error,
                                              const SqliteOptions& options) {
  auto store = std::make_unique<SqliteStore>();
  if (!store->Open(path, options, error)) return nullptr;
  return store;
}

}  // namespace varnex::server
