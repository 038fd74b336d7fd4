#pragma once
// The script generator Random: a 32-bit linear congruential generator whose
// state lives in this object, so a seeded run repeats exactly.
#include <cstdint>

namespace qel {

class RandomGenerator {
 public:
  explicit RandomGenerator(uint32_t seed = 0) : seed_(seed) {}
  void SetSeed(uint32_t seed) { seed_ = seed; }
  uint32_t seed() const { return seed_; }
  // Steps the state and maps it to 0..range-1; range must be positive.
  uint32_t Next(uint32_t range) {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(seed_) * range) >> 32);
  }

 private:
  uint32_t seed_;
};

// A seed from the system clock, for runs that are not meant to repeat.
uint32_t ClockSeed();

}  // namespace qel
