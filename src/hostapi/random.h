#pragma once
// The script generator Random: a 32-bit linear congruential generator whose
// state lives in this object, so a seeded run repeats exactly.
#include <cstdint>

namespace qel {

// One step of the generator on a state kept elsewhere (the runtime shares
// one state among all pool interpreters): 0..range-1 for a positive range.
inline uint32_t NextRandom(uint32_t& seed, uint32_t range) {
  seed = seed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(seed) * range) >> 32);
}

class RandomGenerator {
 public:
  explicit RandomGenerator(uint32_t seed = 0) : seed_(seed) {}
  void SetSeed(uint32_t seed) { seed_ = seed; }
  uint32_t seed() const { return seed_; }
  // Steps the state and maps it to 0..range-1; range must be positive.
  uint32_t Next(uint32_t range) { return NextRandom(seed_, range); }

 private:
  uint32_t seed_;
};

// A seed from the system clock, for runs that are not meant to repeat.
uint32_t ClockSeed();

}  // namespace qel
