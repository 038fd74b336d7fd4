#pragma once
// Operators on script values. Each returns false when the operands do not
// support the operation (the caller reports the operand-type message).
#include "base/variant.h"

namespace qel {

// Binary operator by token code; the result replaces left.
bool ApplyBinary(int code, Variant& left, const Variant& right);
bool Negate(Variant& v);
// NOT: Byte 1 when the operand equals 0, else Byte 0.
bool LogicalNot(Variant& v);
// Three-way comparison; false when the kinds cannot be compared.
bool CompareValues(const Variant& a, const Variant& b, int& order);

}  // namespace qel
