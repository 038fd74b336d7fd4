#pragma once
// Operators on script values. Each returns false when the operands do not
// support the operation (the caller reports the operand-type message).
#include <cstdint>

#include "base/variant.h"

namespace qel {

// Binary operator by token code; the result replaces left.
bool ApplyBinary(int code, Variant& left, const Variant& right);
// Whether the operator joins two texts into one longer than a script may
// build (string_limit.h); ApplyBinary refuses such a pair.
bool ConcatTooLong(uint8_t code, const Variant& left, const Variant& right);
bool Negate(Variant& v);
// NOT: Byte 1 when the operand equals 0, else Byte 0.
bool LogicalNot(Variant& v);
// Three-way comparison; false when the kinds cannot be compared.
bool CompareValues(const Variant& a, const Variant& b, int& order);

}  // namespace qel
