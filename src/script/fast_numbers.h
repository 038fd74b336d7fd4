#pragma once
// Integer and Float arithmetic and comparison on the common kinds, shared by
// expression evaluation and in-place assignment. Each returns false, having
// written nothing, when the general operator rules must decide.
#include <cstdint>

#include "base/variant.h"
#include "script/tokens.h"

namespace qel {

inline bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// A number as the fast paths see it: only the Integer and Float kinds, so
// that nested arithmetic needs no Variant for its partial results.
struct Num {
  VarKind kind = VarKind::Empty;
  int64_t i = 0;
  double f = 0;
};

// False for every kind but Integer and Float.
inline bool ToNum(const Variant& v, Num& out) {
  out.kind = v.kind();
  if (out.kind == VarKind::Integer) out.i = v.int_value();
  else if (out.kind == VarKind::Float) out.f = v.float_value();
  else return false;
  return true;
}

inline void SetNum(Variant& v, const Num& n) {
  if (n.kind == VarKind::Integer) v.SetInteger(static_cast<int32_t>(n.i));
  else if (n.kind == VarKind::Float) v.SetFloat(n.f);
  else v.SetBoolean(n.i != 0);
}

inline bool Compare(uint8_t code, auto a, auto b, Num& out) {
  bool r;
  switch (code) {
    case tkEq: r = a == b; break;
    case tkNe: r = a != b; break;
    case tkLt: r = a < b; break;
    case tkGt: r = a > b; break;
    case tkLe: r = a <= b; break;
    case tkGe: r = a >= b; break;
    default: return false;
  }
  out.kind = VarKind::Boolean;
  out.i = r;
  return true;
}

// Integer operands stay Integer while the result fits; '/' always gives a
// Float. Results may be Boolean (comparisons); a Boolean operand is left to
// the general rules, where True counts as -1.
inline bool FastNum(uint8_t code, const Num& l, const Num& r, Num& out) {
  bool lInt = l.kind == VarKind::Integer, rInt = r.kind == VarKind::Integer;
  if ((!lInt && l.kind != VarKind::Float) || (!rInt && r.kind != VarKind::Float)) return false;
  if (lInt && rInt) {
    int64_t x = l.i, y = r.i;
    if (code == tkSlash) {
      if (y == 0) return false;
      out.kind = VarKind::Float;
      out.f = static_cast<double>(x) / static_cast<double>(y);
      return true;
    }
    if (code == tkPlus || code == tkMinus || code == tkStar) {
      int64_t v = code == tkPlus ? x + y : code == tkMinus ? x - y : x * y;  // 32-bit inputs cannot overflow 64
      if (!FitsInt32(v)) return false;
      out.kind = VarKind::Integer;
      out.i = v;
      return true;
    }
    return Compare(code, x, y, out);
  }
  double x = l.kind == VarKind::Float ? l.f : static_cast<double>(l.i);
  double y = r.kind == VarKind::Float ? r.f : static_cast<double>(r.i);
  if (x != x || y != y) return false;  // NaN: let the general comparison refuse it
  out.kind = VarKind::Float;
  switch (code) {
    case tkPlus: out.f = x + y; return true;
    case tkMinus: out.f = x - y; return true;
    case tkStar: out.f = x * y; return true;
    case tkSlash:
      if (y == 0) return false;
      out.f = x / y;
      return true;
    default: return Compare(code, x, y, out);
  }
}

// The same on values; out may be one of the operands.
inline bool FastNumbers(uint8_t code, const Variant& l, const Variant& r, Variant& out) {
  Num a, b, c;
  if (!ToNum(l, a) || !ToNum(r, b) || !FastNum(code, a, b, c)) return false;
  SetNum(out, c);
  return true;
}

}  // namespace qel
