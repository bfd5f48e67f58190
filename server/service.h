// The session service: many conversations with one brain, each kept as a
// session blob in a store and restored for each of its inputs.
//
// Each worker thread of the HTTP server leases one of the worker Brains for
// a turn (restore the session, answer, save it), so Brains answer on
// several threads at once: the engine gives every thread its own record
// memory and random generator, and a Brain is only ever used by the thread
// that leased it. With shared learning there is one Brain, and turns take
// place one at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/varnex.h"
#include "platform/file_lock.h"
#include "server/metrics.h"
#include "server/store.h"

namespace varnex::server {

struct ServiceOptions {
  std::string brain;            // the brain file
  bool sharedLearning = false;  // one brain that learns for everyone, instead of workers that do not learn
  int threads = 2;              // worker brains, when not learning
  std::size_t maxInput = 64 * 1024;  // bytes of one input
  int64_t maxSessions = 100000;      // sessions the store may keep
  double rate = 10;                  // inputs per second per session (0: no limit)
  std::optional<uint64_t> seed;      // every new session's random generator (tests)
  std::optional<double> timeLimit;
  std::optional<std::size_t> valueLimit;
  std::optional<std::size_t> collectionLimit;
};

// How a call went, as an HTTP status and, for an error, why.
struct Status {
  int code = 200;
  std::string error;
  bool Ok() const { return code < 400; }
};

// What one input (or a start) got.
struct Turn {
  bool started = false;  // a new session: its Initialize answers come first
  std::vector<std::string> answers;
  std::vector<std::string> trace;   // when asked for
  std::vector<std::string> errors;  // failures of single tags or tasks; the run went on
  std::string stopped;              // why the run was stopped early, if it was
  std::optional<Brain::Explanation> explanation;  // when asked for: why the winner wins
  int64_t version = 0;              // the session's version once written
};

// What a client may show of a session.
struct SessionView {
  std::vector<std::pair<std::string, std::string>> facts;
  std::string mode, state, procedure;
  int64_t version = 0;
  double updated = 0;
};

// Session ids: 1 to 128 of A-Z a-z 0-9 . _ -
bool ValidSessionId(std::string_view id);

// The file the shared brain's learning is saved to: BRAIN without its .vlf,
// then ".learned.vlf".
std::string LearnedBrainPath(const std::string& brain);

class SessionService {
 public:
  // Reads the brain into the workers; reader messages go to `messages`.
  // Null, with the reason in `error`, when the brain cannot be read.
  static std::unique_ptr<SessionService> Open(const ServiceOptions& options, std::unique_ptr<SessionStore> store,
                                              std::vector<std::string>& messages, std::string& error);
  ~SessionService();

  Status Input(const std::string& id, const std::string& input, bool trace, bool explain, Turn& turn);
  // Starts the session again, as new (creating it when there is none).
  Status Reset(const std::string& id, bool trace, Turn& turn);
  // One beat of a session's volition clock: the answers it gives on its own
  // after silence, if any. The session is written only when the beat
  // changed it; 404 when there is no such session.
  Status Tick(const std::string& id, Turn& turn);
  Status Show(const std::string& id, SessionView& view);
  Status Delete(const std::string& id);
  // Reads the brain again into new workers and swaps them in; inputs being
  // answered finish on the old ones. On failure the old ones go on.
  Status Reload(std::vector<std::string>& messages);

  bool Ready() const { return true; }
  const ServiceOptions& Options() const { return options_; }
  const SessionStore& Store() const { return *store_; }
  Metrics& GetMetrics() { return metrics_; }
  std::string MetricsText();

  struct Workers;  // the worker brains read from one reading of the file

 private:
  SessionService(const ServiceOptions& options, std::unique_ptr<SessionStore> store);
  std::shared_ptr<Workers> CurrentWorkers();
  std::shared_ptr<Workers> ReadWorkers(std::vector<std::string>& messages, std::string& error);
  // What a turn does with the session.
  enum class Kind { Input, Reset, Tick };
  Status Take(const std::string& id, Kind kind, const std::string* input, bool trace, bool explain, Turn& turn);
  Status TakeOnce(const std::string& id, Kind kind, const std::string* input, bool trace, bool explain, Turn& turn,
                  bool& learned);
  uint64_t NewSeed();

  // One lock per session with an input in flight, so that its inputs are
  // answered one at a time and in order.
  class SessionLocks {
   public:
    class Guard {
     public:
      Guard(SessionLocks& locks, const std::string& id);
      ~Guard();
      Guard(const Guard&) = delete;
      Guard& operator=(const Guard&) = delete;

     private:
      SessionLocks& locks_;
      std::string id_;
      std::shared_ptr<std::mutex> mutex_;
    };
    std::size_t Held() const;

   private:
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::pair<std::shared_ptr<std::mutex>, int>> entries_;
  };

  // A token bucket per session: `rate` inputs a second, with bursts of a
  // second's worth.
  class RateLimiter {
   public:
    explicit RateLimiter(double rate) : rate_(rate), burst_(rate < 1 ? 1 : rate) {}
    bool Allow(const std::string& id);

   private:
    struct Bucket {
      double tokens;
      double last;
    };
    double rate_, burst_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    uint64_t calls_ = 0;
  };

  // Reading brains and freeing them both happen on this one thread. The
  // engine keeps the memory of freed records for the thread that frees
  // them; brains read on one thread and freed on whichever HTTP thread
  // ended their last turn would strand a whole brain's memory at each
  // reload.
  class BrainKeeper {
   public:
    BrainKeeper();
    ~BrainKeeper();  // runs what was posted, then stops
    void Post(std::function<void()> task);
    // Runs `task` on the keeper's thread and waits for it.
    void Run(const std::function<void()>& task);

   private:
    void Loop();
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread thread_;
  };

  ServiceOptions options_;
  BrainKeeper keeper_;  // before workers_: it outlives them, to free them
  std::unique_ptr<SessionStore> store_;
  Metrics metrics_;
  SessionLocks locks_;
  RateLimiter rate_;
  std::mutex workersMutex_;
  std::shared_ptr<Workers> workers_;
  std::mutex reloadMutex_;
  std::atomic<uint64_t> seedState_{0};
  FileLock learnedLock_;  // shared learning: this process alone writes the learnt brain
};

}  // namespace varnex::server
