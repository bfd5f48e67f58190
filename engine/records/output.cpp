// The answer path: every answer leaves the brain through Output, which
// records it in the output history; the trace channel; the input and output
// histories and the input clock that member caches are keyed on.
#include <cmath>

#include "engine/base/numbers.h"
#include "engine/base/text_search.h"
#include "engine/records/brain.h"
#include "platform/clock.h"

namespace varnex {

void BrainClass::StampLastInput() {
  double now = NowDays();
  if (!(now > LastInput)) now = std::nextafter(LastInput, HUGE_VAL);
  LastInput = now;
}

void BrainClass::Output(const std::string& text) {
  if (TraceOn && !text.empty()) Trace("[Output]: " + text);
  if (!TrimView(text).empty()) PushHistory(OutputHistory, text);
  if (!OutputHandler) {
    Outputs.push_back(text);
    return;
  }
  // Showing (or speaking) the answer is the host's time, not the run's.
  HostCall host(*this);
  OutputHandler(text);
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

void PushHistory(std::deque<std::string>& history, const std::string& text) {
  history.push_front(text);
  if (history.size() > 100) history.pop_back();
}

}  // namespace varnex
