#pragma once
// The argument conversions of the library functions. Each throws
// StdlibError when the value does not convert, so the failure is reported
// with the function's name and the reason.
#include <cstdint>

#include "base/variant.h"

namespace qel {

// Float conversion.
double NumberArg(const Variant& v);
// Integer conversion: rounded half to even, 32-bit range.
int32_t IntegerArg(const Variant& v);
// Float conversion truncated towards zero; saturates at the 64-bit range.
int64_t TruncatedArg(const Variant& v);
// A truncated argument that must fit an int (date parts, string positions).
int32_t TruncatedInt(const Variant& v);

}  // namespace qel
