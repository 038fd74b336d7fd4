#include "base/extended.h"

#include <cmath>
#include <limits>

namespace qel {

Extended80 EncodeExtended(double value) {
  uint64_t significand = 0;
  int exponent = 0;
  bool negative = std::signbit(value);
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    significand = 0xC000000000000000ULL;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    significand = 0x8000000000000000ULL;
  } else if (value != 0) {
    int e = 0;
    double m = std::frexp(std::fabs(value), &e);  // m in [0.5, 1)
    significand = static_cast<uint64_t>(std::ldexp(m, 64));
    exponent = e - 1 + 16383;
  }
  Extended80 out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(significand >> (8 * i));
  uint16_t top = static_cast<uint16_t>(exponent | (negative ? 0x8000 : 0));
  out[8] = static_cast<uint8_t>(top);
  out[9] = static_cast<uint8_t>(top >> 8);
  return out;
}

double DecodeExtended(const Extended80& bytes) {
  uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  int top = bytes[8] | (bytes[9] << 8);
  bool negative = (top & 0x8000) != 0;
  int exponent = top & 0x7FFF;
  double value;
  if (exponent == 0x7FFF) {
    value = (significand << 1) == 0 ? std::numeric_limits<double>::infinity()
                                    : std::numeric_limits<double>::quiet_NaN();
  } else if (significand == 0) {
    value = 0;
  } else {
    // Normalise first so that the conversion to double rounds only once.
    int shift = 0;
    while (!(significand & 0x8000000000000000ULL)) significand <<= 1, ++shift;
    int e = exponent - 16383 - 63 - shift + (exponent == 0 ? 1 : 0);
    value = std::ldexp(static_cast<double>(significand), e);
  }
  return negative ? -value : value;
}

}  // namespace qel
