// The Redis store against a real redis-server on a Unix socket in a
// temporary folder: versions refuse writes based on an old read, two stores
// (as two server processes) writing one session lose no update, and a
// damaged value, a Redis that stops or one that does not answer give clear
// errors, leave sessions as they were, and are got over once Redis is back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <hiredis/hiredis.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "server/blob_codec.h"
#include "server/store.h"
#include "support/test_support.h"

namespace varnex::server {
namespace {

using Clock = std::chrono::steady_clock;
const char* const kRedisServer = "/usr/bin/redis-server";

class RedisStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    if (access(kRedisServer, X_OK) != 0) GTEST_SKIP() << "redis-server is not installed (apt-get install redis-server)";
    // A command to a Redis that was killed would raise SIGPIPE in a
    // program that has not set it aside: the store must hold it back.
    ASSERT_EQ(std::signal(SIGPIPE, SIG_DFL), SIG_DFL);
    ASSERT_TRUE(Start());
  }
  void TearDown() override { Kill(); }

  // A redis-server without persistence, which dies with the test program
  // however that ends.
  bool Start() {
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int null = open("/dev/null", O_RDWR);
      for (int fd : {0, 1, 2}) dup2(null, fd);
      execl(kRedisServer, kRedisServer, "--port", "0", "--unixsocket", socket_.c_str(), "--save", "", "--appendonly",
            "no", "--dir", dir_.path().c_str(), nullptr);
      _exit(127);
    }
    for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(25)))
      if (Command({"PING"}) == "PONG") return true;
    return false;
  }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  std::string Url(const std::string& options = "") const {
    return "redis+unix://" + socket_ + (options.empty() ? "" : "?" + options);
  }
  std::unique_ptr<SessionStore> Open(const std::string& options = "") {
    std::string error;
    auto store = OpenRedisStore(Url(options), error);
    EXPECT_TRUE(store) << error;
    return store;
  }

  // A command by hand, on a connection of the test's own; its reply as text.
  std::string Command(const std::vector<std::string>& args) {
    redisContext* c = redisConnectUnix(socket_.c_str());
    std::vector<const char*> argv;
    std::vector<std::size_t> lengths;
    for (const std::string& a : args) {
      argv.push_back(a.data());
      lengths.push_back(a.size());
    }
    auto* r = c && !c->err ? static_cast<redisReply*>(redisCommandArgv(c, static_cast<int>(args.size()), argv.data(),
                                                                       lengths.data()))
                           : nullptr;
    const std::string text = !r ? "(failed)"
                             : r->type == REDIS_REPLY_INTEGER ? std::to_string(r->integer)
                             : r->str                         ? std::string(r->str, r->len)
                                                              : "(nil)";
    if (r) freeReplyObject(r);
    if (c) redisFree(c);
    return text;
  }

  test::TempDir dir_;
  std::string socket_ = dir_.File("redis.sock");
  pid_t pid_ = -1;
};

std::string Read(SessionStore& store, const std::string& id) {
  std::optional<StoredSession> s;
  const StoreResult r = store.Load(id, s);
  EXPECT_TRUE(r.Ok()) << r.error;
  return s ? s->blob : "(none)";
}

TEST_F(RedisStoreTest, WritesReadsChecksVersionsErasesAndCounts) {
  auto store = Open();
  SessionStore& s = *store;
  EXPECT_EQ(s.Describe(), Url("db=0&prefix=varnex:"));
  EXPECT_EQ(Read(s, "ann"), "(none)");
  const std::string first("one\0two", 7);
  ASSERT_EQ(s.Save("ann", first, 0).version, 1);
  EXPECT_EQ(Read(s, "ann"), first);
  // A second "new" session of that id, or a write from an old read, is
  // refused and changes nothing.
  EXPECT_EQ(s.Save("ann", "other", 0).kind, StoreResult::Kind::Conflict);
  EXPECT_EQ(s.Save("ann", "other", 7).kind, StoreResult::Kind::Conflict);
  EXPECT_EQ(Read(s, "ann"), first);
  ASSERT_EQ(s.Save("ann", "second", 1).version, 2);
  std::optional<StoredSession> loaded;
  ASSERT_TRUE(s.Load("ann", loaded).Ok());
  EXPECT_EQ(loaded->version, 2);
  EXPECT_NEAR(loaded->updated, SecondsNow(), 60);
  // The keys are as documented, for whoever looks at Redis itself.
  EXPECT_EQ(Command({"HGET", "varnex:session:ann", "version"}), "2");
  EXPECT_EQ(Command({"SISMEMBER", "varnex:sessions", "ann"}), "1");

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
  // Another prefix or database keeps sessions of its own.
  auto other = Open("db=3&prefix=other:");
  EXPECT_EQ(other->Count(), 0);
  ASSERT_TRUE(other->Save("bo", "other bo", 0).Ok());
  EXPECT_EQ(Read(s, "bo"), "b");
}

