// Memory of a read brain: writes a generated brain of N clauses (default
// 100,000), reads it in this fresh process and prints the peak resident size
// per clause, then answers once (which builds the mode's answering index)
// and prints it again, with the time that first answer took. Run alone:
// the numbers are the process's own.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench/generated_brain.h"
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
  const int clauses = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (clauses <= 0) {
    std::fprintf(stderr, "usage: varnex_memory_bench [CLAUSES]\n");
    return 2;
  }
  const std::string path = "/tmp/varnex-memory-" + std::to_string(getpid()) + ".vlf";
  if (!varnex::WriteGeneratedBrain(path, clauses)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  const long start = StatusKiB("VmHWM");
  std::printf("%d clauses; empty process %.1f MiB\n", clauses, start / 1024.0);
  varnex::BrainClass brain([](const std::string&) {});
  varnex::LoadLanguageFile(brain, path);
  std::remove(path.c_str());
  Report("once read:", clauses, start);
  const auto before = std::chrono::steady_clock::now();
  ProcessInput(brain, varnex::GeneratedInputs(clauses).front());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - before;
  Report("once answered (index built):", clauses, start);
  std::printf("the first answer, which builds the index, took %.3f s\n", took.count());
  return 0;
}
