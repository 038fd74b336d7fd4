#pragma once
// The 10-byte x87 extended-precision format of the state stream, encoded in
// portable code: 64-bit significand with explicit integer bit, 15-bit
// exponent (bias 16383), sign; little-endian.
#include <array>
#include <cstdint>

namespace qel {

using Extended80 = std::array<uint8_t, 10>;

// Exact for every double (the format has more range and precision).
Extended80 EncodeExtended(double value);
// Rounds to the nearest double; out-of-range magnitudes become infinities or zero.
double DecodeExtended(const Extended80& bytes);

}  // namespace qel
