// One line of input in, zero or more answers out: the order in which the
// Do-Before patterns, the running procedure or the current mode, and the
// Do-After patterns see the input; the answer path and its histories.
#include <cmath>

#include "engine/actions/procedures.h"
#include "engine/core/brain.h"
#include "engine/matching/respond.h"
#include "engine/matching/score.h"
#include "engine/template/numbers.h"
#include "engine/template/text_search.h"
#include "platform/clock.h"

namespace varnex {

void BrainClass::StampLastInput() {
  double now = NowDays();
  if (!(now > LastInput)) now = std::nextafter(LastInput, HUGE_VAL);
  LastInput = now;
}

void BrainClass::ProcessInput(const std::string& input) {
  BusyScope busy(*this);
  StampLastInput();
  PushHistory(InputHistory, input);
  if (TraceOn) Trace("[Input]: " + input);

  // The patterns to visit are fixed before the first responds. One that an
  // earlier one deleted is skipped; it stays alive while the cycle runs.
  const std::vector<PatternClass*> before = DoBefore;
  for (PatternClass* p : before) {
    if (p->Retired) continue;
    if (TraceOn) Trace("[Do Before]: " + p->ObjectName);
    Respond(*this, *p, input);
  }

  if (ProcClass* proc = CurrentProcedure()) {
    RunProcedure(*this, *proc, input);
    return;
  }
  if (KnowledgeClass* k = CurrentKnowledge())
    Answer(*this, *k, input);
  else
    Output("Sorry, I do not know anything at all yet!");
  const std::vector<PatternClass*> after = DoAfter;
  for (PatternClass* p : after)
    if (!p->Retired) Respond(*this, *p, input);
}

void BrainClass::Output(const std::string& text) {
  if (TraceOn && !text.empty()) Trace("[Output]: " + text);
  if (!TrimView(text).empty()) PushHistory(OutputHistory, text);
  if (OutputHandler)
    OutputHandler(text);
  else
    Outputs.push_back(text);
}

void BrainClass::TraceStart(TextHandler log) {
  TraceLog = std::move(log);
  TraceOn = true;
}

void BrainClass::TraceStop() {
  TraceLog = nullptr;
  TraceOn = false;
}

namespace {
std::string HistoryAt(const std::deque<std::string>& history, std::string_view index) {
  int32_t i = WholeNumberOr(index, 0);
  if (i < 0 || i > 100 || static_cast<std::size_t>(i) >= history.size()) return {};
  return history[static_cast<std::size_t>(i)];
}
}  // namespace

std::string BrainClass::InputAt(std::string_view index) const { return HistoryAt(InputHistory, index); }
std::string BrainClass::OutputAt(std::string_view index) const { return HistoryAt(OutputHistory, index); }

}  // namespace varnex
