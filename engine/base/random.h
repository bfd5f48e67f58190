// The pseudo-random generator, one per thread. It is seeded from the clock
// when a brain is created and when the word database opens; a fixed seed
// (the console's --seed, set once for the process) replaces every such
// seeding so runs repeat.
#pragma once

#include <cstdint>
#include <optional>

namespace varnex {

void SeedRandomFromClock();
void FixRandomSeed(std::optional<uint64_t> seed);  // nullopt: back to the clock
// Seeds the calling thread's generator only; the fixed seed stays as it is.
void SeedRandom(uint64_t seed);
// A number drawn uniformly from 0 to n-1 (0 when n is 0).
uint32_t RandomBelow(uint32_t n);
// The generator's state, so that work that must take no draw (explaining an
// answer) can put it back as it was.
struct RandomState {
  uint32_t words[4];
};
RandomState SaveRandomState();
void RestoreRandomState(const RandomState& state);

}  // namespace varnex
