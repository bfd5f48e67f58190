// BrainClass: one loaded brain, its registries and the operations that
// enter records into them. The input cycle, the trace channel and the
// answer path are defined in input_cycle.cpp; volition in the matcher.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/records/named_objects.h"
#include "engine/records/records.h"
#include "engine/base/host.h"
#include "engine/records/collection.h"
#include "engine/records/search_keys.h"

namespace varnex {

using TextHandler = std::function<void(const std::string&)>;

using PermissionHandler = std::function<bool(Permission, const std::string& what)>;

struct CollectionEntry {
  std::string Name;  // the registry key, as first registered
  std::unique_ptr<DataCollectionClass> Collection;
};

class BrainClass final : public ObjectClass {
 public:
  explicit BrainClass(TextHandler outputHandler = nullptr);
  ~BrainClass();

  // ---- fields ----
  std::string MyName;
  int32_t CurrentMode = -1;
  int32_t CurrentState = -1;
  int32_t CurrentProc = -1;
  std::vector<std::string> ProcNames;
  OwnedList<ProcClass> Procs;
  std::vector<std::string> KnowledgeNames;
  OwnedList<KnowledgeClass> Knowledge;
  std::vector<std::string> FactNames;
  std::vector<std::string> FactValues;
  std::vector<std::string> StateNames;
  TextHandler OutputHandler;
  std::vector<CollectionEntry> Collections;  // sorted by name, ignoring case
  bool HasVolition = false;
  double LastInput = 0;
  VolitionTimerInterface* VolitionTimer = nullptr;  // installed by the front end
  bool ShowBlankOutput = false;
  NamedObjectRegistry NamedObjects;
  std::vector<PatternClass*> DoBefore;
  std::vector<PatternClass*> DoAfter;
  std::string LastPatternName;
  std::string LastStepPatternName;
  std::string LastFragmentName;
  std::string LastResponseName;
  std::string LastTaskName;
  std::string LastKnowledgeName;
  std::vector<std::string> ProcStackNames;
  std::vector<std::string> ProcStackSteps;
  // Loaded libraries by upper-case file name, sorted; released with the brain.
  std::vector<std::pair<std::string, void*>> Libraries;
  std::deque<std::string> InputHistory;   // newest first, at most 100
  std::deque<std::string> OutputHistory;  // newest first, at most 100
  std::vector<std::string> Outputs;       // answers kept while there is no handler
  TextHandler TraceLog;
  bool TraceOn = false;
  // Front-end hooks of the Language reader: its message boxes, one text
  // each, and its progress reports.
  TextHandler ReaderMessage;
  TextHandler LanguageProgress;
  // For tools that report on a brain's text. ReaderMessageAt has each
  // reader message with where it comes from: the file (empty for text given
  // as lines) and the 1-based line (0 for a message about the whole file).
  // StatementRead follows each statement line, failed or not, with the
  // record the reader holds as current afterwards (the one a NAME-OBJECT
  // line would name).
  std::function<void(const std::string& file, int line, const std::string& text)> ReaderMessageAt;
  std::function<void(const std::string& file, int line, const std::string& text, ObjectClass* current)>
      StatementRead;
  // Answers through the index of each mode rather than by scoring every
  // pattern; the results are the same. Off for the reference behaviour.
  bool FastPath = true;
  // Asked before a program starts or a library loads; without a handler
  // nothing is allowed.
  PermissionHandler AskPermission;
  // How deeply Submit This and Do Response For are nested right now, and
  // how much nested and task work the outermost running operation has done:
  // a brain that re-enters itself or loops is cut off by these counts.
  int NestingDepth = 0;
  long NestedRuns = 0;
  long TasksRun = 0;
  RunLimits Limits;
  // Failures that one action or tag met and that did not stop the input
  // (a division by zero, a value past its limit), one text each. At most
  // kErrorsShownPerRun reach the handler per outermost operation; the trace
  // has them all.
  TextHandler ErrorHandler;
  std::vector<std::string> Errors;  // reported errors kept while there is no handler
  static constexpr int kErrorsShownPerRun = 10;
  // While above 0, failures are not reported: the trace expands a response's
  // fields once more for display, and its failures would repeat those of
  // the action itself.
  int ErrorsMuted = 0;
  // While above 0, clauses are being scored: a failing tag then ends the
  // answer (as every failure of scoring does) instead of giving the empty
  // text, so that a clause is never scored on a text the tag never gave.
  int Scoring = 0;
  // Conversations take turns with this brain (session.h): collections keep
  // their members as read from their first change on.
  bool KeepsSessions = false;
  // The responses that change the brain itself (Self Modify, Delete Object,
  // Make Code, Create AutoPattern, Add Response, Add Fragment) are skipped,
  // and traced: for a brain many conversations share that must not learn.
  bool LearningOff = false;
  // The words the fragments search for, kept once each.
  SearchKeys FragmentKeys;
  // Called from the engine's safe points while an operation runs, at most
  // every 50 ms, with the seconds since it began: a front end that runs the
  // engine on its window thread can show that it is busy and offer Stop.
  std::function<void(double seconds)> WhileBusy;

