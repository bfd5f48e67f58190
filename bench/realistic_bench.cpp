// Reading and answering brains shaped like real ones (bench/realistic_brain.h):
// common words shared by many clauses, chains of Submit This answers. Each
// input is timed on its own, so that the median and the 99th percentile
// can be reported, for the whole input (its chains included) and per
// input cycle (the input and each cycle it submitted counted apart).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/realistic_brain.h"
#include "engine/base/random.h"
#include "engine/cycle/input_cycle.h"
#include "engine/language/reader.h"
#include "engine/records/brain.h"

namespace varnex {
namespace {

const std::string& RealisticFile(int clauses) {
  static std::map<int, std::string> paths;
  std::string& p = paths[clauses];
  if (p.empty()) {
    p = "/tmp/varnex-realistic-" + std::to_string(clauses) + ".vlf";
    WriteRealisticBrain(p, RealisticShape{clauses, 1});
  }
  return p;
}

BrainClass& RealisticBrain(int clauses) {
  static std::map<int, std::unique_ptr<BrainClass>> brains;
  auto& b = brains[clauses];
  if (!b) {
    FixRandomSeed(1);
    b = std::make_unique<BrainClass>([](const std::string&) {});
    LoadLanguageFile(*b, RealisticFile(clauses));
  }
  return *b;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::size_t k = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
  return v[k];
}

void AnswerRealistic(benchmark::State& state, bool fast) {
  const int clauses = static_cast<int>(state.range(0));
  BrainClass& brain = RealisticBrain(clauses);
  brain.FastPath = fast;
  const std::vector<std::string> inputs = RealisticInputs(RealisticShape{clauses, 1}, 1000);
  ProcessInput(brain, inputs.back());  // builds the mode's index once, outside the timing
  std::vector<double> perInput, perCycle;
  std::size_t i = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    ProcessInput(brain, inputs[i++ % inputs.size()]);
    const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    perInput.push_back(us);
    perCycle.push_back(us / static_cast<double>(1 + brain.NestedRuns));
  }
  state.counters["input_p50_us"] = Percentile(perInput, 0.5);
  state.counters["input_p99_us"] = Percentile(perInput, 0.99);
  state.counters["cycle_p50_us"] = Percentile(perCycle, 0.5);
  state.counters["cycle_p99_us"] = Percentile(perCycle, 0.99);
}
void BM_RealisticFast(benchmark::State& state) { AnswerRealistic(state, true); }
void BM_RealisticReference(benchmark::State& state) { AnswerRealistic(state, false); }

void BM_ReadRealistic(benchmark::State& state) {
  const std::string& path = RealisticFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    BrainClass brain;
    LoadLanguageFile(brain, path);
    benchmark::DoNotOptimize(brain.Knowledge[0]->Patterns.size());
  }
}

BENCHMARK(BM_ReadRealistic)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RealisticFast)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealisticReference)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
}  // namespace varnex
BENCHMARK_MAIN();
