#pragma once
// Random script programs for differential runs: every kind of value near
// its limits, comparisons used as numbers, logical operators on mixed
// kinds, strings and arrays indexed every way, routines (recursive, with
// parameters written back, with errors inside), every loop and jump, element
// paths on a small game, and plenty of programs that are ill-typed or
// malformed on purpose.
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace qel {

// Where the generator's decisions come from.
class Choices {
 public:
  virtual ~Choices() = default;
  virtual uint32_t Next() = 0;
  // 0 .. n-1
  int Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
};

class SeededChoices : public Choices {
 public:
  explicit SeededChoices(uint32_t seed) : rng_(seed) {}
  uint32_t Next() override { return static_cast<uint32_t>(rng_()); }

 private:
  std::mt19937 rng_;
};

// The bytes of a fuzzer's input, two at a time; zeros once they run out,
// which always leads to the smallest choices, so programs stay finite.
class ByteChoices : public Choices {
 public:
  ByteChoices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t Next() override {
    uint32_t v = 0;
    for (int k = 0; k < 2; ++k) v = (v << 8) | (pos_ < size_ ? data_[pos_++] : 0);
    return v;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

std::string RandomProgram(Choices& choices);

}  // namespace qel
