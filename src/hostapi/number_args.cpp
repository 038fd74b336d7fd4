#include "hostapi/number_args.h"

#include <algorithm>
#include <cmath>

#include "hostapi/stdlib_error.h"

namespace qel {
namespace {

[[noreturn]] void ThrowNotA(const char* what, const Variant& v) {
  throw StdlibError("Could not convert variant of type (" + ByteString(VarKindName(v.kind())) + ") into type (" +
                    what + ")");
}

}  // namespace

double NumberValue(const Variant& v) {
  if (auto d = v.ToDouble()) return *d;
  ThrowNotA("Double", v);
}

int32_t IntegerArg(const Variant& v) {
  if (auto i = v.ToInt32()) return *i;
  ThrowNotA("Integer", v);
}

int64_t TruncatedValue(const Variant& v) {
  if (v.IsInteger()) return v.int_value();
  const double d = std::trunc(NumberArg(v));
  if (std::isnan(d)) throw StdlibError("Invalid floating point operation");
  if (d <= -9223372036854775808.0) return INT64_MIN;
  if (d >= 9223372036854775807.0) return INT64_MAX;
  return static_cast<int64_t>(d);
}

int32_t TruncatedInt(const Variant& v) {
  return static_cast<int32_t>(std::clamp<int64_t>(TruncatedArg(v), INT32_MIN, INT32_MAX));
}

}  // namespace qel
