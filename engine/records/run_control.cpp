// How a long or failing run is contained. An outermost operation (an input,
// a volition tick, the Initialize or Finalize clauses) begins a run; the
// engine calls CheckRun at its safe points: between tasks, before a pattern
// responds, before a nested cycle, and while a tag expansion or a collection
// operation grinds through much work. Between safe points the brain is
// consistent, so stopping there leaves it as the completed actions made it.
#include <string>

#include "engine/records/brain.h"
#include "engine/base/errors.h"
#include "platform/clock.h"

namespace varnex {

namespace {
// How often the front end hears that the engine is busy.
constexpr double kBusyCallSeconds = 0.05;

std::string SecondsText(double seconds) {
  std::string s = std::to_string(seconds);
  while (s.ends_with('0')) s.pop_back();
  if (s.ends_with('.')) s.pop_back();
  return s;
}
}  // namespace

void BrainClass::BeginRun() {
  NestedRuns = TasksRun = 0;
  Answered.clear();
  errorsShown_ = 0;
  stopRequested_.store(false, std::memory_order_relaxed);
  runStart_ = lastBusyCall_ = MonotonicSeconds();
}

void BrainClass::CheckRun() {
  if (!Busy()) return;  // called from outside any run: nothing to bound
  if (stopRequested_.exchange(false, std::memory_order_relaxed)) throw InputStopped("Input stopped");
  const double now = MonotonicSeconds();
  const double elapsed = now - runStart_;
  if (Limits.Seconds > 0 && elapsed > Limits.Seconds)
    throw InputStopped("Input stopped: it ran longer than " + SecondsText(Limits.Seconds) +
                       (Limits.Seconds == 1 ? " second" : " seconds"));
  if (WhileBusy && now - lastBusyCall_ >= kBusyCallSeconds) {
    lastBusyCall_ = now;
    WhileBusy(elapsed);
    // The front end may have asked to stop just now.
    if (stopRequested_.exchange(false, std::memory_order_relaxed)) throw InputStopped("Input stopped");
  }
}

BrainClass::HostCall::HostCall(BrainClass& brain) : brain_(brain), began_(MonotonicSeconds()) {}

BrainClass::HostCall::~HostCall() {
  // The run's clock starts later by as much as the host took.
  const double took = MonotonicSeconds() - began_;
  brain_.runStart_ += took;
  brain_.lastBusyCall_ += took;
}

void BrainClass::ReportError(const std::string& message) {
  if (ErrorsMuted > 0) return;
  if (TraceOn) Trace("[Error]: " + message);
  if (errorsShown_ > kErrorsShownPerRun) return;
  const std::string shown = errorsShown_ < kErrorsShownPerRun ? message : "More errors in this input are not shown";
  ++errorsShown_;
  if (ErrorHandler)
    ErrorHandler(shown);
  else
    Errors.push_back(shown);
}

}  // namespace varnex
