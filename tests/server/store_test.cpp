// The session stores: what one writes is what it reads back, versions
// refuse writes based on an old read, and a write the database refuses
// leaves the session as it was.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "server/blob_codec.h"
#include "server/store.h"
#include "support/test_support.h"

namespace varnex::server {
namespace {

using test::TempDir;

std::unique_ptr<SessionStore> OpenSqlite(const std::string& path, const SqliteOptions& options = {}) {
  std::string error;
  auto store = OpenSqliteStore(path, error, options);
  EXPECT_TRUE(store) << error;
  return store;
}

std::string Read(SessionStore& store, const std::string& id) {
  std::optional<StoredSession> s;
  const StoreResult r = store.Load(id, s);
  EXPECT_TRUE(r.Ok()) << r.error;
  return s ? s->blob : "(none)";
}

// Both stores behave alike for everything but where the sessions live.
class EveryStore : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    store_ = GetParam() == "memory" ? MakeMemoryStore() : OpenSqlite(dir_.File("s.db"));
    ASSERT_TRUE(store_);
  }
  TempDir dir_;
  std::unique_ptr<SessionStore> store_;
};

TEST_P(EveryStore, WritesReadsAndChecksVersions) {
  SessionStore& s = *store_;
  EXPECT_EQ(Read(s, "ann"), "(none)");
  // A blob is bytes, zeros included.
  const std::string first("one\0two", 7);
  StoreResult r = s.Save("ann", first, 0);
  ASSERT_TRUE(r.Ok()) << r.error;
  EXPECT_EQ(r.version, 1);
  EXPECT_EQ(Read(s, "ann"), first);

  // A second "new" session of that id, or a write from an old read, is
  // refused and changes nothing.
  EXPECT_EQ(s.Save("ann", "other", 0).kind, StoreResult::Kind::Conflict);
  EXPECT_EQ(s.Save("ann", "other", 7).kind, StoreResult::Kind::Conflict);
  EXPECT_EQ(Read(s, "ann"), first);
  r = s.Save("ann", "second", 1);
  ASSERT_TRUE(r.Ok()) << r.error;
  EXPECT_EQ(r.version, 2);

  std::optional<StoredSession> loaded;
  ASSERT_TRUE(s.Load("ann", loaded).Ok());
  EXPECT_EQ(loaded->version, 2);
  EXPECT_NEAR(loaded->updated, SecondsNow(), 60);

  ASSERT_TRUE(s.Save("bo", "b", 0).Ok());
  EXPECT_EQ(s.Count(), 2);
  bool found = false;
  ASSERT_TRUE(s.Erase("ann", found).Ok());
  EXPECT_TRUE(found);
  ASSERT_TRUE(s.Erase("ann", found).Ok());
  EXPECT_FALSE(found);
  EXPECT_EQ(s.Count(), 1);
  // Writing on after a delete starts the session again from version 1.
  EXPECT_EQ(s.Save("ann", "again", 2).kind, StoreResult::Kind::Conflict);
  EXPECT_EQ(s.Save("ann", "again", 0).version, 1);
}

// Many threads writing at once (the sqlite store commits them in groups):
// every write lands, each session's versions in order.
// "s3", "s3:7": built with a stream, which GCC 12's -Wrestrict does not
// mistake for an overlapping copy as it does "s" + std::to_string(t).
std::string Name(int t, int v = -1) {
  std::ostringstream out;
  out << 's' << t;
  if (v >= 0) out << ':' << v;
  return out.str();
}

TEST_P(EveryStore, ConcurrentWritersAllLand) {
  constexpr int kThreads = 8, kWrites = 40;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int v = 0; v < kWrites; ++v)
        if (!store_->Save(Name(t), Name(t, v + 1), v).Ok()) ++failures;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(store_->Count(), kThreads);
  for (int t = 0; t < kThreads; ++t) {
    std::optional<StoredSession> s;
    ASSERT_TRUE(store_->Load(Name(t), s).Ok());
    EXPECT_EQ(s->version, kWrites);
    EXPECT_EQ(s->blob, Name(t, kWrites));
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, EveryStore, testing::Values("memory", "sqlite"));

// Idle sessions are deflated behind the writes of others: what is read
// back, and the version check, are as before.
TEST(MemoryStore, IdleSessionsDeflatedReadBackAsWritten) {
  auto store = MakeMemoryStore(0);  // every session counts as idle at once
  std::string blob;
  for (int i = 0; i < 2000; ++i) blob += "said " + std::to_string(i % 37) + "; ";
  blob.push_back('\0');  // blobs are bytes
  ASSERT_TRUE(store->Save("a", blob, 0).Ok());
  ASSERT_TRUE(store->Save("b", "other", 0).Ok());  // sweeps: "a" is deflated now
  std::optional<StoredSession> got;
  ASSERT_TRUE(store->Load("a", got).Ok());
  ASSERT_TRUE(got);
  EXPECT_EQ(got->blob, blob);
  EXPECT_EQ(got->version, 1);
  EXPECT_EQ(store->Save("a", "new", 0).kind, StoreResult::Kind::Conflict);
  ASSERT_TRUE(store->Save("a", "new", 1).Ok());
  ASSERT_TRUE(store->Load("a", got).Ok());
  EXPECT_EQ(got->blob, "new");
  EXPECT_EQ(got->version, 2);
}