// Threads of two stores, as two processes on two machines would, each
// adding one to a counter kept in one session: read, add, write with the
// version read, read again on a conflict. Every write that succeeded is
// in the final count; none overwrote another.
TEST_F(RedisStoreTest, TwoStoresWritingOneSessionLoseNoUpdate) {
  constexpr int kThreadsPerStore = 3, kAdds = 40;
  auto one = Open(), two = Open();
  ASSERT_TRUE(one->Save("shared", "0", 0).Ok());
  std::atomic<int> written{0}, failures{0};
  std::vector<std::thread> threads;
  for (SessionStore* store : {one.get(), two.get()})
    for (int t = 0; t < kThreadsPerStore; ++t)
      threads.emplace_back([&, store] {
        for (int added = 0; added < kAdds && failures == 0;) {
          std::optional<StoredSession> s;
          const StoreResult r = store->Load("shared", s).Ok() && s
                                    ? store->Save("shared", std::to_string(std::stoi(s->blob) + 1), s->version)
                                    : StoreResult::Failure("no session");
          if (r.Ok()) {
            ++written;
            ++added;
          } else if (r.kind == StoreResult::Kind::Failed) {
            ++failures;
          }
        }
      });
  for (auto& t : threads) t.join();
  ASSERT_EQ(failures, 0);
  EXPECT_EQ(written, 2 * kThreadsPerStore * kAdds);
  std::optional<StoredSession> s;
  ASSERT_TRUE(one->Load("shared", s).Ok());
  EXPECT_EQ(s->blob, std::to_string(written.load()));
  EXPECT_EQ(s->version, written + 1);
}

TEST_F(RedisStoreTest, ADamagedValueIsAClearErrorAndStaysAsItWas) {
  auto store = Open();
  ASSERT_EQ(Command({"HSET", "varnex:session:noversion", "blob", "b", "updated", "1"}), "2");
  ASSERT_EQ(Command({"HSET", "varnex:session:badversion", "version", "seven", "blob", "b", "updated", "1"}), "3");
  ASSERT_EQ(Command({"SET", "varnex:session:string", "not a hash"}), "OK");
  for (const auto& [id, why] : std::vector<std::pair<std::string, std::string>>{
           {"noversion", "it has no version"}, {"badversion", "is not a count"}, {"string", "WRONGTYPE"}}) {
    SCOPED_TRACE(id);
    std::optional<StoredSession> s;
    const StoreResult r = store->Load(id, s);
    EXPECT_EQ(r.kind, StoreResult::Kind::Failed);
    EXPECT_NE(r.error.find("session " + id + " in Redis (key varnex:session:" + id + ") is damaged: "),
              std::string::npos)
        << r.error;
    EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
    EXPECT_EQ(store->Save(id, "new", 0).kind, StoreResult::Kind::Failed);
  }
  EXPECT_EQ(Command({"HGET", "varnex:session:noversion", "blob"}), "b");
  EXPECT_EQ(Command({"GET", "varnex:session:string"}), "not a hash");
  // Deleting it is the way out.
  bool found = false;
  ASSERT_TRUE(store->Erase("string", found).Ok());
  EXPECT_TRUE(found);
  EXPECT_TRUE(store->Save("string", "new", 0).Ok());
}

