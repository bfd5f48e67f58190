// Brains and inputs that are bad for an index: every clause sharing every
// word, one clause of ten thousand fragments, an input of a megabyte. None
// may fall off a cliff; each is timed both ways, since the index must not
// make a bad case worse than scoring every clause.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/realistic_brain.h"
#include "engine/cycle/input_cycle.h"
#include "engine/language/reader.h"
#include "engine/records/brain.h"

namespace varnex {
namespace {

std::unique_ptr<BrainClass> BrainFrom(const std::string& text) {
  auto brain = std::make_unique<BrainClass>([](const std::string&) {});
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  LoadLanguageText(*brain, lines);
  return brain;
}

// Clauses that all hold the same words: no list of the index is shorter
// than the mode, and every bound ties. Half the clauses want a word the
// input lacks, so the best is not the first clause.
std::unique_ptr<BrainClass> SharedWordsBrain(int clauses) {
  std::string text;
  for (int i = 0; i < clauses; ++i) {
    text += "For-Mode 10,5\n  Fragment AND,0,0, {WHAT}, {}, {}\n  Fragment AND,0,0, {IS}, {}, {}\n"
            "  Fragment AND,0,0, {THE}, {}, {}\n";
    if (i % 2) text += "  Fragment AND,0,0, {TIME}, {}, {}\n";
    text += "  Response {Answer " + std::to_string(i) + "},Just Text,{},{}\n";
  }
  return BrainFrom(text);
}

std::string LongWord(int n) {
  std::string w = "W";
  w += std::to_string(n);
  w += 'X';
  return w;
}

// One clause of many fragments among a few ordinary ones.
std::unique_ptr<BrainClass> LongClauseBrain(int fragments) {
  std::string text = "For-Mode 10,5\n";
  for (int i = 0; i < fragments; ++i) text += "  Fragment AND,0,0, {" + LongWord(i) + "}, {}, {}\n";
  text += "  Response {the long one},Just Text,{},{}\n";
  for (int i = 0; i < 100; ++i)
    text += "For-Mode 0,0\n  Fragment AND,0,0, {HELLO" + std::to_string(i) + "}, {}, {}\n  Response {hi},Just Text,{},{}\n";
  return BrainFrom(text);
}

void Answer(benchmark::State& state, BrainClass& brain, const std::string& input, bool fast) {
  brain.FastPath = fast;
  ProcessInput(brain, input);  // builds the index outside the timing
  for (auto _ : state) ProcessInput(brain, input);
}

void BM_SharedWords(benchmark::State& state) {
  static std::unique_ptr<BrainClass> brain = SharedWordsBrain(100000);
  Answer(state, *brain, "what is the name of it", state.range(0) != 0);
}

void BM_LongClause(benchmark::State& state) {
  static std::unique_ptr<BrainClass> brain = LongClauseBrain(10000);
  std::string input;
  for (int i = 0; i < 10000; i += 3) input += LongWord(i) + " ";
  Answer(state, *brain, input, state.range(0) != 0);
}

void BM_MegabyteInput(benchmark::State& state) {
  // A megabyte of the realistic brain's own vocabulary, so that many keys
  // hold at once.
  static std::unique_ptr<BrainClass> brain = [] {
    WriteRealisticBrain("/tmp/varnex-worst-10000.vlf", RealisticShape{10000, 1});
    auto b = std::make_unique<BrainClass>([](const std::string&) {});
    LoadLanguageFile(*b, "/tmp/varnex-worst-10000.vlf");
    return b;
  }();
  std::string input;
  for (const std::string& line : RealisticInputs(RealisticShape{10000, 1}, 100000)) {
    if (input.size() > (1u << 20)) break;
    input += line + " ";
  }
  Answer(state, *brain, input, state.range(0) != 0);
}

// Arg 1: the index; 0: every clause scored.
BENCHMARK(BM_SharedWords)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongClause)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteInput)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace varnex
BENCHMARK_MAIN();
