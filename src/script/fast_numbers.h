#pragma once
// Integer and Float arithmetic and comparison on the common kinds, shared by
// expression evaluation and in-place assignment. Each returns false, having
// written nothing, when the general operator rules must decide.
#include <cstdint>

#include "base/variant.h"
#include "script/tokens.h"

namespace qel {

inline bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// Integer-only arithmetic and comparison without leaving the Integer kind;
// false when the general rules must decide.
inline bool FastIntegers(uint8_t code, Variant& left, int64_t a, int64_t b) {
  switch (code) {
    case tkPlus: case tkMinus: case tkStar: {
      int64_t r = code == tkPlus ? a + b : code == tkMinus ? a - b : a * b;  // 32-bit inputs cannot overflow 64
      if (!FitsInt32(r)) return false;
      left.SetInteger(static_cast<int32_t>(r));
      return true;
    }
    case tkEq: left.SetBoolean(a == b); return true;
    case tkNe: left.SetBoolean(a != b); return true;
    case tkLt: left.SetBoolean(a < b); return true;
    case tkGt: left.SetBoolean(a > b); return true;
    case tkLe: left.SetBoolean(a <= b); return true;
    case tkGe: left.SetBoolean(a >= b); return true;
    default: return false;
  }
}

// Integer and Float operands without text keys or conversions: the common
// arithmetic of game scripts. False when the general rules must decide.
inline bool FastNumbers(uint8_t code, const Variant& l, const Variant& r, Variant& out) {
  VarKind a = l.kind(), b = r.kind();
  if (a == VarKind::Integer && b == VarKind::Integer) {
    int64_t x = l.int_value(), y = r.int_value();
    if (code == tkSlash) {
      if (y == 0) return false;
      out.SetFloat(static_cast<double>(x) / static_cast<double>(y));
      return true;
    }
    return FastIntegers(code, out, x, y);
  }
  if ((a != VarKind::Float && a != VarKind::Integer) || (b != VarKind::Float && b != VarKind::Integer)) return false;
  double x = a == VarKind::Float ? l.float_value() : static_cast<double>(l.int_value());
  double y = b == VarKind::Float ? r.float_value() : static_cast<double>(r.int_value());
  if (x != x || y != y) return false;  // NaN: let the general comparison refuse it
  switch (code) {
    case tkPlus: out.SetFloat(x + y); return true;
    case tkMinus: out.SetFloat(x - y); return true;
    case tkStar: out.SetFloat(x * y); return true;
    case tkSlash:
      if (y == 0) return false;
      out.SetFloat(x / y);
      return true;
    case tkEq: out.SetBoolean(x == y); return true;
    case tkNe: out.SetBoolean(x != y); return true;
    case tkLt: out.SetBoolean(x < y); return true;
    case tkGt: out.SetBoolean(x > y); return true;
    case tkLe: out.SetBoolean(x <= y); return true;
    case tkGe: out.SetBoolean(x >= y); return true;
    default: return false;
  }
}

}  // namespace qel
