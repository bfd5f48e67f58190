// Reading, answering and writing generated brains of many clauses, each with
// two AND fragments and one Just Text response.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/core/brain.h"
#include "engine/core/random.h"
#include "langfile/reader.h"
#include "langfile/writer.h"
#include "platform/text_file.h"

namespace varnex {
namespace {

// A distinct letters-only word for every number.
std::string Word(int n) {
  std::string w = "w";
  do {
    w.push_back(static_cast<char>('a' + n % 26));
    n /= 26;
  } while (n);
  return w;
}

std::vector<std::string> GeneratedBrain(int clauses) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(clauses) * 5);
  for (int i = 0; i < clauses; ++i) {
    lines.push_back("For-Mode 10,5");
    lines.push_back("  Fragment AND,0,0, {" + Word(2 * i) + "}, {}, {}");
    lines.push_back("  Fragment AND,0,0, {" + Word(2 * i + 1) + "}, {}, {}");
    lines.push_back("  Response {Answer " + std::to_string(i) + "},Just Text,{},{}");
    lines.push_back("");
  }
  return lines;
}

const std::string& BrainFile(int clauses) {
  static std::map<int, std::string> paths;
  std::string& p = paths[clauses];
  if (p.empty()) {
    p = "/tmp/varnex-bench-" + std::to_string(clauses) + ".vlf";
    WriteLinesAtomically(p, GeneratedBrain(clauses));
  }
  return p;
}

// Inputs of 4 to 11 words, two of which belong to one clause; the others
// are words no clause uses.
std::vector<std::string> Inputs(int clauses) {
  std::mt19937 rng(42);
  std::vector<std::string> inputs;
  for (int n = 0; n < 64; ++n) {
    const int target = static_cast<int>(rng() % static_cast<unsigned>(clauses));
    const int words = 4 + static_cast<int>(rng() % 8);
    std::vector<std::string> w;
    for (int i = 0; i < words - 2; ++i) w.push_back("filler" + std::string(1, static_cast<char>('a' + rng() % 26)));
    w.insert(w.begin() + static_cast<long>(rng() % (w.size() + 1)), Word(2 * target));
    w.push_back(Word(2 * target + 1));
    std::string s;
    for (const auto& x : w) s += (s.empty() ? "" : " ") + x;
    inputs.push_back(s);
  }
  return inputs;
}

// One brain per size, read once and kept for the input-cycle benchmarks.
BrainClass& LoadedBrain(int clauses) {
  static std::map<int, std::unique_ptr<BrainClass>> brains;
  auto& b = brains[clauses];
  if (!b) {
    FixRandomSeed(1);
    b = std::make_unique<BrainClass>([](const std::string&) {});
    LoadLanguageFile(*b, BrainFile(clauses));
  }
  return *b;
}

void BM_ReadLanguageFile(benchmark::State& state) {
  const std::string& path = BrainFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    BrainClass brain;
    LoadLanguageFile(brain, path);
    benchmark::DoNotOptimize(brain.Knowledge[0]->Patterns.size());
  }
}

void InputCycle(benchmark::State& state, bool fast) {
  const int clauses = static_cast<int>(state.range(0));
  BrainClass& brain = LoadedBrain(clauses);
  brain.FastPath = fast;
  const std::vector<std::string> inputs = Inputs(clauses);
  brain.ProcessInput(inputs.back());  // builds the mode's index once, outside the timing
  std::size_t i = 0;
  for (auto _ : state) brain.ProcessInput(inputs[i++ % inputs.size()]);
}
void BM_InputCycleFast(benchmark::State& state) { InputCycle(state, true); }
void BM_InputCycleReference(benchmark::State& state) { InputCycle(state, false); }

void BM_WriteLanguageFile(benchmark::State& state) {
  BrainClass brain;
  LoadLanguageFile(brain, BrainFile(static_cast<int>(state.range(0))));
  const std::string out = "/tmp/varnex-bench-out.vlf";
  for (auto _ : state) SaveLanguageFile(brain, out);
}

BENCHMARK(BM_ReadLanguageFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InputCycleFast)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InputCycleReference)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteLanguageFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varnex

BENCHMARK_MAIN();
