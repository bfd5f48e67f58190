// Times the answers of a brain made by `varnex import aiml`, one input at a
// time, through the engine's front door as `varnex chat` uses it:
//
//   varnex_aiml_answer_bench BRAIN INPUTS [--reference]
//
// Prints the time to read the brain and the median, 90th and 99th
// percentile and mean of one answer (everything one input does: the front
// modes, the sentences, the categories, their captures and <srai>s), and
// the slowest inputs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/varnex.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: varnex_aiml_answer_bench BRAIN INPUTS [--reference]\n");
    return 2;
  }
  using Clock = std::chrono::steady_clock;
  varnex::FixRandomSeed(1);
  varnex::Brain brain;
  std::size_t answers = 0, messages = 0;
  brain.On().answer = [&](const std::string& text) { answers += !text.empty(); };
  brain.On().readerMessage = [&](const std::string&) { ++messages; };
  brain.SetFastPath(!(argc > 3 && std::string(argv[3]) == "--reference"));
  const auto read0 = Clock::now();
  brain.ReadFile(argv[1]);
  brain.Start();
  const double readSeconds = std::chrono::duration<double>(Clock::now() - read0).count();
  std::ifstream in(argv[2]);
  std::vector<std::string> inputs;
  for (std::string line; std::getline(in, line);) inputs.push_back(line);
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs in %s\n", argv[2]);
    return 1;
  }
  std::vector<double> us;
  us.reserve(inputs.size());
  std::vector<std::pair<double, std::string>> slowest;
  for (const auto& input : inputs) {
    const auto t0 = Clock::now();
    brain.Answer(input);
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    slowest.emplace_back(us.back(), input);
    std::sort(slowest.rbegin(), slowest.rend());
    if (slowest.size() > 3) slowest.pop_back();
  }
  double sum = 0;
  for (double u : us) sum += u;
  std::sort(us.begin(), us.end());
  auto at = [&](double q) { return us[static_cast<std::size_t>(q * static_cast<double>(us.size() - 1))]; };
  std::printf("read %.3f s (%zu reader messages); %zu inputs, %zu answered\n", readSeconds, messages, inputs.size(),
              answers);
  std::printf("one input: p50 %.1f us, p90 %.1f us, p99 %.1f us, mean %.1f us, max %.1f us\n", at(0.5), at(0.9),
              at(0.99), sum / static_cast<double>(us.size()), us.back());
  for (const auto& [u, input] : slowest) std::printf("slow: %.0f us: %s\n", u, input.c_str());
  return 0;
}
