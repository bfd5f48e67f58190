#include "bench/generated_brain.h"

#include <cstdio>
#include <random>

namespace varnex {

std::string Word(int n) {
  std::string w = "w";
  do {
    w.push_back(static_cast<char>('a' + n % 26));
    n /= 26;
  } while (n);
  return w;
}

bool WriteGeneratedBrain(const std::string& path, int clauses) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  for (int i = 0; i < clauses; ++i) {
    std::fprintf(f, "For-Mode 10,5\n  Fragment AND,0,0, {%s}, {}, {}\n  Fragment AND,0,0, {%s}, {}, {}\n"
                    "  Response {Answer %d},Just Text,{},{}\n\n",
                 Word(2 * i).c_str(), Word(2 * i + 1).c_str(), i);
  }
  return std::fclose(f) == 0;
}

std::vector<std::string> GeneratedInputs(int clauses) {
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

}  // namespace varnex
