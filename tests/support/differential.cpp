#include "support/differential.h"
#include "engine/cycle/input_cycle.h"

#include <sstream>

#include "engine/base/errors.h"
#include "engine/base/random.h"
#include "engine/language/reader.h"
#include "engine/language/writer.h"
#include "engine/records/state_dump.h"
#include "support/test_support.h"

namespace varnex::test {
namespace {

// The brain's definitions as the writer gives them: learning and
// self-modification change them. The engine's dump of its state covers the
// rest and is compared after every input.
std::string Definitions(BrainClass& b) {
  std::vector<std::string> lines;
  SaveLanguageText(b, lines);
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
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
  b.ErrorHandler = [&](const std::string& s) { run.log.push_back("reported: " + s); };
  std::vector<std::string> lines;
  std::istringstream in(brainText);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  LoadLanguageText(b, lines);
  if (seconds > 0) b.Limits.Seconds = seconds;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    clock.Advance(0.00001);
    try {
      ProcessInput(b, inputs[i]);
    } catch (const InputStopped& e) {
      run.log.push_back(std::string("stopped: ") + e.what());
      run.stopped = true;
      return run;
    } catch (const std::exception& e) {
      run.log.push_back(std::string("error: ") + e.what());
    }
    run.log.push_back("state: " + DumpState(b));
    if (mutations[i]) {
      BrainClass::BusyScope busy(b);
      try {
        mutations[i](b);
      } catch (const std::exception& e) {
        run.log.push_back(std::string("change error: ") + e.what());
      }
      run.log.push_back("definitions: " + Definitions(b));
    }
  }
  run.log.push_back("definitions: " + Definitions(b));
  return run;
}


}  // namespace varnex::test
