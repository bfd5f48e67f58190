// Sessions in Redis, so that several server processes, on several
// machines, serve the same users: any process can answer any session.
//
// A session is the hash PREFIX "session:" ID {version, blob, updated,
// write}, and the set PREFIX "sessions" holds every id, so that counting
// them is one SCARD. Writes are Lua scripts, which Redis runs atomically:
// a write compares the stored version with the one its turn read and
// writes only when they are equal, so two processes answering the same
// session can never both write on top of the same version; the one that
// comes second gets Conflict and the stored session stays the first's.
//
// hiredis contexts are not thread-safe: each call leases a connection of a
// small pool for its duration. A connection that broke while it lay idle
// (Redis restarted, an idle timeout) is reconnected and the command sent
// once more; a second failure, a refused connection or a timeout fails the
// call with what went wrong.
#include <hiredis/hiredis.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

#include "server/blob_codec.h"
#include "server/store.h"

namespace varnex::server {
namespace {

constexpr int kConnections = 8;
constexpr int kDefaultTimeoutMs = 2000;

// Both scripts first check a deadline on Redis's own clock (ARGV[1], in
// microseconds): the moment the server that sent the write stops waiting for
// its reply. A write that Redis only gets to later (it was paused, or
// swamped) would otherwise land after the server had reported it failed,
// and changed a session said to be as it was. Such a write returns -1.
constexpr const char* kDeadline = R"lua(
local now = redis.call('TIME')
if tonumber(now[1]) * 1000000 + tonumber(now[2]) > tonumber(ARGV[1]) then return -1 end
)lua";

// KEYS: the session's hash, the set of ids. ARGV: the deadline, the version
// the turn read (0: none), the blob, a token unique to this write, the id.
// Returns the version written, or 0 when the stored version is another.
// The time of the write is Redis's, the same for every server.
//
// The token lets a write be sent again when its reply was lost (the
// connection broke after Redis ran it): the second run finds its own token
// on the version it wrote and reports that write, instead of a conflict
// that would make the service answer the same input twice.
constexpr const char* kSave = R"lua(
local stored = redis.call('HMGET', KEYS[1], 'version', 'write')
local current = 0
if stored[1] then
  current = tonumber(stored[1])
  if not current then return redis.error_reply('DAMAGED its version is not a number') end
elseif redis.call('EXISTS', KEYS[1]) == 1 then
  return redis.error_reply('DAMAGED it has no version')
end
local expected = tonumber(ARGV[2])
if current ~= expected then
  if current == expected + 1 and stored[2] == ARGV[4] then return current end
  return 0
end
local updated = now[1] .. '.' .. string.format('%06d', tonumber(now[2]))
redis.call('HSET', KEYS[1], 'version', current + 1, 'blob', ARGV[3], 'updated', updated, 'write', ARGV[4])
redis.call('SADD', KEYS[2], ARGV[5])
return current + 1
)lua";

// KEYS: the session's hash, the set of ids. ARGV: the deadline, the id.
// Returns 1 when there was a session. Deletes whatever the key holds, a
// damaged value too.
constexpr const char* kErase = R"lua(
local found = redis.call('DEL', KEYS[1])
redis.call('SREM', KEYS[2], ARGV[2])
return found
)lua";

struct Target {
  bool onSocket = false;
  std::string host;  // or the socket's path
  int port = 6379;
  int db = 0;
  std::string user, password;
  std::string prefix = "varnex:";
  int timeoutMs = kDefaultTimeoutMs;

  // Where Redis is, for messages.
  std::string Address() const {
    std::string a(onSocket ? "redis+unix://" : "redis://");
    if (onSocket) return a.append(host);
    const bool v6 = host.find(':') != std::string::npos;
    return a.append(v6 ? "[" : "").append(host).append(v6 ? "]:" : ":").append(std::to_string(port));
  }
  // The URL without its password, for /readyz.
  std::string Describe() const {
    return Address().append(onSocket ? "?db=" : "/").append(std::to_string(db)).append(onSocket ? "&" : "?")
        .append("prefix=").append(prefix);
  }
};

