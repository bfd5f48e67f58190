#include "server/service.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

namespace varnex::server {
namespace {

constexpr std::size_t kMaxTraceLines = 20000;

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A Brain and what it said during the turn it is taking.
struct Worker {
  Brain brain;
  std::vector<std::string> answers, errors, trace, messages;

  Worker() {
    // An empty answer is the text of a response that only does something
    // (a task list, an assignment): nothing a user would be shown.
    brain.On().answer = [this](const std::string& s) {
      if (!s.empty()) answers.push_back(s);
    };
    brain.On().error = [this](const std::string& s) { errors.push_back(s); };
    brain.On().readerMessageAt = [this](const std::string& file, int line, const std::string& text) {
      messages.push_back(file.empty() ? text : line > 0 ? file + ":" + std::to_string(line) + ": " + text
                                                        : file + ": " + text);
    };
  }
  void Begin(bool tracing) {
    answers.clear();
    errors.clear();
    trace.clear();
    if (tracing)
      brain.SetTrace([this](const std::string& s) {
        if (trace.size() < kMaxTraceLines) trace.push_back(s);
        else if (trace.size() == kMaxTraceLines) trace.push_back("(trace cut after " + std::to_string(kMaxTraceLines) + " lines)");
      });
  }
  // Moves what was said into the turn.
  void End(Turn& turn) {
    brain.SetTrace({});
    const auto append = [](std::vector<std::string>& to, std::vector<std::string>& from) {
      to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
      from.clear();
    };
    append(turn.answers, answers);
    append(turn.errors, errors);
    append(turn.trace, trace);
  }
};

// The response types that change the brain itself, and Do Response For,
// which can run one of them from another clause.
bool ChangesBrain(std::string_view type) {
  return type == "Self Modify" || type == "Delete Object" || type == "Make Code" || type == "Create AutoPattern" ||
         type == "Add Response" || type == "Add Fragment" || type == "Do Response For";
}

std::string ClauseKey(bool step, std::string_view owner, std::string_view stepName, int number) {
  std::string key(step ? "p" : "m");
  key.append("\x1f").append(owner).append("\x1f").append(stepName).append("\x1f").append(std::to_string(number));
  return key;
}

// The clauses that can change the brain when they answer.
class LearningFinder : public BrainVisitor {
 public:
  std::set<std::string> keys;
  void Procedure(std::string_view name, std::string_view) override { owner_ = name; }
  void Step(std::string_view name, std::string_view) override { step_ = name; }
  void StepClause(int number, std::string_view) override { key_ = ClauseKey(true, owner_, step_, number); }
  void Mode(std::string_view name, std::string_view) override { owner_ = name; }
  void Clause(int number, int32_t, std::string_view) override { key_ = ClauseKey(false, owner_, "", number); }
  void ResponseRecord(const Response& r) override { Check(r); }
  void Task(const Response& t) override { Check(t); }

 private:
  void Check(const Response& r) {
    if (ChangesBrain(r.type)) keys.insert(key_);
  }
  std::string owner_, step_, key_;
};

// What a client may see of the session the brain holds.
class ViewFinder : public BrainVisitor {
 public:
  explicit ViewFinder(SessionView& view) : view_(view) {}
  void Registers(std::string_view, int mode, int state, int proc) override {
    mode_ = mode;
    state_ = state;
    proc_ = proc;
  }
  void State(std::string_view name) override { Pick(states_++, state_, name, view_.state); }
  void Fact(std::string_view name, std::string_view value) override { view_.facts.emplace_back(name, value); }
  void Procedure(std::string_view name, std::string_view) override { Pick(procs_++, proc_, name, view_.procedure); }
  void Mode(std::string_view name, std::string_view) override { Pick(modes_++, mode_, name, view_.mode); }