TEST_F(RedisStoreTest, ARedisThatStopsFailsClearlyAndIsUsedAgainOnceBack) {
  auto store = Open();
  // Restarted while the store's connection lay idle: the first call finds
  // it broken, connects again and goes through (Redis lost its data, and
  // the scripts it had loaded).
  ASSERT_TRUE(store->Save("ann", "before", 0).Ok());
  Kill();
  ASSERT_TRUE(Start());
  EXPECT_EQ(Read(*store, "ann"), "(none)");
  ASSERT_TRUE(store->Save("ann", "before", 0).Ok());
  EXPECT_EQ(store->Count(), 1);

  // Stopped: every call fails at once, saying why; none crashes or hangs.
  Kill();
  const auto began = Clock::now();
  std::optional<StoredSession> s;
  StoreResult r = store->Load("ann", s);
  EXPECT_NE(r.error.find("cannot connect to Redis at " + Url()), std::string::npos) << r.error;
  r = store->Save("ann", "after", 1);
  EXPECT_EQ(r.kind, StoreResult::Kind::Failed);
  EXPECT_NE(r.error.find("cannot connect to Redis at " + Url()), std::string::npos) << r.error;
  bool found = true;
  EXPECT_EQ(store->Erase("ann", found).kind, StoreResult::Kind::Failed);
  EXPECT_EQ(store->Count(), 1);  // the last count known
  EXPECT_LT(Clock::now() - began, std::chrono::seconds(2));

  ASSERT_TRUE(Start());
  EXPECT_TRUE(store->Save("ann", "after", 0).Ok());
  EXPECT_EQ(Read(*store, "ann"), "after");
}

// A Redis that does not answer (paused here) fails each call once its
// timeout has passed. The write it gets to after that is not made: the
// server was told it failed, and the session stays as it was.
TEST_F(RedisStoreTest, ARedisThatDoesNotAnswerTimesOutAndMakesNoLateWrite) {
  auto store = Open("timeout=200");
  ASSERT_TRUE(store->Save("ann", "before", 0).Ok());
  kill(pid_, SIGSTOP);
  const auto began = Clock::now();
  const StoreResult r = store->Save("ann", "late", 1);
  const auto waited = Clock::now() - began;
  EXPECT_EQ(r.kind, StoreResult::Kind::Failed);
  EXPECT_NE(r.error.find("did not answer within 200 ms"), std::string::npos) << r.error;
  EXPECT_GE(waited, std::chrono::milliseconds(190));
  EXPECT_LT(waited, std::chrono::seconds(2));
  kill(pid_, SIGCONT);
  // Redis goes through what it was sent while paused before it reads
  // another connection's commands; the wait only makes sure of it.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::string stored, why;
  EXPECT_TRUE(UnpackBlob(Command({"HGET", "varnex:session:ann", "blob"}), stored, why)) << why;
  EXPECT_EQ(stored, "before");
  EXPECT_TRUE(store->Save("ann", "after", 1).Ok());
}

TEST_F(RedisStoreTest, RefusesUrlsItCannotUseAndNeverShowsThePassword) {
  for (const auto& [url, why] : std::vector<std::pair<std::string, std::string>>{
           {"redis://:secret@localhost:none/0", "the port \"none\""},
           {"redis+unix://relative.sock", "must be absolute"},
           {Url("colour=red"), "unknown option \"colour\""},
           {"redis+unix:///no/such/redis.sock", "cannot connect to Redis at redis+unix:///no/such/redis.sock"},
           {"redis+unix://:secret@" + socket_, "the password was refused"},
       }) {
    std::string error;
    EXPECT_FALSE(OpenRedisStore(url, error)) << url;
    EXPECT_NE(error.find(why), std::string::npos) << url << ": " << error;
    EXPECT_EQ(error.find("secret"), std::string::npos) << error;
  }
  ASSERT_EQ(Command({"CONFIG", "SET", "requirepass", "secret"}), "OK");
  std::string error;
  auto store = OpenRedisStore("redis+unix://:secret@" + socket_ + "?db=2", error);
  ASSERT_TRUE(store) << error;
  EXPECT_EQ(store->Describe(), Url("db=2&prefix=varnex:"));
  EXPECT_TRUE(store->Save("ann", "a", 0).Ok());
}

}  // namespace
}  // namespace varnex::server
