// Reading, answering and writing generated brains of many clauses, each with
// two AND fragments and one Just Text response.
#include <benchmark/benchmark.h>

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
  static std::string paths[2];
  std::string& p = paths[clauses > 10000 ? 1 : 0];
  if (p.empty()) {
    p = "/tmp/varnex-bench-" + std::to_string(clauses) + ".vlf";
    WriteLinesAtomically(p, GeneratedBrain(clauses));
  }
  return p;
}

void BM_ReadLanguageFile(benchmark::State& state) {
  const std::string& path = BrainFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    BrainClass brain;
    LoadLanguageFile(brain, path);
    benchmark::DoNotOptimize(brain.Knowledge[0]->Patterns.size());
  }
}

void BM_InputCycle(benchmark::State& state) {
  const int clauses = static_cast<int>(state.range(0));
  FixRandomSeed(1);
  BrainClass brain([](const std::string&) {});
  LoadLanguageFile(brain, BrainFile(clauses));
  const int target = clauses / 2;
  const std::string input = "hello " + Word(2 * target) + " and " + Word(2 * target + 1) + " there";
  for (auto _ : state) brain.ProcessInput(input);
}

void BM_WriteLanguageFile(benchmark::State& state) {
  BrainClass brain;
  LoadLanguageFile(brain, BrainFile(static_cast<int>(state.range(0))));
  const std::string out = "/tmp/varnex-bench-out.vlf";
  for (auto _ : state) SaveLanguageFile(brain, out);
}

BENCHMARK(BM_ReadLanguageFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InputCycle)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLanguageFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varnex

BENCHMARK_MAIN();
