// The front door of the Varnex engine: everything a program needs to read,
// run, inspect and save brains, and the only engine header a front end
// includes. The console, the desktop and the C interface (varnex_c.h) are
// all built on it; nothing here exposes the brain's records.
//
// A Brain owns one brain. The engine owns no thread, timer or event loop:
// the host calls Answer for each input and Tick once a second while the
// volition timer it installed runs, and receives answers, trace lines and
// messages through the handlers it installed. Calls on one Brain must not
// overlap, except RequestStop, which may come from a signal handler or
// another thread. Different Brains are independent, and may answer on
// different threads at the same time: each thread has its own random
// generator and record memory (the word database takes turns).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/host.h"

namespace varnex {

class BrainClass;
class BrainVisitor;

using TextHandler = std::function<void(const std::string&)>;

// What the engine tells its host. Every handler is optional.
struct Handlers {
  TextHandler answer;         // each answer, as the brain gives it (possibly empty)
  TextHandler readerMessage;  // a problem in Language text, one message each
  // The same messages with where they come from: the file as its path was
  // given (empty for text given as lines) and the 1-based line (0 for a
  // message about the whole file). A host sets this one or the one above.
  std::function<void(const std::string& file, int line, const std::string& text)> readerMessageAt;
  TextHandler progress;       // progress of reading and writing
  // A failure of one tag or task (a division by zero, a value past its
  // limit): the run goes on. At most ten per run, then one notice.
  TextHandler error;
  // Asked before a program starts or a library loads; without a handler
  // nothing is allowed.
  std::function<bool(Permission, const std::string& what)> permission;
  // Called now and then while a run goes on, with the seconds it has taken
  // so far; a host that runs the engine on its window thread can show that
  // it is busy and offer RequestStop.
  std::function<void(double seconds)> whileBusy;
};

// How a run ended.
enum class Outcome {
  Done,     // ran to its end (failures of single tags or tasks included)
  Stopped,  // stopped by RequestStop or the time limit
  Failed,   // ended by an error of scoring itself (a score past 32 bits)
};
struct RunResult {
  Outcome outcome = Outcome::Done;
  std::string message;  // why it stopped or failed
  bool Done() const { return outcome == Outcome::Done; }
};

class Brain {
 public:
  // A new brain with its default mode and state, as Clear makes it.
  explicit Brain(Handlers handlers = {});
  ~Brain();
  Brain(const Brain&) = delete;
  Brain& operator=(const Brain&) = delete;

  // The handlers; they may be changed at any time between calls.
  Handlers& On() { return handlers_; }
  // Trace lines go to `trace` while it is set; tracing is off without one.
  void SetTrace(TextHandler trace);
  bool Tracing() const;
  void SetVolitionTimer(VolitionTimerInterface* timer);
  RunLimits& Limits();
  // Off: every clause of a mode is scored in turn instead of through the
  // mode's index. The answers are the same; the reference for testing.
  void SetFastPath(bool on);

  // ---- reading and writing ----
  // "Could not open file: PATH" when the file cannot be read as a brain.
  static std::optional<std::string> CannotOpen(const std::string& path);
  // Adds the file's (or the lines') statements to this brain. Problems go
  // to the reader-message handler; reading goes on past them.
  RunResult ReadFile(const std::string& path);
  RunResult ReadText(const std::vector<std::string>& lines);
  // The brain as Language text, one line each, without line ends.
  std::vector<std::string> Text();
  // Writes the brain to `path` atomically; the error, or empty on success.
  std::string Save(const std::string& path);

  // ---- running ----
  RunResult Start();  // the Initialize clauses answer; the volition timer starts
  RunResult Stop();   // the Finalize clauses answer; the volition timer stops
  RunResult Answer(const std::string& input);
  RunResult Tick();   // one beat of the volition timer
  // Asks the running call to stop at its next safe point.
  void RequestStop() noexcept;
  bool Busy() const;

  // ---- conversations taking turns (sessions) ----
  // Many conversations can share one brain: each keeps what is its own
  // (facts, registers, histories, hit counts, the random generator, the
  // collections it changed) in a session blob, and takes its turn by
  // restoring it. Call KeepSessions once the brain is read; the session
  // saved then is where every new conversation starts.
  void KeepSessions();
  std::string SaveSession() const;
  // The error when the blob cannot be read (another format version, or
  // damaged); the brain is then unchanged.
  std::string RestoreSession(std::string_view blob);
  // Off: the responses that change the brain itself are skipped and traced.
  void SetLearning(bool on);

  // ---- looking inside ----
  void Visit(BrainVisitor& visitor) const;

  // The clauses that answered during the last call (Answer, Tick, Start or
  // Stop), in the order they answered: a Submit This chain gives one for
  // each cycle.
  struct AnsweredBy {
    bool step = false;     // a procedure step's clause, not a mode's
    std::string owner;     // the mode's name, or the procedure's
    std::string stepName;  // the step, for a step's clause
    int number = 0;        // 1-based among the mode's (or step's) clauses
    std::string name;      // its object name, if it has one
    int32_t score = 0;
  };
  std::vector<AnsweredBy> Answered() const;