  // The clauses that answered since the front end last cleared the list:
  // a mode's clause or a procedure step's clause, by the name of its mode or
  // procedure and its 1-based number there (a Submit This chain adds one
  // for each cycle). Names and numbers rather than records, so that a clause
  // deleted since leaves nothing to follow.
  struct AnswerSource {
    bool Step = false;      // a step clause of a procedure
    std::string Owner;      // the mode's name, or the procedure's
    std::string StepName;   // for a step clause, its step
    int Number = 0;         // 1-based among its mode's or step's clauses
    std::string Name;       // its object name, if it has one
    int32_t Score = 0;
  };
  std::vector<AnswerSource> Answered;

  // ---- registries ----
  void AddKnowledge(std::string_view name, std::unique_ptr<KnowledgeClass> knowledge);
  void AddState(std::string_view name);
  void AddFact(std::string_view name, std::string_view value);
  // Puts back a whole set of facts saved earlier (FactNames and FactValues
  // as they were), with the index that finds them by name.
  void ReplaceFacts(std::vector<std::string> names, std::vector<std::string> values);
  void AddCollection(std::string_view name, std::unique_ptr<DataCollectionClass> collection);
  void AddProc(std::string_view name, std::unique_ptr<ProcClass> proc);
  void PushProcCall();
  void PopProcCall();

  int IndexOfKnowledge(std::string_view name) const;
  int IndexOfState(std::string_view name) const;
  int IndexOfProc(std::string_view name) const;
  int IndexOfFact(std::string_view name) const;
  DataCollectionClass* FindCollection(std::string_view name) const;
  // Removes a collection from the registry; returns it (null when absent).
  std::unique_ptr<DataCollectionClass> TakeCollection(DataCollectionClass* collection);

  // The value of a fact, or "#" when there is none.
  std::string GetFact(std::string_view name) const;
  // The current state's name; empty when no (valid) state is current.
  std::string CurrentStateName() const;
  // The records at the current indices, or null when the index is -1 or
  // outside its registry (self-modification can set any number).
  KnowledgeClass* CurrentKnowledge() const;
  ProcClass* CurrentProcedure() const;

  // The whole input cycle, for Submit This: the cycle is built above the
  // actions that submit, so it installs itself here whenever it runs.
  void (*SubmitInput)(BrainClass& brain, const std::string& input) = nullptr;

  // ---- the answer path, the trace channel and the histories (output.cpp) ----
  void Output(const std::string& text);
  void TraceStart(TextHandler log);
  void TraceStop();
  void Trace(const std::string& line) {
    if (TraceOn && TraceLog) TraceLog(line);
  }
  std::string InputAt(std::string_view index) const;
  std::string OutputAt(std::string_view index) const;
  // LastInput := now, always strictly later than before, so that member
  // caches keyed on it never survive into the next input.
  void StampLastInput();

  // ---- long runs (run_control.cpp) ----
  // Asks the running operation to stop at its next safe point; it then
  // throws InputStopped. Safe to call from a signal handler or another
  // thread. A request made while nothing runs is forgotten.
  void RequestStop() noexcept { stopRequested_.store(true, std::memory_order_relaxed); }
  // A safe point: throws InputStopped when a stop was requested or the run
  // is past its time limit, and lets the front end know the engine is busy.
  void CheckRun();
  // Reports one action's or tag's failure: traced, and shown through
  // ErrorHandler within the per-run allowance.
  void ReportError(const std::string& message);
  // True while an operation of this brain runs.
  bool Busy() const { return busyDepth_ > 0; }

  // Marks a call into the host (an answer being shown or spoken, a question
  // to the user): its time does not count against the run's time limit.
  class HostCall {
   public:
    explicit HostCall(BrainClass& brain);
    ~HostCall();
    HostCall(const HostCall&) = delete;
    HostCall& operator=(const HostCall&) = delete;

   private:
    BrainClass& brain_;
    double began_;
  };

  // ---- record lifetime ----
  // Takes a record out of the brain for good: it and everything it owns are
  // marked retired and dropped from NamedObjects, DoBefore and DoAfter. It is
  // destroyed when the outermost running operation of the brain ends.
  void Retire(AnyRecord record);
  // Keeps a record that could not be attached anywhere (a collection or
  // procedure without a name, for instance) alive as long as the brain.
  void KeepUnattached(AnyRecord record);

  // Marks the brain busy for the duration of an operation that may hold
  // references to records while actions retire them.
  class BusyScope {
   public:
    explicit BusyScope(BrainClass& brain) : brain_(brain) {
      if (brain_.busyDepth_++ == 0) brain_.BeginRun();
    }
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    BrainClass& brain_;
  };

 private:
  void BeginRun();

  int busyDepth_ = 0;
  std::atomic<bool> stopRequested_{false};
  double runStart_ = 0;     // monotonic seconds
  double lastBusyCall_ = 0;
  int errorsShown_ = 0;
  std::vector<AnyRecord> graveyard_;
  std::vector<AnyRecord> unattached_;
  std::unordered_map<std::string, int> factIndex_;  // upper-cased name -> index
};

// Inserts at the front of a history and keeps at most 100 entries.
void PushHistory(std::deque<std::string>& history, const std::string& text);

}  // namespace varnex
