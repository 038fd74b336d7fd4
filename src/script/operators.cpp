#include "script/operators.h"

#include <cmath>
#include <limits>

#include "script/string_limit.h"
#include "script/tokens.h"

namespace qel {

namespace {

// A numeric view of a value: integers stay integers.
struct Num {
  bool isFloat = false;
  bool isDate = false;
  bool wide = false;  // Int64 operand: results stay 64-bit
  int64_t i = 0;
  double f = 0;
  double AsDouble() const { return isFloat ? f : static_cast<double>(i); }
};

bool ToNum(const Variant& v, Num& n) {
  switch (v.kind()) {
    case VarKind::Empty: return true;
    case VarKind::Boolean: n.i = v.bool_value() ? -1 : 0; return true;
    case VarKind::Float: n.isFloat = true; n.f = v.float_value(); return true;
    case VarKind::DateTime: n.isFloat = n.isDate = true; n.f = v.float_value(); return true;
    case VarKind::String: {
      if (auto i = ParseInteger(v.string_value()); i && v.string_value().find_first_of("$xX") == ByteString::npos) {
        n.i = *i;
        n.wide = *i < INT32_MIN || *i > INT32_MAX;
        return true;
      }
      auto f = ParseFloat(v.string_value());
      if (!f) return false;
      n.isFloat = true;
      n.f = *f;
      return true;
    }
    default:
      n.i = v.int_value();
      n.wide = v.kind() == VarKind::Int64;
      return true;
  }
}

}  // namespace

bool ConcatTooLong(uint8_t code, const Variant& left, const Variant& right) {
  if (code != tkPlus || !(left.IsString() || right.IsString())) return false;
  if (!(left.IsString() || left.IsEmpty()) || !(right.IsString() || right.IsEmpty())) return false;
  return !StringFits(left.string_value().size(), right.string_value().size());
}

namespace {

Variant FromInt(int64_t v, bool wide) {
  if (!wide && v >= INT32_MIN && v <= INT32_MAX) return Variant::Integer(static_cast<int32_t>(v));
  return Variant::Int64(v);
}

bool Arithmetic(int code, Variant& left, const Variant& right) {
  if (code == tkPlus && (left.IsString() || left.IsEmpty()) && (right.IsString() || right.IsEmpty()) &&
      (left.IsString() || right.IsString())) {
    if (ConcatTooLong(code, left, right)) return false;
    left = Variant::String(left.ToString() + right.ToString());
    return true;
  }
  Num a, b;
  if (!ToNum(left, a) || !ToNum(right, b)) return false;
  if (code == tkSlash) {
    double d = b.AsDouble();
    if (d == 0) return false;
    left = Variant::Float(a.AsDouble() / d);
    return true;
  }
  if (!a.isFloat && !b.isFloat) {
    int64_t r;
    bool overflow = code == tkPlus ? __builtin_add_overflow(a.i, b.i, &r)
                    : code == tkMinus ? __builtin_sub_overflow(a.i, b.i, &r)
                                      : __builtin_mul_overflow(a.i, b.i, &r);
    if (!overflow) {
      left = FromInt(r, a.wide || b.wide);
      return true;
    }
  }
  double x = a.AsDouble(), y = b.AsDouble();
  double r = code == tkPlus ? x + y : code == tkMinus ? x - y : x * y;
  // A date moved by a number stays a date; the distance of two dates is a number.
  bool date = (a.isDate != b.isDate) && code != tkStar;
  left = date ? Variant::DateTime(r) : Variant::Float(r);
  return true;
}

bool ToLogical(const Variant& v, bool& isBool, int64_t& i) {
  if (v.IsBoolean()) {
    isBool = true;
    i = v.bool_value();
    return true;
  }
  isBool = false;
  if (v.IsString()) {
    if (SameTextAscii(v.string_value(), "TRUE") || SameTextAscii(v.string_value(), "FALSE")) {
      isBool = true;
      i = SameTextAscii(v.string_value(), "TRUE");
      return true;
    }
  }
  auto r = v.ToInt64();
  if (!r) return false;
  i = *r;
  return true;
}

bool Logical(int code, Variant& left, const Variant& right) {
  bool lb, rb;
  int64_t a, b;
  if (!ToLogical(left, lb, a) || !ToLogical(right, rb, b)) return false;
  if (lb && rb) {
    bool r = code == tkAnd ? (a && b) : code == tkOr ? (a || b) : (a != b);
    left = Variant::Boolean(r);
    return true;
  }
  if (lb) a = a ? -1 : 0;
  if (rb) b = b ? -1 : 0;
  int64_t r = code == tkAnd ? (a & b) : code == tkOr ? (a | b) : (a ^ b);
  left = FromInt(r, left.kind() == VarKind::Int64 || right.kind() == VarKind::Int64);
  return true;
}

bool Shift(int code, Variant& left, const Variant& right) {
  if (left.IsString() || right.IsString()) return false;
  auto a = left.ToInt64();
  auto n = right.ToInt64();
  if (!a || !n) return false;
  if (left.kind() == VarKind::Int64) {
    uint64_t u = static_cast<uint64_t>(*a);
    int s = static_cast<int>(*n & 63);
    left = Variant::Int64(static_cast<int64_t>(code == tkShl ? u << s : u >> s));
    return true;
  }
  // 32-bit shifts count modulo 32, as the processor does.
  uint32_t u = static_cast<uint32_t>(*a);
  int s = static_cast<int>(*n & 31);
  left = Variant::Integer(static_cast<int32_t>(code == tkShl ? u << s : u >> s));
  return true;
}

bool Power(Variant& left, const Variant& right) {
  Num a, b;
  if (!ToNum(left, a) || !ToNum(right, b)) return false;
  float r = std::pow(static_cast<float>(a.AsDouble()), static_cast<float>(b.AsDouble()));
  left = Variant::Float(static_cast<double>(r));
  return true;
}

}  // namespace

bool CompareValues(const Variant& a, const Variant& b, int& order) {
  if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty())) {
    int c = a.string_value().compare(b.string_value());
    order = c < 0 ? -1 : c > 0 ? 1 : 0;
    return true;
  }
  Num x, y;
  if (!ToNum(a, x) || !ToNum(b, y)) return false;
  if (!x.isFloat && !y.isFloat) {
    order = x.i < y.i ? -1 : x.i > y.i ? 1 : 0;
    return true;
  }
  double p = x.AsDouble(), q = y.AsDouble();
  if (std::isnan(p) || std::isnan(q)) return false;
  order = p < q ? -1 : p > q ? 1 : 0;
  return true;
}

