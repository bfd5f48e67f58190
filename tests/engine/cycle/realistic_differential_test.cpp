// The fast way against the reference on brains shaped like real ones:
// common words in thousands of clauses, chains of Submit This answers, fact
// and state tests, and a brain that changes under the index between inputs
// (clauses learnt, fragments changed and deleted, the state and facts the
// tests read). Every answer, trace line and the full state must agree.
// GCC 12 warns wrongly about string concatenation here (-Wrestrict).
#pragma GCC diagnostic ignored "-Wrestrict"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "bench/realistic_brain.h"
#include "engine/actions/self_modify.h"
#include "engine/template/object_fields.h"
#include "support/differential.h"

namespace varnex {
namespace {

// The generated brain with every seventh clause named, so that changes can
// reach covered clauses and their fragments by name.
std::string NamedBrain(const RealisticShape& shape) {
  const std::string path = ::testing::TempDir() + "realistic-" + std::to_string(shape.seed) + ".vlf";
  EXPECT_TRUE(WriteRealisticBrain(path, shape));
  std::ifstream in(path);
  std::ostringstream out;
  int clause = 0, fragment = 0;
  for (std::string line; std::getline(in, line);) {
    out << line << "\n";
    if (line.starts_with("For-Mode")) {
      if (clause % 7 == 0) out << "Name-Object {c" << clause << "}\n";
      ++clause;
      fragment = 0;
    } else if (line.starts_with("  Fragment") && clause % 7 == 1) {
      out << "  Name-Object {f" << clause - 1 << "_" << fragment++ << "}\n";
    }
  }
  std::remove(path.c_str());
  return out.str();
}

std::function<void(BrainClass&)> Change(std::mt19937& rng, int clauses) {
  const int named = static_cast<int>(rng() % static_cast<unsigned>(clauses)) / 7 * 7;
  const std::string clause = "c" + std::to_string(named);
  const std::string words[] = {"IS", "YOU", "THE", "WHAT", "ZQBA", "CAT", "", "a b"};
  const std::string word = words[rng() % std::size(words)];
  switch (rng() % 8) {
    case 0: return [=](BrainClass& b) { CreateAutoPattern(b, word + " IS " + word, "10", "learnt"); };
    case 1: return [=](BrainClass& b) { AddFragmentToLastPattern(b, word, "5"); };
    case 2: return [=](BrainClass& b) { DeleteObject(b, clause); };
    case 3: return [=](BrainClass& b) { SetObjectField(b, clause, "ORDERBONUS", "400"); };
    case 4: return [](BrainClass& b) { b.AddFact("mood", b.GetFact("mood") == "calm" ? "cross" : "calm"); };
    case 5: return [](BrainClass& b) { SetObjectField(b, "MyBrain", "CURRENTSTATE", b.CurrentState == 0 ? "1" : "0"); };
    case 6:
      return [=](BrainClass& b) {
        // The first fragment of a named clause, as Self Modify reaches it.
        if (ObjectClass* r = b.NamedObjects.Find(clause); r && r->Kind == ObjectKind::Pattern) {
          auto* p = static_cast<PatternClass*>(r);
          if (!p->Fragments.empty() && p->Fragments[0]->ObjectName.empty()) {
            p->Fragments[0]->ObjectName = "first of " + clause;
            b.NamedObjects.Add("first of " + clause, p->Fragments[0].get());
          }
          SetObjectField(b, "first of " + clause, "WORDFRAG", word);
        }
      };
    default: return [=](BrainClass& b) { SetObjectField(b, clause, "ORDERPENALTY", "-300"); };
  }
}

// Plays the brain both ways and reports the first line where they differ.
void ExpectSameAnswers(const std::string& brain, const std::vector<std::string>& inputs,
                       const std::vector<std::function<void(BrainClass&)>>& changes, int n) {
  const test::Played reference = test::Play(brain, inputs, changes, false);
  const test::Played fast = test::Play(brain, inputs, changes, true);
  if (reference.log == fast.log) return;
  std::size_t i = 0;
  while (i < reference.log.size() && i < fast.log.size() && reference.log[i] == fast.log[i]) ++i;
  ADD_FAILURE() << "brain " << n << " differs at log line " << i << ":\n  reference: "
                << (i < reference.log.size() ? reference.log[i].substr(0, 300) : "(end)")
                << "\n  fast:      " << (i < fast.log.size() ? fast.log[i].substr(0, 300) : "(end)");
}

TEST(RealisticDifferential, TheFastWayAnswersAsTheReference) {
  const int brains = VARNEX_DIFFERENTIAL_BRAINS / 250;  // 10, or 1 under the sanitizers
  for (int n = 0; n < brains; ++n) {
    const RealisticShape shape{1500 + 300 * n, static_cast<unsigned>(n + 1)};
    const std::vector<std::string> inputs = RealisticInputs(shape, 60);
    std::mt19937 rng(static_cast<unsigned>(n));
    std::vector<std::function<void(BrainClass&)>> changes;
    for (std::size_t i = 0; i < inputs.size(); ++i) changes.push_back(rng() % 4 == 0 ? Change(rng, shape.clauses) : nullptr);
    ExpectSameAnswers(NamedBrain(shape), inputs, changes, n);
  }
}

TEST(RealisticDifferential, ClausesThatAllShareTheInputsWords) {
  // Hundreds of clauses over five words, so that the clauses with the best
  // score when their words are absent are mostly ones whose words the input
  // holds, and the clause that answers is often far down every list. In
  // half the brains most fragments are NOT, so that the answer is often a
  // clause none of whose words occurs, found after a long run of clauses
  // whose words do.
  const std::string words[] = {"WHAT", "IS", "THE", "TIME", "NOW"};
  for (int n = 0; n < 6; ++n) {
    const char* mostlyAnd[] = {"AND", "AND", "OR", "NOT", "CUSTOM"};
    const char* mostlyNot[] = {"NOT", "NOT", "NOT", "NOT", "AND"};
    const char* const* relations = n % 2 ? mostlyNot : mostlyAnd;
    std::mt19937 rng(static_cast<unsigned>(100 + n));
    std::ostringstream brain;
    for (int c = 0; c < 300; ++c) {
      brain << "For-Mode " << rng() % 30 << "," << rng() % 30 << "\n";
      for (unsigned f = 0, count = 1 + rng() % (n % 2 ? 2 : 4); f < count; ++f)
        brain << "  Fragment " << relations[rng() % 5] << "," << rng() % 40 << "," << rng() % 40 << ", {"
              << words[rng() % 5] << "}, {}, {}\n";
      brain << "  Response {answer " << c << "},Just Text,{},{}\n";
    }
    std::vector<std::string> inputs;
    for (int i = 0; i < 40; ++i) {
      std::string input;
      for (unsigned w = 0, count = rng() % (n % 2 ? 3 : 6); w < count; ++w) input += words[rng() % 5] + " ";
      inputs.push_back(input + "please");
    }
    ExpectSameAnswers(brain.str(), inputs, std::vector<std::function<void(BrainClass&)>>(inputs.size()), n);
  }
  // The plainest such brain: a hundred clauses that lose when the input
  // says WHAT, then the one that wins because it does not ask about WHAT.
  std::string brain;
  for (int c = 0; c < 100; ++c) brain += "For-Mode 0,0\n  Fragment NOT,0,0, {WHAT}, {}, {}\n  Response {no},Just Text,{},{}\n";
  brain += "For-Mode 0,0\n  Fragment NOT,0,0, {TIME}, {}, {}\n  Response {yes},Just Text,{},{}\n";
  const test::Played fast = test::Play(brain, {"what now"}, {nullptr}, true);
  EXPECT_NE(std::find(fast.log.begin(), fast.log.end(), "out: yes"), fast.log.end());
  ExpectSameAnswers(brain, {"what now", "now", "what time"}, {nullptr, nullptr, nullptr}, 6);
}

}  // namespace
}  // namespace varnex
