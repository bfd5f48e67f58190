// The one process-wide pseudo-random generator. It is seeded from the clock
// when a brain is created and when the word database opens; a fixed seed
// (the console's --seed) replaces every such seeding so runs repeat.
#pragma once

#include <cstdint>
#include <optional>

namespace varnex {

void SeedRandomFromClock();
void FixRandomSeed(std::optional<uint64_t> seed);  // nullopt: back to the clock
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