bool ApplyBinary(int code, Variant& left, const Variant& right) {
  switch (code) {
    case tkPlus: case tkMinus: case tkStar: case tkSlash: return Arithmetic(code, left, right);
    case tkAnd: case tkOr: case tkXor: return Logical(code, left, right);
    case tkShl: case tkShr: return Shift(code, left, right);
    case tkPow: return Power(left, right);
    default: break;
  }
  int order;
  if (!CompareValues(left, right, order)) return false;
  bool r = code == tkEq ? order == 0 : code == tkNe ? order != 0 : code == tkGt ? order > 0
           : code == tkLt ? order < 0 : code == tkGe ? order >= 0 : order <= 0;
  left = Variant::Boolean(r);
  return true;
}

bool Negate(Variant& v) {
  Num n;
  if (!ToNum(v, n)) return false;
  if (n.isFloat) {
    v = n.isDate ? Variant::DateTime(-n.f) : Variant::Float(-n.f);
    return true;
  }
  if (n.i == std::numeric_limits<int64_t>::min()) {
    v = Variant::Float(-static_cast<double>(n.i));
    return true;
  }
  v = FromInt(-n.i, n.wide);
  return true;
}

bool LogicalNot(Variant& v) {
  int order;
  if (!CompareValues(v, Variant::Integer(0), order)) return false;
  v = Variant::Byte(order == 0 ? 1 : 0);
  return true;
}

}  // namespace qel