bool ReadInt(std::string_view text, int64_t low, int64_t high, int64_t& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

// redis://[[USER]:PASSWORD@]HOST[:PORT][/DB][?OPTIONS] or
// redis+unix://[[USER]:PASSWORD@]/PATH[?OPTIONS]; OPTIONS are db=N,
// prefix=NAME and timeout=MILLISECONDS, joined by &.
bool ParseUrl(const std::string& url, Target& t, std::string& error) {
  const auto fail = [&](const std::string& why) {
    // The URL as given, but never its password.
    std::string shown = url;
    const std::size_t scheme = shown.find("://"), at = shown.rfind('@');
    if (scheme != std::string::npos && at != std::string::npos && at > scheme)
      shown.replace(scheme + 3, at - scheme - 3, "...");
    error = "\"" + shown + "\": " + why +
            " (a Redis store is redis://HOST:PORT[/DB] or redis+unix:///PATH/TO/SOCKET, with options such as "
            "?db=N&prefix=NAME&timeout=MILLISECONDS)";
    return false;
  };
  std::string rest;
  if (url.starts_with("redis://")) {
    rest = url.substr(8);
  } else if (url.starts_with("redis+unix://")) {
    t.onSocket = true;
    rest = url.substr(13);
  } else {
    return fail("not a Redis URL");
  }
  std::string query;
  if (const std::size_t q = rest.find('?'); q != std::string::npos) {
    query = rest.substr(q + 1);
    rest.resize(q);
  }
  // Credentials come before the host, or before the socket's path; a
  // password may hold '@' (the last one ends it for a host).
  const std::size_t at = t.onSocket ? (rest.starts_with("/") ? std::string::npos : rest.find("@/")) : rest.rfind('@');
  if (at != std::string::npos) {
    const std::string credentials = rest.substr(0, at);
    rest = rest.substr(at + 1);
    const std::size_t colon = credentials.find(':');
    if (colon == std::string::npos) return fail("credentials are USER:PASSWORD@ or :PASSWORD@");
    t.user = credentials.substr(0, colon);
    t.password = credentials.substr(colon + 1);
  }
  int64_t n = 0;
  if (t.onSocket) {
    if (rest.empty() || rest[0] != '/') return fail("the socket's path must be absolute, as in redis+unix:///run/redis.sock");
    t.host = rest;
  } else {
    std::string hostPort = rest;
    if (const std::size_t slash = rest.find('/'); slash != std::string::npos) {
      hostPort = rest.substr(0, slash);
      const std::string db = rest.substr(slash + 1);
      if (!db.empty()) {
        if (!ReadInt(db, 0, 1 << 20, n)) return fail("the database \"" + db + "\" is not a number");
        t.db = static_cast<int>(n);
      }
    }
    std::string port;
    if (hostPort.starts_with("[")) {
      const std::size_t close = hostPort.find(']');
      if (close == std::string::npos) return fail("an IPv6 address lacks its ]");
      t.host = hostPort.substr(1, close - 1);
      if (close + 1 < hostPort.size()) {
        if (hostPort[close + 1] != ':') return fail("HOST:PORT expected after the address");
        port = hostPort.substr(close + 2);
      }
    } else if (const std::size_t colon = hostPort.rfind(':'); colon != std::string::npos) {
      t.host = hostPort.substr(0, colon);
      port = hostPort.substr(colon + 1);
    } else {
      t.host = hostPort;
    }
    if (t.host.empty()) return fail("no host");
    if (!port.empty()) {
      if (!ReadInt(port, 1, 65535, n)) return fail("the port \"" + port + "\" is not a number from 1 to 65535");
      t.port = static_cast<int>(n);
    }
  }
  std::size_t start = 0;
  while (start < query.size()) {
    std::size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    const std::string option = query.substr(start, end - start);
    start = end + 1;
    const std::size_t eq = option.find('=');
    const std::string name = option.substr(0, eq), value = eq == std::string::npos ? "" : option.substr(eq + 1);
    if (name == "db") {
      if (!ReadInt(value, 0, 1 << 20, n)) return fail("db=\"" + value + "\" is not a number");
      t.db = static_cast<int>(n);
    } else if (name == "prefix") {
      if (value.empty()) return fail("prefix= needs a name");
      t.prefix = value;
    } else if (name == "timeout") {
      if (!ReadInt(value, 1, 3600000, n)) return fail("timeout=\"" + value + "\" is not a number of milliseconds");
      t.timeoutMs = static_cast<int>(n);
    } else {
      return fail("unknown option \"" + name + "\"");
    }
  }
  return true;
}

struct ReplyFree {
  void operator()(redisReply* r) const { freeReplyObject(r); }
};
using Reply = std::unique_ptr<redisReply, ReplyFree>;

std::string_view Text(const redisReply* r) { return {r->str, r->len}; }

// A write to a socket that Redis has closed raises SIGPIPE, which would end
// a program that has not set it aside. While a command runs this thread
// holds the signal back, and one it raised is taken away unseen.
class NoSigpipe {
 public:
  NoSigpipe() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe, &old_);
  }
  ~NoSigpipe() {
    if (!wasPending_) {
      sigset_t pending;
      sigpending(&pending);
      if (sigismember(&pending, SIGPIPE) == 1) {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        const timespec now{0, 0};
        while (sigtimedwait(&pipe, nullptr, &now) < 0 && errno == EINTR) {
        }
      }
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  NoSigpipe(const NoSigpipe&) = delete;
  NoSigpipe& operator=(const NoSigpipe&) = delete;

 private:
  sigset_t old_;
  bool wasPending_ = false;
};

int64_t SteadyMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// One connection of the pool. Its context is null until connected.
struct Connection {
  redisContext* context = nullptr;
  // Redis's clock less this process's steady clock, in microseconds, as
  // measured when connecting; and how far off that measure may be.
  int64_t offset = 0;
  int64_t error = 0;
};

class RedisStore : public SessionStore {
 public:
  explicit RedisStore(Target target) : target_(std::move(target)) {
    setKey_ = target_.prefix + "sessions";
    std::random_device device;
    tokenBase_ = (static_cast<uint64_t>(device()) << 32) ^ device();
    save_ = std::string(kDeadline) + kSave;
    erase_ = std::string(kDeadline) + kErase;
  }

  ~RedisStore() override {
    for (Connection& c : pool_)
      if (c.context) redisFree(c.context);
  }

  // Connects once, so that a wrong URL, a Redis that is not there or a
  // refused password are told at start, and loads the scripts.
  bool Open(std::string& error) {
    pool_.resize(kConnections);
    for (int i = kConnections - 1; i >= 0; --i) free_.push_back(i);
    Lease lease(*this);
    Connection& c = lease.Get();  // all are free yet
    if (!Connect(c, error)) return false;
    std::string why;
    for (auto [script, sha] : {std::pair{&save_, &saveSha_}, std::pair{&erase_, &eraseSha_}}) {
      Reply r = Command(c, {"SCRIPT", "LOAD", *script}, why);
      if (!r || r->type != REDIS_REPLY_STRING) {
        error = Where() + ": cannot load the session scripts: " + (r ? std::string(Text(r.get())) : why);
        return false;
      }
      *sha = std::string(Text(r.get()));
    }
    Reply r = Command(c, {"SCARD", setKey_}, why);
    if (!r || r->type != REDIS_REPLY_INTEGER) {
      error = Where() + ": " +
              (r ? "the key " + setKey_ + " is not a set of session ids: " + std::string(Text(r.get())) : why);
      return false;
    }
    count_ = r->integer;
    return true;
  }

  std::string Describe() const override { return target_.Describe(); }
  bool InMemory() const override { return false; }

  StoreResult Load(const std::string& id, std::optional<StoredSession>& out) override {
    out.reset();
    std::string why;
    Reply r = Run({"HGETALL", SessionKey(id)}, -1, why);
    if (!r) return StoreResult::Failure("the session store cannot be read: " + why);
    if (r->type == REDIS_REPLY_ERROR) return Refused(id, r.get(), "the session store cannot be read");
    if (r->type != REDIS_REPLY_ARRAY) return Damaged(id, "an unexpected reply");
    if (r->elements == 0) return {};
    StoredSession s;
    bool hasVersion = false, hasBlob = false, hasUpdated = false;
    for (std::size_t i = 0; i + 1 < r->elements; i += 2) {
      const redisReply* name = r->element[i];
      const redisReply* value = r->element[i + 1];
      if (name->type != REDIS_REPLY_STRING || value->type != REDIS_REPLY_STRING) continue;
      const std::string_view field = Text(name);
      if (field == "version") {
        if (!ReadInt(Text(value), 1, INT64_MAX, s.version))
          return Damaged(id, "its version \"" + std::string(Text(value).substr(0, 40)) + "\" is not a count");
        hasVersion = true;
      } else if (field == "blob") {
        if (!UnpackBlob(Text(value), s.blob, s.damaged)) s.blob.clear();
        hasBlob = true;
      } else if (field == "updated") {
        const std::string_view text = Text(value);
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), s.updated);
        hasUpdated = ec == std::errc() && end == text.data() + text.size();
      }
    }
    if (!hasVersion) return Damaged(id, "it has no version");
    if (!hasBlob) return Damaged(id, "it has no blob");
    if (!hasUpdated) return Damaged(id, "it has no time of its last write");
    out = std::move(s);
    return {};
  }

  StoreResult Save(const std::string& id, std::string_view blob, int64_t expected) override {
    char token[40];
    std::snprintf(token, sizeof token, "%016llx-%llx", static_cast<unsigned long long>(tokenBase_),
                  static_cast<unsigned long long>(writes_.fetch_add(1, std::memory_order_relaxed)));
    const std::string expectedText = std::to_string(expected);
    // Deflated: Redis holds every session in memory, and a conversation's
    // blob is mostly its histories, an eighth of the size once deflated.
    const std::string packed = PackBlob(blob);
    std::string why;
    Reply r = Script(save_, saveSha_, id, {expectedText, packed, token, id}, why);
    if (!r) return StoreResult::Failure("the session store failed: " + why + "; the session is as it was");
    if (r->type == REDIS_REPLY_ERROR) return Refused(id, r.get(), "the session store failed; the session is as it was");
    if (r->type != REDIS_REPLY_INTEGER) return Damaged(id, "an unexpected reply to a write");
    if (r->integer < 0) return StoreResult::Failure(Late("the session is as it was"));
    if (r->integer == 0)
      return {StoreResult::Kind::Conflict, "session " + id + " was changed or deleted meanwhile", 0};
    return {StoreResult::Kind::Ok, "", r->integer};
  }

  // When the reply to a delete is lost and it is sent again, the second
  // finds nothing and says so: the session is gone either way.
  StoreResult Erase(const std::string& id, bool& found) override {
    found = false;
    std::string why;
    Reply r = Script(erase_, eraseSha_, id, {id}, why);
    if (!r) return StoreResult::Failure("the session store failed: " + why);
    if (r->type == REDIS_REPLY_ERROR) return Refused(id, r.get(), "the session store failed");
    if (r->type != REDIS_REPLY_INTEGER) return StoreResult::Failure("the session store failed: an unexpected reply");
    if (r->integer < 0) return StoreResult::Failure(Late("the session is still there"));
    found = r->integer > 0;
    return {};
  }

  // One SCARD; when Redis cannot be asked, the count it gave last.
  int64_t Count() const override {
    std::string why;
    Reply r = const_cast<RedisStore*>(this)->Run({"SCARD", setKey_}, -1, why);
    if (r && r->type == REDIS_REPLY_INTEGER) count_ = r->integer;
    return count_;
  }

 private:
  // A connection of the pool, for one call. When every connection stays
  // busy for a timeout's length (Redis is slow to answer them all), the
  // lease is not had: waiting in line behind calls that each take up to a
  // timeout would make a request wait many times over.
  class Lease {
   public:
    explicit Lease(RedisStore& store) : store_(store) {
      std::unique_lock lock(store_.poolMutex_);
      if (!store_.poolFree_.wait_for(lock, std::chrono::milliseconds(store_.target_.timeoutMs),
                                     [&] { return !store_.free_.empty(); }))
        return;
      index_ = store_.free_.back();
      store_.free_.pop_back();
    }
    ~Lease() {
      if (index_ < 0) return;
      {
        std::lock_guard lock(store_.poolMutex_);
        store_.free_.push_back(index_);
      }
      store_.poolFree_.notify_one();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    explicit operator bool() const { return index_ >= 0; }
    Connection& Get() { return store_.pool_[index_]; }

   private:
    RedisStore& store_;
    int index_ = -1;
  };

  std::string Where() const { return "Redis at " + target_.Address(); }
  std::string SessionKey(const std::string& id) const { return target_.prefix + "session:" + id; }

  std::string Late(const char* outcome) const {
    return Where() + " came to the write only after " + std::to_string(target_.timeoutMs) +
           " ms, when this server had stopped waiting for it, and did not make it; " + outcome;
  }

  // An error reply: a value that is not a session (written by something
  // else, or by hand) is damaged; anything else (out of memory, a read-only
  // replica, a refused login) is Redis failing.
  StoreResult Refused(const std::string& id, const redisReply* r, const char* what) const {
    const std::string_view text = Text(r);
    if (text.starts_with("DAMAGED ") || text.starts_with("WRONGTYPE")) return Damaged(id, text);
    return StoreResult::Failure(std::string(what) + ": " + Where() + " says: " + std::string(text));
  }

  StoreResult Damaged(const std::string& id, std::string_view why) const {
    std::string text(why);
    if (text.starts_with("DAMAGED ")) text.erase(0, 8);
    // A script's error ends with where in the script it was raised.
    if (const std::size_t script = text.find(" script: "); script != std::string::npos) text.resize(script);
    return StoreResult::Failure("session " + id + " in Redis (key " + SessionKey(id) + ") is damaged: " + text +
                                "; delete it (DELETE /v1/sessions/" + id + ")");
  }

  timeval Timeout() const {
    return {static_cast<time_t>(target_.timeoutMs / 1000), static_cast<suseconds_t>(target_.timeoutMs % 1000 * 1000)};
  }

  // Whether the context failed for want of an answer in time: a blocking
  // read past its timeout fails with EAGAIN, a connect with ETIMEDOUT.
  static bool TimedOut(const redisContext* c) {
    return c && c->err == REDIS_ERR_IO &&
           (std::strcmp(c->errstr, std::strerror(EAGAIN)) == 0 || std::strcmp(c->errstr, std::strerror(ETIMEDOUT)) == 0);
  }

  // Why the context failed, in words: a timeout says how long it waited.
  std::string Failure(const redisContext* c) const {
    if (!c) return Where() + ": out of memory";
    if (TimedOut(c)) return Where() + " did not answer within " + std::to_string(target_.timeoutMs) + " ms";
    if (c->err == REDIS_ERR_EOF) return Where() + " closed the connection";
    return Where() + ": " + c->errstr;
  }

  bool Connect(Connection& c, std::string& why) {
    if (c.context) redisFree(c.context);
    c.context = target_.onSocket ? redisConnectUnixWithTimeout(target_.host.c_str(), Timeout())
                                 : redisConnectWithTimeout(target_.host.c_str(), target_.port, Timeout());
    if (!c.context || c.context->err) {
      why = "cannot connect to " + Failure(c.context);
      if (c.context) redisFree(c.context);
      c.context = nullptr;
      return false;
    }
    redisSetTimeout(c.context, Timeout());
    if (!target_.onSocket) redisEnableKeepAlive(c.context);
    const auto setUp = [&](std::vector<std::string_view> args, const char* what) {
      Reply r = Command(c, args, why);
      if (r && r->type == REDIS_REPLY_ERROR) why = Where() + ": " + what + ": " + std::string(Text(r.get()));
      return r && r->type != REDIS_REPLY_ERROR;
    };
    if (!target_.password.empty() &&
        !(target_.user.empty() ? setUp({"AUTH", target_.password}, "the password was refused")
                               : setUp({"AUTH", target_.user, target_.password}, "the user or password was refused")))
      return Drop(c);
    if (target_.db != 0 && !setUp({"SELECT", std::to_string(target_.db)}, "cannot use that database")) return Drop(c);
    return Clock(c, why) || Drop(c);
  }

  static bool Drop(Connection& c) {
    if (c.context) redisFree(c.context);
    c.context = nullptr;
    return false;
  }

  // Measures Redis's clock against this process's, for the deadlines.
  bool Clock(Connection& c, std::string& why) {
    const int64_t before = SteadyMicros();
    Reply r = Command(c, {"TIME"}, why);
    const int64_t after = SteadyMicros();
    int64_t seconds = 0, micros = 0;
    if (!r || r->type != REDIS_REPLY_ARRAY || r->elements != 2 || r->element[0]->type != REDIS_REPLY_STRING ||
        r->element[1]->type != REDIS_REPLY_STRING || !ReadInt(Text(r->element[0]), 0, INT64_MAX / 2000000, seconds) ||
        !ReadInt(Text(r->element[1]), 0, 999999, micros)) {
      if (r) why = Where() + ": no time in the reply to TIME";
      return false;
    }
    c.offset = seconds * 1000000 + micros - (before + after) / 2;
    c.error = (after - before) / 2 + 1000;
    return true;
  }

  // One command on a connected context. Null, with why in `why`, when the
  // connection failed; the context is then freed and set to null.
  Reply Command(Connection& c, const std::vector<std::string_view>& args, std::string& why,
                bool* timedOut = nullptr) const {
    std::vector<const char*> argv;
    std::vector<std::size_t> lengths;
    for (const std::string_view a : args) {
      argv.push_back(a.data());
      lengths.push_back(a.size());
    }
    NoSigpipe quiet;
    Reply r(static_cast<redisReply*>(
        redisCommandArgv(c.context, static_cast<int>(argv.size()), argv.data(), lengths.data())));
    if (!r) {
      why = Failure(c.context);
      if (timedOut) *timedOut = TimedOut(c.context);
      Drop(c);
    }
    return r;
  }

  // A command on a leased connection, connecting it first when it is not,
  // and once more when a connection that had lain idle turns out broken.
  // A Redis that did not answer in time is not asked again: that would
  // only double the wait. `deadline`, when not -1, is the argument that
  // gets the moment, on Redis's clock, past which this server will have
  // stopped waiting (less what the clocks' measure may be off by).
  Reply Run(std::vector<std::string_view> args, int deadline, std::string& why) {
    Lease lease(*this);
    if (!lease) {
      why = "all " + std::to_string(kConnections) + " connections to " + Where() + " stayed busy for " +
            std::to_string(target_.timeoutMs) + " ms";
      return nullptr;
    }
    Connection& c = lease.Get();
    std::string limit;
    const auto send = [&](bool* timedOut) {
      const int64_t start = SteadyMicros();
      if (deadline >= 0) {
        limit = std::to_string(start + c.offset + int64_t{target_.timeoutMs} * 1000 - c.error);
        args[deadline] = limit;
      }
      Reply r = Command(c, args, why, timedOut);
      // Refused as late though it came back in time: a clock has been
      // set since connecting. Measure again and send it once more.
      if (r && deadline >= 0 && r->type == REDIS_REPLY_INTEGER && r->integer < 0 &&
          SteadyMicros() - start < int64_t{target_.timeoutMs} * 1000 / 2 && Clock(c, why)) {
        limit = std::to_string(SteadyMicros() + c.offset + int64_t{target_.timeoutMs} * 1000 - c.error);
        args[deadline] = limit;
        r = Command(c, args, why, timedOut);
      }
      return r;
    };
    const bool reused = c.context != nullptr;
    if (!c.context && !Connect(c, why)) return nullptr;
    bool timedOut = false;
    Reply r = send(&timedOut);
    if (r || !reused || timedOut) return r;
    if (!Connect(c, why)) return nullptr;
    return send(nullptr);
  }

  // A script by its digest; by its text when Redis does not have it (it
  // was restarted, or its script cache flushed), which also caches it.
  Reply Script(const std::string& script, const std::string& sha, const std::string& id,
               const std::vector<std::string_view>& argv, std::string& why) {
    const std::string key = SessionKey(id);
    std::vector<std::string_view> args{"EVALSHA", sha, "2", key, setKey_, ""};
    args.insert(args.end(), argv.begin(), argv.end());
    Reply r = Run(args, 5, why);
    if (r && r->type == REDIS_REPLY_ERROR && Text(r.get()).starts_with("NOSCRIPT")) {
      args[0] = "EVAL";
      args[1] = script;
      r = Run(args, 5, why);
    }
    return r;
  }

  Target target_;
  std::string setKey_;
  std::string save_, erase_;  // the scripts' texts
  std::string saveSha_, eraseSha_;
  uint64_t tokenBase_ = 0;
  std::atomic<uint64_t> writes_{0};
  mutable std::atomic<int64_t> count_{0};

  std::vector<Connection> pool_;
  std::vector<int> free_;
  std::mutex poolMutex_;
  std::condition_variable poolFree_;
};

}  // namespace

std::unique_ptr<SessionStore> OpenRedisStore(const std::string& url, std::string& error) {
  Target target;
  if (!ParseUrl(url, target, error)) return nullptr;
  auto store = std::make_unique<RedisStore>(std::move(target));
  if (!store->Open(error)) return nullptr;
  return store;
}

}  // namespace varnex::server
