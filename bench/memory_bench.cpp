// Memory of a read brain: writes a generated brain of N clauses (default
// 100,000; two words a clause, or shaped like real ones with --realistic),
// reads it in this fresh process and prints the peak resident size per
// clause, then answers once (which builds the mode's answering index) and
// prints it again, with the times the read and the first answer took. Run
// alone: the numbers are the process's own.
//   varnex_memory_bench [--realistic] [CLAUSES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench/generated_brain.h"
#include "bench/realistic_brain.h"
#include "engine/cycle/input_cycle.h"
#include "engine/records/brain.h"
#include "engine/language/reader.h"

namespace {

// A line of /proc/self/status, in KiB.
long StatusKiB(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string k = std::string(key) + ":";
  while (std::getline(in, line))
    if (line.compare(0, k.size(), k) == 0) return std::strtol(line.c_str() + k.size(), nullptr, 10);
  return -1;
}

void Report(const char* when, int clauses, long startKiB) {
  const long peak = StatusKiB("VmHWM"), now = StatusKiB("VmRSS");
  std::printf("%-28s peak resident %7.1f MiB  %4.0f bytes/clause  (%4.0f above the empty process; %4.0f now)\n",
              when, peak / 1024.0, peak * 1024.0 / clauses, (peak - startKiB) * 1024.0 / clauses,
              now * 1024.0 / clauses);
}

}  // namespace

int main(int argc, char** argv) {
  const bool realistic = argc > 1 && std::string(argv[1]) == "--realistic";
  const int clauses = argc > 1 + realistic ? std::atoi(argv[1 + realistic]) : 100000;
  if (clauses <= 0) {
    std::fprintf(stderr, "usage: varnex_memory_bench [--realistic] [CLAUSES]\n");
    return 2;
  }
  const std::string path = "/tmp/varnex-memory-" + std::to_string(getpid()) + ".vlf";
  const varnex::RealisticShape shape{clauses, 1};
  if (!(realistic ? varnex::WriteRealisticBrain(path, shape) : varnex::WriteGeneratedBrain(path, clauses))) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  const long start = StatusKiB("VmHWM");
  std::printf("%d clauses; empty process %.1f MiB\n", clauses, start / 1024.0);
  const std::string input =
      realistic ? varnex::RealisticInputs(shape, 1).front() : varnex::GeneratedInputs(clauses).front();
  const auto began = std::chrono::steady_clock::now();
  varnex::BrainClass brain([](const std::string&) {});
  varnex::LoadLanguageFile(brain, path);
  const std::chrono::duration<double> read = std::chrono::steady_clock::now() - began;
  std::remove(path.c_str());
  Report("once read:", clauses, start);
  const auto before = std::chrono::steady_clock::now();
  ProcessInput(brain, input);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - before;
  Report("once answered (index built):", clauses, start);
  std::printf("reading took %.3f s; the first answer, which builds the index, took %.3f s\n", read.count(),
              took.count());
  return 0;
}
