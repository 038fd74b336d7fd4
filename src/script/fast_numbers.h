#pragma once
// Integer and Float arithmetic and comparison on the common kinds, shared by
// expression evaluation and in-place assignment. Each returns false, having
// written nothing, when the general operator rules must decide.
#include <cstdint>

#include "base/variant.h"
#include "script/tokens.h"

namespace qel {

inline bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// A number as the fast paths see it: only the Integer, Int64 and Float
// kinds, so that nested arithmetic needs no Variant for its partial results.
struct Num {
  VarKind kind = VarKind::Empty;
  int64_t i = 0;
  double f = 0;
};

// False for every other kind.
inline bool ToNum(const Variant& v, Num& out) {
  out.kind = v.kind();
  if (out.kind == VarKind::Integer || out.kind == VarKind::Int64) out.i = v.int_value();
  else if (out.kind == VarKind::Float) out.f = v.float_value();
  else return false;
  return true;
}

inline void SetNum(Variant& v, const Num& n) {
  if (n.kind == VarKind::Integer) v.SetInteger(static_cast<int32_t>(n.i));
  else if (n.kind == VarKind::Float) v.SetFloat(n.f);
  else if (n.kind == VarKind::Int64) v.SetInt64(n.i);
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

// Integers as the general rules take them: Int64 when either operand is
// one or the result leaves 32 bits; overflow of 64 bits and division are
// left to them. Bitwise operators keep Integer operands in 32 bits.
inline bool FastInt(uint8_t code, const Num& l, const Num& r, Num& out) {
  const int64_t x = l.i, y = r.i;
  const bool wide = l.kind == VarKind::Int64 || r.kind == VarKind::Int64;
  int64_t v;
  switch (code) {
    case tkPlus: if (__builtin_add_overflow(x, y, &v)) return false; break;
    case tkMinus: if (__builtin_sub_overflow(x, y, &v)) return false; break;
    case tkStar: if (__builtin_mul_overflow(x, y, &v)) return false; break;
    case tkAnd: v = x & y; break;
    case tkOr: v = x | y; break;
    case tkXor: v = x ^ y; break;
    case tkShl: case tkShr:
      if (l.kind == VarKind::Int64) {
        const uint64_t u = static_cast<uint64_t>(x);
        const int n = static_cast<int>(y & 63);
        out.kind = VarKind::Int64;
        out.i = static_cast<int64_t>(code == tkShl ? u << n : u >> n);
      } else {
        // 32-bit shifts count modulo 32, as the processor does.
        const uint32_t u = static_cast<uint32_t>(x);
        const int n = static_cast<int>(y & 31);
        out.kind = VarKind::Integer;
        out.i = static_cast<int32_t>(code == tkShl ? u << n : u >> n);
      }
      return true;
    default: return Compare(code, x, y, out);
  }
  out.kind = wide || !FitsInt32(v) ? VarKind::Int64 : VarKind::Integer;
  out.i = v;
  return true;
}

// Results may be Boolean (comparisons); a Boolean operand is left to the
// general rules, where True counts as -1.
inline bool FastNum(uint8_t code, const Num& l, const Num& r, Num& out) {
  const bool lFloat = l.kind == VarKind::Float, rFloat = r.kind == VarKind::Float;
  const bool lInt = l.kind == VarKind::Integer || l.kind == VarKind::Int64;
  const bool rInt = r.kind == VarKind::Integer || r.kind == VarKind::Int64;
  if (!(lInt || lFloat) || !(rInt || rFloat)) return false;
  if (lInt && rInt) {
    if (code != tkSlash) return FastInt(code, l, r, out);
    if (r.i == 0) return false;
    out.kind = VarKind::Float;
    out.f = static_cast<double>(l.i) / static_cast<double>(r.i);
    return true;
  }
  double x = lFloat ? l.f : static_cast<double>(l.i);
  double y = rFloat ? r.f : static_cast<double>(r.i);
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

// Two Integers, the usual operands of loops: FastNum's results without its
// general case analysis. False for what FastNum must decide.
inline bool IntPair(uint8_t code, int64_t x, int64_t y, Num& out) {
  int64_t v;
  switch (code) {
    case tkPlus: v = x + y; break;
    case tkMinus: v = x - y; break;
    case tkStar: v = x * y; break;
    case tkAnd: v = x & y; break;
    case tkOr: v = x | y; break;
    case tkXor: v = x ^ y; break;
    default: return Compare(code, x, y, out);
  }
  out.kind = FitsInt32(v) ? VarKind::Integer : VarKind::Int64;
  out.i = v;
  return true;
}

// Two Floats that are numbers: FastNum's arithmetic without its case
// analysis; comparisons, NaN and division by zero are left to it.
inline bool FloatPair(uint8_t code, double x, double y, Num& out) {
  if (x != x || y != y) return false;
  switch (code) {
    case tkPlus: out.f = x + y; break;
    case tkMinus: out.f = x - y; break;
    case tkStar: out.f = x * y; break;
    case tkSlash:
      if (y == 0) return false;
      out.f = x / y;
      break;
    default: return Compare(code, x, y, out);
  }
  out.kind = VarKind::Float;
  return true;
}

// FastNum with the two common pairs first.
[[gnu::always_inline]] inline bool QuickNum(uint8_t code, const Num& l, const Num& r, Num& out) {
  if (l.kind == VarKind::Integer && r.kind == VarKind::Integer) {
    if (IntPair(code, l.i, r.i, out)) return true;
  } else if (l.kind == VarKind::Float && r.kind == VarKind::Float) {
    if (FloatPair(code, l.f, r.f, out)) return true;
  }
  return FastNum(code, l, r, out);
}

}  // namespace qel
