#pragma once
// Number functions of the script library. Results that are not finite
// numbers (square root of -1, logarithm of 0, overflow) throw StdlibError
// instead of carrying NaN or infinity into scripts.
#include <cstdint>

#include "base/variant.h"

namespace qel {

// A float result checked for NaN and infinity.
double CheckedFloat(double value);

// Integer results: Integer when the value fits 32 bits, Int64 beyond that;
// throws when it fits neither.
Variant WholeNumber(double value);

int64_t IntPart(double x);   // towards zero, as 64-bit
double FracPart(double x);   // sign of x
Variant RoundValue(double x);  // halves to even
Variant TruncValue(double x);
Variant CeilValue(double x);
Variant FloorValue(double x);
int8_t SignOf(int32_t n);
double IntPower(double base, int64_t exponent);
// Remainder with the sign of a; throws on b = 0.
int32_t ModInt(int32_t a, int32_t b);

}  // namespace qel
