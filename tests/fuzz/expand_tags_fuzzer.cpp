// libFuzzer: tag expansion of any text against a brain with facts,
// collections, states, histories and the last-used names.
//
// The input is the text to expand, optionally followed by a zero byte and
// the context text (the input being answered), and by another zero byte and
// a byte that picks the owner ^Remain{} works with: the clause (the
// default), the step clause, or none.
//
// Expansion must end quickly (libFuzzer's -timeout catches a hang) and
// never crash, and:
// - it throws nothing: a tag that fails gives the empty text and is reported;
// - a text without a caret comes back as it was;
// - the result is no longer than the text or the brain's value limit,
//   whichever is longer;
// - it changes nothing in the brain but the collections' member caches.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/random.h"
#include "engine/template/expand_tags.h"
#include "fuzz/fuzz_support.h"
#include "engine/language/reader.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

// Facts that lead to further tags, to themselves, to numbers and to braces;
// sorted and unsorted collections that share words with the context.
constexpr const char* kBrain = R"(STATE {Sleepy}
FOR-MODE 0,0
NAME-OBJECT {Greeting}
  FRAGMENT AND,0,0, {hello}, {}, {}
  FRAGMENT OR,0,0, {^Fact{name}}, {}, {}
  FRAGMENT NOT,0,0, {^Member{Colors}}, {}, {}
  FRAGMENT CUSTOM-Sub,0,0, {^Remain{}}, {}, {}
  FRAGMENT Data-Match,0,0, {x}, {}, {}
  RESPONSE {Hi},Just Text,{},{}
PROCEDURE {Quiz}
STEP {Ask},{What colour is the sky, ^Fact{name}?}
FOR-STEP
NAME-OBJECT {Answer}
  FRAGMENT AND,0,0, {blue}, {}, {}
  FRAGMENT OR,0,0, {^Input{0}}, {}, {}
FACT {name} = {Moss}
FACT {loop} = {^Fact{loop}!}
FACT {grow} = {^Fact{grow}^Fact{grow}}
FACT {later} = {^Member{Colors} and ^Add{^Fact{two}|2}}
FACT {two} = {2}
FACT {big} = {$7FFFFFFF}
FACT {zero} = {0}
FACT {braces} = {a{b}c}
FACT {open} = {^Fact{x
FACT {} = {empty name}
START-COLLECTION {Colors}
red
green
blue
light blue
END-COLLECTION
START-COLLECTION {Pets}, {UNSORTED}
dog
cat
red fox
^Fact{name}
END-COLLECTION
START-COLLECTION {Topics}
blue sky
green grass
a dog and a cat
END-COLLECTION
START-COLLECTION {Empty}
END-COLLECTION
)";

// Everything expansion must leave alone.
std::string Snapshot(const BrainClass& b) {
  std::ostringstream s;
  for (std::size_t i = 0; i < b.FactNames.size(); ++i) s << b.FactNames[i] << '=' << b.FactValues[i] << '\n';
  for (const auto& n : b.StateNames) s << n << '\n';
  s << b.CurrentState << ' ' << b.NamedObjects.Size() << '\n';
  for (const auto& c : b.Collections)
    for (const auto& m : c.Collection->Members) s << c.Name << ':' << m << '\n';
  for (const auto& h : b.InputHistory) s << "in " << h << '\n';
  for (const auto& h : b.OutputHistory) s << "out " << h << '\n';
  return s.str();
}

}  // namespace
}  // namespace varnex

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnex;
  const std::vector<std::string> parts = fuzz::SplitAtZeros(data, size, 3);
  const std::string& text = parts[0];
  const std::string context = parts.size() > 1 ? parts[1] : "hello red dog, I am Moss";
  const int owner = parts.size() > 2 && !parts[2].empty() ? static_cast<unsigned char>(parts[2][0]) % 3 : 0;

  test::FixedClock clock(45000.0);
  FixRandomSeed(1);
  BrainClass brain;
  test::Load(brain, kBrain);
  brain.CurrentState = 1;
  for (const char* input : {"my name is Moss", "what colour is the sky", "hello red dog"})
    PushHistory(brain.InputHistory, input);
  for (const char* output : {"Hello!", "^Fact{name}", "Blue, mostly."}) PushHistory(brain.OutputHistory, output);
  brain.LastPatternName = "Greeting";
  brain.LastStepPatternName = "Answer";
  brain.LastFragmentName = "^Fact{name}";
  brain.LastResponseName = "^LastPat{}";
  brain.LastKnowledgeName = "Default";
  // Small enough that texts which grow reach the limit quickly.
  brain.Limits.ValueBytes = 1 << 16;
  brain.Limits.Seconds = 0;  // a hang must show as one, not end as a stop

  PatternClass* clause = brain.Knowledge[0]->Patterns[0].get();
  StepPatternClass* stepClause = brain.Procs[0]->Steps[0]->StepPatterns[0].get();
  std::string result;
  {
    BrainClass::BusyScope busy(brain);
    brain.StampLastInput();  // as an input does: member caches are of this input
    const std::string before = Snapshot(brain);
    result = ExpandTags(brain, text, context, owner == 1 ? stepClause : nullptr, owner == 0 ? clause : nullptr);
    if (Snapshot(brain) != before) fuzz::Fail("expansion changed the brain");
  }
  if (text.find('^') == std::string::npos && result != text) fuzz::Fail("a text without tags changed");
  if (result.size() > std::max(text.size(), brain.Limits.ValueBytes))
    fuzz::Fail("the result is longer than the value limit: " + std::to_string(result.size()) + " bytes");
  return 0;
}