 private:
  static void Pick(int index, int wanted, std::string_view name, std::string& to) {
    if (index == wanted) to = name;
  }
  SessionView& view_;
  int mode_ = -1, state_ = -1, proc_ = -1;
  int states_ = 0, procs_ = 0, modes_ = 0;
};

std::string Rate(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", rate);
  return text;
}

}  // namespace

// The worker brains of one reading of the brain file, with the session
// every new conversation starts from.
struct SessionService::Workers {
  std::vector<std::unique_ptr<Worker>> all;
  std::vector<Worker*> free;
  std::mutex mutex;
  std::condition_variable ready;
  std::string path;   // the file read
  std::string fresh;  // the session saved right after reading
  std::set<std::string> learning;  // shared learning: the clauses that can change the brain

};

namespace {

// A worker taken for one turn, given back when the turn ends.
class Lease {
 public:
  explicit Lease(SessionService::Workers& workers) : workers_(workers) {
    std::unique_lock lock(workers_.mutex);
    workers_.ready.wait(lock, [&] { return !workers_.free.empty(); });
    worker_ = workers_.free.back();
    workers_.free.pop_back();
  }
  ~Lease() {
    {
      std::lock_guard lock(workers_.mutex);
      workers_.free.push_back(worker_);
    }
    workers_.ready.notify_one();
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  Worker& operator*() const { return *worker_; }

 private:
  SessionService::Workers& workers_;
  Worker* worker_ = nullptr;
};

}  // namespace

bool ValidSessionId(std::string_view id) {
  if (id.empty() || id.size() > 128) return false;
  for (const char c : id) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

std::string LearnedBrainPath(const std::string& brain) {
  std::string base = brain;
  if (base.size() > 4 && base.ends_with(".vlf")) base.resize(base.size() - 4);
  return base + ".learned.vlf";
}

// ---- session locks and rates ----

SessionService::SessionLocks::Guard::Guard(SessionLocks& locks, const std::string& id) : locks_(locks), id_(id) {
  {
    std::lock_guard lock(locks_.mutex_);
    auto& entry = locks_.entries_[id_];
    if (!entry.first) entry.first = std::make_shared<std::mutex>();
    ++entry.second;
    mutex_ = entry.first;
  }
  mutex_->lock();
}

SessionService::SessionLocks::Guard::~Guard() {
  mutex_->unlock();
  std::lock_guard lock(locks_.mutex_);
  const auto it = locks_.entries_.find(id_);
  if (--it->second.second == 0) locks_.entries_.erase(it);
}

std::size_t SessionService::SessionLocks::Held() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

bool SessionService::RateLimiter::Allow(const std::string& id) {
  if (rate_ <= 0) return true;
  const double now = SteadySeconds();
  std::lock_guard lock(mutex_);
  // Now and then, forget the buckets that have filled up again: they are
  // as a new session's would be.
  if (++calls_ % 4096 == 0)
    std::erase_if(buckets_, [&](const auto& e) { return e.second.tokens + (now - e.second.last) * rate_ >= burst_; });
  auto [it, added] = buckets_.try_emplace(id, Bucket{burst_, now});
  Bucket& b = it->second;
  b.tokens = std::min(burst_, b.tokens + (now - b.last) * rate_);
  b.last = now;
  if (b.tokens < 1) return false;
  b.tokens -= 1;
  return true;
}

// ---- the brain keeper ----

SessionService::BrainKeeper::BrainKeeper() : thread_([this] { Loop(); }) {}

SessionService::BrainKeeper::~BrainKeeper() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void SessionService::BrainKeeper::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void SessionService::BrainKeeper::Run(const std::function<void()>& task) {
  std::mutex doneMutex;
  std::condition_variable doneCv;
  bool done = false;
  std::exception_ptr failed;
  Post([&] {
    // What the task throws (out of memory reading a brain) is the
    // caller's, not the keeper's, whose thread must go on.
    try {
      task();
    } catch (...) {
      failed = std::current_exception();
    }
    std::lock_guard lock(doneMutex);
    done = true;
    doneCv.notify_one();
  });
  std::unique_lock lock(doneMutex);
  doneCv.wait(lock, [&] { return done; });
  if (failed) std::rethrow_exception(failed);
}

void SessionService::BrainKeeper::Loop() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || !tasks_.empty(); });
      if (tasks_.empty()) return;  // stopping, with nothing left to do
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

// ---- the service ----

SessionService::SessionService(const ServiceOptions& options, std::unique_ptr<SessionStore> store)
    : options_(options), store_(std::move(store)), rate_(options.rate) {
  std::random_device device;
  seedState_ = (static_cast<uint64_t>(device()) << 32) ^ device();
}

SessionService::~SessionService() = default;

std::unique_ptr<SessionService> SessionService::Open(const ServiceOptions& options,
                                                     std::unique_ptr<SessionStore> store,
                                                     std::vector<std::string>& messages, std::string& error) {
  std::unique_ptr<SessionService> service(new SessionService(options, std::move(store)));
  if (options.sharedLearning) {
    // Two processes learning into one file would each save their own
    // brain over the other's, and what one of them learnt would be lost.
    const std::string lock = LearnedBrainPath(options.brain) + ".lock";
    std::string why;
    if (!service->learnedLock_.TryLock(lock, why)) {
      error = "shared learning: another process is learning into " + LearnedBrainPath(options.brain) + " (" + why +
              "); one process at a time may learn for a brain";
      return nullptr;
    }
  }
  std::shared_ptr<Workers> workers;
  try {
    service->keeper_.Run([&] { workers = service->ReadWorkers(messages, error); });
  } catch (const std::exception& e) {
    error = options.brain + ": reading failed: " + e.what();
  }
  if (!workers) return nullptr;
  service->workers_ = std::move(workers);
  return service;
}

std::shared_ptr<SessionService::Workers> SessionService::CurrentWorkers() {
  std::lock_guard lock(workersMutex_);
  return workers_;
}

std::shared_ptr<SessionService::Workers> SessionService::ReadWorkers(std::vector<std::string>& messages,
                                                                     std::string& error) {
  // Called on the keeper's thread; the last turn on these brains may end
  // on any thread, and hands them back to the keeper to be freed.
  BrainKeeper* keeper = &keeper_;
  std::shared_ptr<Workers> workers(new Workers, [keeper](Workers* w) { keeper->Post([w] { delete w; }); });
  workers->path = options_.brain;
  if (options_.sharedLearning) {
    // What was learnt, unless the brain file was edited since.
    const std::string learned = LearnedBrainPath(options_.brain);
    std::error_code e1, e2;
    const auto learnedTime = std::filesystem::last_write_time(learned, e1);
    const auto brainTime = std::filesystem::last_write_time(options_.brain, e2);
    if (!e1 && (e2 || learnedTime >= brainTime)) workers->path = learned;
  }
  if (const auto cannot = Brain::CannotOpen(workers->path)) {
    error = *cannot;
    return nullptr;
  }
  const int count = options_.sharedLearning ? 1 : std::max(1, options_.threads);
  for (int i = 0; i < count; ++i) {
    // The brain belongs to `workers` at once, which frees it however this
    // ends.
    workers->all.push_back(std::make_unique<Worker>());
    Worker& worker = *workers->all.back();
    Brain& brain = worker.brain;
    if (options_.timeLimit) brain.Limits().Seconds = *options_.timeLimit;
    if (options_.valueLimit) brain.Limits().ValueBytes = *options_.valueLimit;
    if (options_.collectionLimit) brain.Limits().CollectionMembers = *options_.collectionLimit;
    const RunResult read = brain.ReadFile(workers->path);
    if (i == 0) messages.insert(messages.end(), worker.messages.begin(), worker.messages.end());
    worker.messages.clear();
    if (!read.Done()) {
      error = workers->path + ": reading stopped: " + read.message;
      return nullptr;
    }
    brain.SetLearning(options_.sharedLearning);
    brain.KeepSessions();
    if (i == 0) {
      workers->fresh = brain.SaveSession();
      if (options_.sharedLearning) {
        LearningFinder finder;
        brain.Visit(finder);
        workers->learning = std::move(finder.keys);
      }
    }
    workers->free.push_back(&worker);
  }
  return workers;
}

uint64_t SessionService::NewSeed() {
  if (options_.seed) return *options_.seed;
  // splitmix64 over a random start: distinct, unpredictable enough seeds.
  uint64_t z = seedState_.fetch_add(0x9E3779B97F4A7C15ull, std::memory_order_relaxed) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

Status SessionService::Input(const std::string& id, const std::string& input, bool trace, bool explain, Turn& turn) {
  if (!ValidSessionId(id)) return {400, "a session id is 1 to 128 characters of A-Z a-z 0-9 . _ -"};
  if (input.size() > options_.maxInput)
    return {400, "the input has " + std::to_string(input.size()) + " bytes, over the limit of " +
                     std::to_string(options_.maxInput)};
  if (!rate_.Allow(id))
    return {429, "session " + id + " sends more than " + Rate(options_.rate) +
                     " inputs a second; this input was not answered: send it again later"};
  return Take(id, Kind::Input, &input, trace, explain, turn);
}

Status SessionService::Reset(const std::string& id, bool trace, Turn& turn) {
  if (!ValidSessionId(id)) return {400, "a session id is 1 to 128 characters of A-Z a-z 0-9 . _ -"};
  return Take(id, Kind::Reset, nullptr, trace, false, turn);
}

Status SessionService::Tick(const std::string& id, Turn& turn) {
  if (!ValidSessionId(id)) return {400, "a session id is 1 to 128 characters of A-Z a-z 0-9 . _ -"};
  SessionLocks::Guard guard(locks_, id);
  bool learned = false;
  // Not tried again on a conflict: the next beat comes in a second.
  return TakeOnce(id, Kind::Tick, nullptr, false, false, turn, learned);
}

// One turn of a session: restore it (or start it), answer, save it, and
// write it to the store. Nothing of the turn is sent before its write is
// committed; when the write fails, the stored session is as it was.
//
// Inputs of one session are answered one at a time in this process; another
// process on the same store may write the session while this one answers
// it, and the write then finds a newer version. Nothing of the turn has been
// sent, so it is answered again from the newer session, as if it had come
// just after the other process's input (after a short random wait, so that
// two processes do not keep meeting). Only a shared brain that learnt during
// the turn cannot take it again: it would learn twice.
Status SessionService::Take(const std::string& id, Kind kind, const std::string* input, bool trace, bool explain,
                            Turn& turn) {
  constexpr int kAttempts = 8;
  SessionLocks::Guard guard(locks_, id);
  thread_local std::minstd_rand jitter(std::random_device{}());
  for (int attempt = 1;; ++attempt) {
    bool learned = false;
    const Status status = TakeOnce(id, kind, input, trace, explain, turn, learned);
    if (status.code != 409 || learned) return status;
    if (attempt == kAttempts)
      return {409, "session " + id + " was written by another server on the same store each of the " +
                       std::to_string(kAttempts) + " times this input was answered; it was not kept: send it again"};
    ++metrics_.conflicts;
    turn = Turn{};
    std::this_thread::sleep_for(std::chrono::microseconds(jitter() % (1000u << attempt)));
  }
}

Status SessionService::TakeOnce(const std::string& id, Kind kind, const std::string* input, bool trace,
                                bool explain, Turn& turn, bool& learned) {
  std::optional<StoredSession> stored;
  const StoreResult loaded = store_->Load(id, stored);
  if (!loaded.Ok()) return {503, loaded.error};
  if (!stored && kind == Kind::Tick) return {404, "no session " + id};
  if (!stored && store_->Count() >= options_.maxSessions)
    return {503, "the service keeps " + std::to_string(options_.maxSessions) +
                     " sessions already, its most (--max-sessions); session " + id + " was not started"};

  std::string blob;
  std::string learnError;
  const std::shared_ptr<Workers> workers = CurrentWorkers();
  {
    Lease lease(*workers);
    Worker& w = *lease;
    const double began = SteadySeconds();
    w.Begin(trace);
    try {
      if (stored && kind != Kind::Reset) {
        const std::string why = !stored->damaged.empty() ? stored->damaged : w.brain.RestoreSession(stored->blob);
        if (!why.empty()) {
          w.End(turn);
          return {500, "session " + id + " cannot be restored (" + why +
                           "); it is kept as it is: start it again (POST /v1/sessions/" + id +
                           "/reset) or delete it"};
        }
      } else {
        // A new conversation: the brain as read, with a generator of its own.
        w.brain.RestoreSession(workers->fresh);
        SeedThisThread(NewSeed());
        const RunResult start = w.brain.Start();
        if (!start.Done()) turn.stopped = start.message;
        turn.started = true;
      }
      if (kind == Kind::Input) {
        if (explain) turn.explanation = w.brain.Explain(*input, 3);
        const RunResult answered = w.brain.Answer(*input);
        if (!answered.Done()) turn.stopped = answered.message;
      } else if (kind == Kind::Tick) {
        const RunResult ticked = w.brain.Tick();
        if (!ticked.Done()) turn.stopped = ticked.message;
      }
      blob = w.brain.SaveSession();
      if (options_.sharedLearning && kind != Kind::Reset) {
        for (const Brain::AnsweredBy& a : w.brain.Answered())
          learned = learned || workers->learning.count(ClauseKey(a.step, a.owner, a.stepName, a.number)) > 0;
        if (learned) {
          // Saved without this conversation's facts and collections: the
          // brain as read, with what it learnt.
          w.brain.RestoreSession(workers->fresh);
          learnError = w.brain.Save(LearnedBrainPath(options_.brain));
          LearningFinder finder;
          w.brain.Visit(finder);
          workers->learning = std::move(finder.keys);
        }
      }
    } catch (const std::exception& e) {
      w.End(turn);
      return {500, std::string("the engine failed (") + e.what() + "); session " + id + " is as it was"};
    }
    w.End(turn);
    metrics_.engineSeconds.Observe(SteadySeconds() - began);
  }
  if (learned) {
    ++metrics_.learned;
    if (!learnError.empty()) turn.errors.push_back("what the brain learnt could not be saved: " + learnError);
  }

  // A beat that said nothing and marked nothing leaves the session as it
  // was: nothing to write.
  if (kind == Kind::Tick && turn.answers.empty() && blob == stored->blob) {
    turn.version = stored->version;
    return {204, ""};
  }
  const double writing = SteadySeconds();
  const StoreResult written = store_->Save(id, blob, stored ? stored->version : 0);
  metrics_.storeSeconds.Observe(SteadySeconds() - writing);
  if (written.kind == StoreResult::Kind::Conflict)
    return {409, written.error + "; this input was not kept: send it again"};
  if (!written.Ok())
    return {503, written.error + "; this input was not kept, and session " + id + " is as it was before it"};
  turn.version = written.version;
  if (kind == Kind::Input) ++metrics_.inputs;
  if (turn.started) ++metrics_.sessionsStarted;
  metrics_.answers += turn.answers.size();
  return {};
}

Status SessionService::Show(const std::string& id, SessionView& view) {
  if (!ValidSessionId(id)) return {400, "a session id is 1 to 128 characters of A-Z a-z 0-9 . _ -"};
  SessionLocks::Guard guard(locks_, id);
  std::optional<StoredSession> stored;
  const StoreResult loaded = store_->Load(id, stored);
  if (!loaded.Ok()) return {503, loaded.error};
  if (!stored) return {404, "no session " + id};
  view.version = stored->version;
  view.updated = stored->updated;
  const std::shared_ptr<Workers> workers = CurrentWorkers();
  Lease lease(*workers);
  Worker& w = *lease;
  const std::string why = !stored->damaged.empty() ? stored->damaged : w.brain.RestoreSession(stored->blob);
  if (!why.empty()) return {500, "session " + id + " cannot be restored (" + why + ")"};
  ViewFinder finder(view);
  w.brain.Visit(finder);
  return {};
}

Status SessionService::Delete(const std::string& id) {
  if (!ValidSessionId(id)) return {400, "a session id is 1 to 128 characters of A-Z a-z 0-9 . _ -"};
  SessionLocks::Guard guard(locks_, id);
  bool found = false;
  const StoreResult erased = store_->Erase(id, found);
  if (!erased.Ok()) return {503, erased.error + "; session " + id + " was not deleted"};
  if (!found) return {404, "no session " + id};
  return {204, ""};
}

Status SessionService::Reload(std::vector<std::string>& messages) {
  std::lock_guard reloading(reloadMutex_);
  std::string error;
  std::shared_ptr<Workers> workers;
  try {
    keeper_.Run([&] { workers = ReadWorkers(messages, error); });
  } catch (const std::exception& e) {
    error = options_.brain + ": reading failed: " + e.what();
  }
  if (!workers) {
    ++metrics_.reloadFailures;
    return {500, error + "; the brain read before goes on"};
  }
  {
    std::lock_guard lock(workersMutex_);
    workers_.swap(workers);
  }
  ++metrics_.reloads;
  // `workers` holds the old brains now; they are freed when the last input
  // still answered on them ends.
  return {};
}

std::string SessionService::MetricsText() {
  const double kept = static_cast<double>(store_->Count());
  const double inMemory = store_->InMemory() ? kept : static_cast<double>(locks_.Held());
  return metrics_.Text({{"varnex_sessions", "Sessions the store keeps.", kept},
                        {"varnex_sessions_in_memory", "Sessions whose blob this process holds in memory.", inMemory},
                        {"varnex_sessions_busy", "Sessions with a request in flight.",
                         static_cast<double>(locks_.Held())}});
}

}  // namespace varnex::server
