// Writes a realistic brain and inputs for it, to run the programs on:
//   varnex_realistic_gen CLAUSES BRAIN.vlf INPUTS.txt [COUNT]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/realistic_brain.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: varnex_realistic_gen CLAUSES BRAIN.vlf INPUTS.txt [COUNT]\n", stderr);
    return 2;
  }
  const varnex::RealisticShape shape{std::atoi(argv[1]), 1};
  if (shape.clauses <= 0 || !varnex::WriteRealisticBrain(argv[2], shape)) return 1;
  std::FILE* f = std::fopen(argv[3], "w");
  if (!f) return 1;
  for (const auto& input : varnex::RealisticInputs(shape, argc > 4 ? std::atoi(argv[4]) : 1000))
    std::fprintf(f, "%s\n", input.c_str());
  return std::fclose(f) == 0 ? 0 : 1;
}