TEST(SqliteStore, KeepsSessionsInAWriteAheadLogAcrossReopening) {
  TempDir dir;
  const std::string path = dir.File("brain.vlf.sessions.db");
  {
    auto store = OpenSqlite(path);
    ASSERT_TRUE(store->Save("ann", "blob of ann", 0).Ok());
    EXPECT_TRUE(std::filesystem::exists(path + "-wal"));
    EXPECT_EQ(store->Describe(), "sqlite:" + path);
  }
  auto store = OpenSqlite(path);
  EXPECT_EQ(Read(*store, "ann"), "blob of ann");
  EXPECT_EQ(store->Count(), 1);
  // Another program sees the table as documented.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT id, version, blob, updated > 0 FROM sessions", -1, &s, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "ann");
  EXPECT_EQ(sqlite3_column_int(s, 1), 1);
  const std::string stored(static_cast<const char*>(sqlite3_column_blob(s, 2)),
                           static_cast<std::size_t>(sqlite3_column_bytes(s, 2)));
  std::string blob, why;
  EXPECT_TRUE(IsPackedBlob(stored));
  EXPECT_TRUE(UnpackBlob(stored, blob, why) && blob == "blob of ann") << why;
  EXPECT_EQ(sqlite3_column_int(s, 3), 1);
  sqlite3_finalize(s);
  // A session written as it was, before sessions were deflated, reads back
  // as it is.
  ASSERT_EQ(sqlite3_exec(db, "INSERT INTO sessions VALUES('old', 3, x'56585345535300', 1.5)", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  EXPECT_EQ(Read(*store, "old"), std::string("VXSESS\0", 7));
}

TEST(SqliteStore, AFullStoreRefusesTheWriteAndKeepsTheOldBlob) {
  TempDir dir;
  // A few pages: room for the table and small sessions, not for a large one.
  SqliteOptions options;
  options.maxPages = 8;
  auto store = OpenSqlite(dir.File("s.db"), options);
  ASSERT_TRUE(store->Save("ann", "small", 0).Ok());
  // Bytes that do not deflate.
  std::string large(200000, '\0');
  uint32_t noise = 12345;
  for (char& c : large) c = static_cast<char>((noise = noise * 1664525u + 1013904223u) >> 24);
  const StoreResult r = store->Save("ann", large, 1);
  EXPECT_EQ(r.kind, StoreResult::Kind::Failed);
  EXPECT_NE(r.error.find("full"), std::string::npos) << r.error;
  EXPECT_EQ(Read(*store, "ann"), "small");
  // Writes that fit still go in, and the count is right.
  EXPECT_TRUE(store->Save("ann", "small again", 1).Ok());
  EXPECT_EQ(store->Count(), 1);
}

TEST(SqliteStore, ADatabaseHeldByAnotherProgramFailsTheWriteInTime) {
  TempDir dir;
  const std::string path = dir.File("s.db");
  SqliteOptions options;
  options.busyMilliseconds = 50;
  auto store = OpenSqlite(path, options);
  ASSERT_TRUE(store->Save("ann", "before", 0).Ok());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  const StoreResult r = store->Save("ann", "after", 1);
  EXPECT_EQ(r.kind, StoreResult::Kind::Failed);
  EXPECT_NE(r.error.find("locked"), std::string::npos) << r.error;
  // Reads do not wait for the other writer.
  EXPECT_EQ(Read(*store, "ann"), "before");
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(store->Save("ann", "after", 1).Ok());
}

// Opening a store made before writes nothing: a service started while
// another program writes (or on a full disk) still serves what is stored.
TEST(SqliteStore, OpensAStoreMadeBeforeWithoutWritingToIt) {
  TempDir dir;
  const std::string path = dir.File("s.db");
  ASSERT_TRUE(OpenSqlite(path)->Save("ann", "kept", 0).Ok());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  SqliteOptions options;
  options.busyMilliseconds = 50;
  auto store = OpenSqlite(path, options);
  ASSERT_TRUE(store);
  EXPECT_EQ(Read(*store, "ann"), "kept");
  EXPECT_EQ(store->Save("ann", "later", 1).kind, StoreResult::Kind::Failed);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(store->Save("ann", "later", 1).Ok());
}

TEST(SqliteStore, RefusesFilesThatAreNoSessionStore) {
  TempDir dir;
  std::string error;
  test::WriteFile(dir.File("junk.db"), std::string(8192, 'j'));
  EXPECT_FALSE(OpenSqliteStore(dir.File("junk.db"), error));
  EXPECT_NE(error.find("junk.db: "), std::string::npos) << error;

  // A database of something else, with a table of that name.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("other.db").c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "CREATE TABLE sessions(name TEXT)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  error.clear();
  EXPECT_FALSE(OpenSqliteStore(dir.File("other.db"), error));
  EXPECT_NE(error.find("not a session store"), std::string::npos) << error;

  error.clear();
  EXPECT_FALSE(OpenSqliteStore(dir.File("no/such/folder/s.db"), error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace varnex::server
