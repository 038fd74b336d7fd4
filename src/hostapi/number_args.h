#pragma once
// The argument conversions of the library functions. Each throws
// StdlibError when the value does not convert, so the failure is reported
// with the function's name and the reason.
#include <cstdint>

#include "base/variant.h"

namespace qel {

// Float conversion of any kind.
double NumberValue(const Variant& v);
// The same, with the usual kinds read in place.
inline double NumberArg(const Variant& v) {
  if (v.kind() == VarKind::Float) return v.float_value();
  if (v.kind() == VarKind::Integer) return static_cast<double>(v.int_value());
  return NumberValue(v);
}
// Integer conversion: rounded half to even, 32-bit range.
int32_t IntegerArg(const Variant& v);
// Float conversion truncated towards zero; saturates at the 64-bit range.
int64_t TruncatedValue(const Variant& v);
inline int64_t TruncatedArg(const Variant& v) { return v.IsInteger() ? v.int_value() : TruncatedValue(v); }
// A truncated argument that must fit an int (date parts, string positions).
int32_t TruncatedInt(const Variant& v);

}  // namespace qel
