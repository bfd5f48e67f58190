#include "support/differential.h"

#include <sstream>

#include "engine/core/errors.h"
#include "engine/core/random.h"
#include "langfile/reader.h"
#include "support/test_support.h"

namespace varnex::test {
namespace {

// Everything an input can change that the two ways must agree on.
std::string State(const BrainClass& b) {
  std::ostringstream s;
  s << b.LastFragmentName << '|' << b.LastPatternName << '|' << b.LastKnowledgeName << '|' << b.CurrentState;
  for (std::size_t i = 0; i < b.FactNames.size(); ++i) s << '|' << b.FactNames[i] << '=' << b.FactValues[i];
  for (const auto& k : b.Knowledge)
    for (const auto& p : k->Patterns) s << '|' << p->HitCount << ',' << p->LastVolition;
  for (const auto& c : b.Collections) s << '|' << c.Collection->MemberCache << ',' << c.Collection->MemberSubCache;
  return s.str();
}

}  // namespace

Played Play(const std::string& brainText, const std::vector<std::string>& inputs,
         const std::vector<std::function<void(BrainClass&)>>& mutations, bool fast, double seconds) {
  Played run;
  FixedClock clock(45000.0);
  FixRandomSeed(7);
  BrainClass b([&](const std::string& s) { run.log.push_back("out: " + s); });
  b.FastPath = fast;
  b.TraceStart([&](const std::string& s) { run.log.push_back("trace: " + s); });
  b.ReaderMessage = [&](const std::string& s) { run.log.push_back("message: " + s); };
  std::vector<std::string> lines;
  std::istringstream in(brainText);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  LoadLanguageText(b, lines);
  if (seconds > 0) b.Limits.Seconds = seconds;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    clock.Advance(0.00001);
    try {
      b.ProcessInput(inputs[i]);
    } catch (const InputStopped& e) {
      run.log.push_back(std::string("stopped: ") + e.what());
      run.stopped = true;
      return run;
    } catch (const std::exception& e) {
      run.log.push_back(std::string("error: ") + e.what());
    }
    run.log.push_back("state: " + State(b));
    if (mutations[i]) {
      BrainClass::BusyScope busy(b);
      try {
        mutations[i](b);
      } catch (const std::exception& e) {
        run.log.push_back(std::string("change error: ") + e.what());
      }
    }
  }
  return run;
}


}  // namespace varnex::test