  // Why an input would get the answer it would get: the clauses of the
  // current mode scored as the answer scores them. Nothing in the brain
  // changes (no fact set, no hit counted, no random draw taken); a fragment
  // that calls an outside library calls it, as scoring does.
  struct FragmentPart {
    std::string relation;  // the relation's name
    std::string text;      // what it looks for: its word, or the fact or state it tests
    bool found = false;
    int32_t score = 0;     // what it added
    int32_t position = 0;  // where its word was found, for the relations that search one
  };
  struct ClausePart {
    int number = 0;     // 1-based in the mode
    std::string name;   // its object name, if it has one
    std::vector<FragmentPart> fragments;
    bool inOrder = true;
    int32_t orderScore = 0;  // the order bonus, or minus the order penalty
    int32_t total = 0;
    std::string response;    // its first response's text, to know it by
  };
  struct Explanation {
    std::string mode;        // the mode that would answer
    std::string procedure;   // when a procedure runs, its name: the input goes to its step instead
    std::vector<ClausePart> best;     // the best clauses, best first (on a tie, the earlier first)
    std::optional<ClausePart> asked;  // the clause asked about, when one was and it exists
    int clauses = 0;         // how many clauses the mode has
    std::string why;         // why the winner wins, or why the clause asked about does not
    std::string error;       // scoring itself failed (a score past 32 bits)
  };
  // `count` best clauses; `clause` names one (its object name, or "#N" for
  // its number) to be told why it does not win.
  Explanation Explain(const std::string& input, int count = 5, const std::string& clause = "");

 private:
  void Install();
  std::unique_ptr<BrainClass> brain_;
  Handlers handlers_;
};

// A read-only walk over a brain, in the order of the brain's own registers:
// its registers, named objects, states, collections, facts, procedures with
// their steps and clauses, and the modes with their clauses. A record that
// holds others is followed by them and then by Leave().
class BrainVisitor {
 public:
  struct Fragment {
    std::string_view relation, word, name, objectName;
  };
  struct Response {
    std::string_view type, text, objectName;
    uint32_t uses = 0;  // how often it was drawn to answer (responses only)
  };

  virtual ~BrainVisitor() = default;
  virtual void Registers(std::string_view /*myName*/, int /*currentMode*/, int /*currentState*/, int /*currentProc*/) {}
  virtual void NamedObject(std::string_view /*name*/) {}
  virtual void State(std::string_view /*name*/) {}
  virtual void Collection(std::string_view /*name*/, const std::vector<std::string>& /*members*/) {}
  virtual void Fact(std::string_view /*name*/, std::string_view /*value*/) {}
  virtual void ProcedureName(std::string_view /*name*/) {}
  virtual void Procedure(std::string_view /*name*/, std::string_view /*objectName*/) {}  // then its steps, Leave
  virtual void Step(std::string_view /*name*/, std::string_view /*objectName*/) {}       // then its clauses, Leave
  virtual void StepClause(int /*number*/, std::string_view /*objectName*/) {}            // then fragments, responses, Leave
  virtual void ModeName(std::string_view /*name*/) {}
  virtual void Mode(std::string_view /*name*/, std::string_view /*objectName*/) {}       // then its clauses, Leave
  // Then its fragments, responses, thresholds and state responses, Leave.
  virtual void Clause(int /*number*/, int32_t /*hits*/, std::string_view /*objectName*/) {}
  virtual void WordFragment(const Fragment& /*fragment*/) {}
  virtual void ResponseRecord(const Response& /*response*/) {}  // then its tasks, Leave
  virtual void Task(const Response& /*task*/) {}
  virtual void Threshold(int32_t /*from*/, int32_t /*to*/, std::string_view /*objectName*/) {}  // then responses, Leave
  virtual void StateResponse(std::string_view /*state*/, std::string_view /*objectName*/) {}  // then responses, Leave
  virtual void Leave() {}
};

// ---- checking a brain's text ----
// One thing the checker found, at a line of a file (line 0: the whole file).
struct Finding {
  // An error is a mistake; a warning, likely one; a note, something a
  // reader of the brain should know (such as the programs it would run).
  enum class Severity { Error, Warning, Note };
  std::string file;
  int line = 0;
  Severity severity = Severity::Warning;
  std::string message;
  std::string check;    // the check's short name, such as "reader" or "unknown-tag"
};
// Reads the brains as `varnex chat` would (INCLUDE followed) and checks
// them; the findings come sorted by file and line.
std::vector<Finding> CheckBrains(const std::vector<std::string>& paths);

// ---- the process as a whole ----
// Fixes the random generator's seed, so that a run repeats exactly; the
// seed serves every thread, and the calling thread's generator starts anew.
void FixRandomSeed(uint64_t seed);
// Starts the calling thread's generator anew from `seed`, leaving the
// process's fixed seed (if any) as it is: for a new conversation that is to
// draw a sequence of its own.
void SeedThisThread(uint64_t seed);
// The word database: opened once per process, with the first folder given
// (Ask Mentavo in a brain, or these calls).
void OpenWordDatabase(const std::string& folder);
std::string AskWordDatabase(const std::string& folder, const std::string& question);
// Builds the three files of a word database in `folder` from sentences, one
// per line; reports skipped sentences in `messages`; returns the error, or
// empty on success. (Defined with the word database itself.)
std::string BuildWordDatabase(const std::vector<std::string>& sentences, const std::string& folder,
                              std::vector<std::string>& messages);

}  // namespace varnex
