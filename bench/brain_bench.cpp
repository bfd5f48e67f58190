// Reading, answering and writing generated brains of many clauses, each with
// two AND fragments and one Just Text response.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/generated_brain.h"
#include "engine/cycle/input_cycle.h"
#include "engine/actions/self_modify.h"
#include "engine/records/brain.h"
#include "engine/base/random.h"
#include "engine/language/reader.h"
#include "engine/language/writer.h"

namespace varnex {
namespace {

const std::string& BrainFile(int clauses) {
  static std::map<int, std::string> paths;
  std::string& p = paths[clauses];
  if (p.empty()) {
    p = "/tmp/varnex-bench-" + std::to_string(clauses) + ".vlf";
    WriteGeneratedBrain(p, clauses);
  }
  return p;
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
  const std::vector<std::string> inputs = GeneratedInputs(clauses);
  ProcessInput(brain, inputs.back());  // builds the mode's index once, outside the timing
  std::size_t i = 0;
  for (auto _ : state) ProcessInput(brain, inputs[i++ % inputs.size()]);
}
void BM_InputCycleFast(benchmark::State& state) { InputCycle(state, true); }
void BM_InputCycleReference(benchmark::State& state) { InputCycle(state, false); }

// A brain that learns: before each input a clause is appended (as Create
// AutoPattern does), which the index must take in without rebuilding itself
// at every input. Runs after the other input-cycle benchmarks, since it
// grows their brains.
void BM_InputCycleLearning(benchmark::State& state) {
  const int clauses = static_cast<int>(state.range(0));
  BrainClass& brain = LoadedBrain(clauses);
  brain.FastPath = true;
  const std::vector<std::string> inputs = GeneratedInputs(clauses);
  ProcessInput(brain, inputs.back());
  int learned = 0;
  for (auto _ : state) {
    CreateAutoPattern(brain, "learned " + Word(learned++), "0", "Learned");
    ProcessInput(brain, inputs[static_cast<std::size_t>(learned) % inputs.size()]);
  }
}

void BM_WriteLanguageFile(benchmark::State& state) {
  BrainClass brain;
  LoadLanguageFile(brain, BrainFile(static_cast<int>(state.range(0))));
  const std::string out = "/tmp/varnex-bench-out.vlf";
  for (auto _ : state) SaveLanguageFile(brain, out);
}

BENCHMARK(BM_ReadLanguageFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InputCycleFast)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InputCycleReference)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InputCycleLearning)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteLanguageFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varnex

BENCHMARK_MAIN();
