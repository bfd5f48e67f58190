// The fast way of answering must be indistinguishable from scoring every
// pattern: random brains and inputs run both ways, with self-modification
// between inputs, and every answer, trace line and piece of state compared.
// GCC 12 warns wrongly about string concatenation here (-Wrestrict).
#pragma GCC diagnostic ignored "-Wrestrict"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "engine/actions/self_modify.h"
#include "engine/base/random.h"
#include "engine/records/type_names.h"
#include "engine/matching/score.h"
#include "engine/cycle/input_cycle.h"
#include "engine/template/object_fields.h"
#include "engine/language/reader.h"
#include "platform/clock.h"
#include "support/differential.h"
#include "support/test_support.h"

namespace varnex {
namespace {

const std::vector<std::string> kWords = {"hi",   "hello", "cat", "cats", "dog", "my",     "name", "is",
                                         "not",  "why?",  "a b", "ice cream", "x1", "HI", "Ca", "concatenate",
                                         " dog ", "", "-", "hi5", "é"};

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int percent) { return Int(1, 100) <= percent; }
  std::string Word() {
    if (Chance(8)) return Pick({"^Fact{f1}", "^LastFrag{}", "^Input{1}", "^Member{pets}", "^State{}", "^MemberX{pets}"});
    return kWords[static_cast<std::size_t>(Int(0, static_cast<int>(kWords.size()) - 1))];
  }
  std::string Pick(std::initializer_list<const char*> options) {
    return *(options.begin() + Int(0, static_cast<int>(options.size()) - 1));
  }
  std::string Number() {
    if (Chance(3)) return Pick({"2147483647", "-2147483648", "2147483600"});
    return std::to_string(Int(-120, 120));
  }

  std::string Brain() {
    std::ostringstream out;
    out << "Fact {f1} = {" << Word() << "}\nState {Angry}\n";
    out << "Start-Collection {pets}\ndog\ncat\nice cream\nEnd-Collection\n";
    out << "Start-Collection {code}, {UNSORTED}\nFor-Mode 5,5\n  Fragment AND,0,0, {cat}, {}, {}\n"
           "  Response {coded},Just Text,{},{}\nEnd-Collection\n";
    const int clauses = Int(0, 25);
    for (int c = 0; c < clauses; ++c) {
      if (Chance(5)) out << "Mode {Second}\n";
      Clause(out, c);
    }
    return out.str();
  }

  void Clause(std::ostream& out, int c) {
    out << "For-Mode " << Number() << "," << Number() << "\nName-Object {p" << c << "}\n";
    const int fragments = Int(0, 4);
    for (int f = 0; f < fragments; ++f) {
      auto relation = static_cast<PatternType>(Chance(70) ? Int(1, 4) : (Chance(50) ? 11 : Int(0, 17)));
      if (relation == PatternType::External) relation = PatternType::And;  // outside libraries are tested elsewhere
      std::string word = relation == PatternType::Extract ? "my name is ^Extr{NAME}" : Word();
      out << "  Fragment " << PatternTypeName(relation) << "," << Number() << "," << Number()
          << ", {" << word << "}, {" << Pick({"f1", "pets", "Angry", "", "^Fact{f1}"}) << "}, {" << Word() << "}\n";
      if (Chance(80)) out << "  Name-Object {f" << c << "_" << f << "}\n";
    }
    out << "  Response {r" << c << " ^LastFrag{} ^Member{pets}},Just Text,{},{}\n";
    if (Chance(20)) out << "  Response {r" << c << "b ^MemberX{pets}},Just Text,{},{}\n";
  }

  std::string Input() {
    std::string s;
    const int words = Int(0, 6);
    for (int i = 0; i < words; ++i) s += (i ? Pick({" ", ", ", "-", "  ", ""}) : "") + Word();
    return s;
  }

  // A change to apply to both brains between inputs, as a closure.
  std::function<void(BrainClass&)> Mutation(int clauses) {
    const std::string p = "p" + std::to_string(Int(0, std::max(0, clauses - 1)));
    const std::string f = p.substr(1);
    const std::string frag = "f" + f + "_" + std::to_string(Int(0, 3));
    // Every choice is made now: both runs must apply the very same change.
    const std::string word = Word(), second = Word(), number = Number();
    const bool half = Chance(50);
    std::ostringstream appended;
    for (int n = Int(1, 3); n > 0; --n) Clause(appended, Int(100, 999));
    std::vector<std::string> lines;
    std::istringstream in(appended.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    switch (Int(0, 8)) {
      case 0: return [=](BrainClass& b) { CreateAutoPattern(b, word + " " + second, number, "learned"); };
      case 1: return [=](BrainClass& b) { AddFragmentToLastPattern(b, word, number); };
      case 2: return [=](BrainClass& b) { DeleteObject(b, half ? p : frag); };
      case 3: {
        const std::string field = Pick({"WORDFRAG", "RELATION", "BONUS", "PENALTY"});
        const std::string value = field == "WORDFRAG" ? word : field == "RELATION" ? Pick({"AND", "OR", "NOT", "CUSTOM", "CUSTOM-Sub", "Data-Match", "None"}) : number;
        return [=](BrainClass& b) { SetObjectField(b, frag, field, value); };
      }
      case 4: return [](BrainClass& b) { MakeCode(b, "code"); };
      case 5: return [](BrainClass& b) { b.AddFact("f1", "cat"); };
      case 7: return [=](BrainClass& b) { LoadLanguageText(b, lines); };  // clauses of any kind appended
      default: return [=](BrainClass& b) { SetObjectField(b, "MyBrain", "CURRENTSTATE", half ? "1" : "0"); };
    }
  }

 private:
  std::mt19937 rng_;
};

TEST(FastPath, AgreesWithScoringEveryPattern) {
  // 100,000 inputs, each answered both ways (a tenth under the sanitizers,
  // which run the same code ten times slower).
  constexpr int kBrains = VARNEX_DIFFERENTIAL_BRAINS, kInputs = 40;
  for (int n = 0; n < kBrains; ++n) {
    Generator g(static_cast<uint32_t>(n + 1));
    const std::string brain = g.Brain();
    std::vector<std::string> inputs;
    std::vector<std::function<void(BrainClass&)>> mutations;
    for (int i = 0; i < kInputs; ++i) {
      inputs.push_back(g.Input());
      mutations.push_back(g.Chance(15) ? g.Mutation(25) : nullptr);
    }
    const test::Played reference = test::Play(brain, inputs, mutations, false);
    const test::Played fast = test::Play(brain, inputs, mutations, true);
    if (reference.log != fast.log) {
      std::size_t i = 0;
      while (i < reference.log.size() && i < fast.log.size() && reference.log[i] == fast.log[i]) ++i;
      std::string shown;
      for (const auto& s : inputs) shown += "  [" + s + "]\n";
      FAIL() << "brain " << n + 1 << " differs at log line " << i << ":\n  reference: "
             << (i < reference.log.size() ? reference.log[i] : "(end)") << "\n  fast:      "
             << (i < fast.log.size() ? fast.log[i] : "(end)") << "\nbrain:\n" << brain << "inputs:\n" << shown;
    }
  }
}

}  // namespace
}  // namespace varnex
