#include "hostapi/stdlib_math.h"

#include <cmath>

#include "hostapi/stdlib_error.h"

namespace qel {

double CheckedFloat(double value) {
  if (std::isnan(value)) throw StdlibError("Invalid floating point operation");
  if (std::isinf(value)) throw StdlibError("Floating point overflow");
  return value;
}

Variant WholeNumber(double value) {
  CheckedFloat(value);
  if (value >= -2147483648.0 && value <= 2147483647.0) return Variant::Integer(static_cast<int32_t>(value));
  if (value >= -9223372036854775808.0 && value < 9223372036854775808.0)
    return Variant::Int64(static_cast<int64_t>(value));
  throw StdlibError("Integer overflow");
}

int64_t IntPart(double x) {
  CheckedFloat(x);
  const double t = std::trunc(x);
  if (t < -9223372036854775808.0 || t >= 9223372036854775808.0) throw StdlibError("Integer overflow");
  return static_cast<int64_t>(t);
}

double FracPart(double x) { return CheckedFloat(x - std::trunc(x)); }

Variant RoundValue(double x) { return WholeNumber(RoundHalfEven(x)); }
Variant TruncValue(double x) { return WholeNumber(std::trunc(x)); }
Variant CeilValue(double x) { return WholeNumber(std::ceil(x)); }
Variant FloorValue(double x) { return WholeNumber(std::floor(x)); }

int8_t SignOf(int32_t n) { return n > 0 ? 1 : n < 0 ? -1 : 0; }

double IntPower(double base, int64_t exponent) {
  if (base == 0 && exponent < 0) throw StdlibError("Floating point division by zero");
  // Square-and-multiply on the magnitude; a negative power is the reciprocal.
  uint64_t e = exponent < 0 ? 0 - static_cast<uint64_t>(exponent) : static_cast<uint64_t>(exponent);
  double result = 1, factor = base;
  while (e) {
    if (e & 1) result *= factor;
    e >>= 1;
    if (e) factor *= factor;
  }
  return CheckedFloat(exponent < 0 ? 1 / result : result);
}

int32_t ModInt(int32_t a, int32_t b) {
  if (b == 0) throw StdlibError("Division by zero");
  if (b == -1) return 0;  // INT32_MIN % -1 would trap
  return a % b;
}

}  // namespace qel
