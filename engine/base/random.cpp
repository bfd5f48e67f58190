// The one random generator of the process. A fixed seed (tests, --seed)
// stays fixed when brains are created, so that a run repeats exactly.
#include "engine/base/random.h"

#include <atomic>
#include <chrono>

namespace varnex {
namespace {

// splitmix64-seeded xoshiro128**: small, fast and identical on every build.
struct Generator {
  uint32_t s[4] = {1, 2, 3, 4};
  void Seed(uint64_t seed) {
    for (auto& w : s) {
      seed += 0x9E3779B97F4A7C15ull;
      uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      w = static_cast<uint32_t>(z ^ (z >> 31));
    }
    if (!(s[0] | s[1] | s[2] | s[3])) s[0] = 1;
  }
  static uint32_t Rotl(uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }
  uint32_t Next() {
    const uint32_t result = Rotl(s[1] * 5, 7) * 9;
    const uint32_t t = s[1] << 9;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = Rotl(s[3], 11);
    return result;
  }
};

// One generator per thread: brains answering on different threads (a
// server's workers) never draw from each other's sequence, and a session
// restored on a thread brings its generator's state with it.
Generator& Gen() {
  thread_local Generator g;
  return g;
}
// The fixed seed, set by a front end before its threads start using it.
std::atomic<bool> gFixed{false};
std::atomic<uint64_t> gSeed{0};
std::optional<uint64_t> Fixed() {
  if (!gFixed.load(std::memory_order_acquire)) return std::nullopt;
  return gSeed.load(std::memory_order_relaxed);
}

}  // namespace

void SeedRandomFromClock() {
  if (Fixed()) {
    Gen().Seed(*Fixed());
    return;
  }
  auto now = std::chrono::system_clock::now().time_since_epoch();
  Gen().Seed(static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

void FixRandomSeed(std::optional<uint64_t> seed) {
  if (seed) gSeed.store(*seed, std::memory_order_relaxed);
  gFixed.store(seed.has_value(), std::memory_order_release);
  if (seed) Gen().Seed(*seed);
}

void SeedRandom(uint64_t seed) { Gen().Seed(seed); }

uint32_t RandomBelow(uint32_t n) {
  if (n == 0) return 0;
  return static_cast<uint32_t>((static_cast<uint64_t>(Gen().Next()) * n) >> 32);
}

}  // namespace varnex

namespace varnex {

RandomState SaveRandomState() {
  RandomState r{};
  for (int i = 0; i < 4; ++i) r.words[i] = Gen().s[i];
  return r;
}

void RestoreRandomState(const RandomState& state) {
  for (int i = 0; i < 4; ++i) Gen().s[i] = state.words[i];
}

}  // namespace varnex
