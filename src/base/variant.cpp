#include "base/variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace qel {

const char* VarKindName(VarKind kind) {
  static constexpr const char* kNames[] = {"Empty", "Integer", "Byte", "ShortInt", "Word", "LongWord",
                                           "Int64", "Float", "DateTime", "Boolean", "String"};
  return kNames[static_cast<int>(kind)];
}

Variant Variant::String(ByteString v) {
  Variant r;
  r.kind_ = VarKind::String;
  r.str_ = std::move(v);
  return r;
}

// The program never leaves the default rounding mode, which rounds halves to even.
double RoundHalfEven(double v) { return std::nearbyint(v); }

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(const ByteString& text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string_view(text).substr(b, e - b);
}

std::optional<int32_t> FitInt32(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(v);
}

std::optional<int64_t> RoundToInt64(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  double r = RoundHalfEven(v);
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return std::nullopt;
  return static_cast<int64_t>(r);
}

}  // namespace

std::optional<int64_t> ParseInteger(const ByteString& text) {
  std::string_view s = Trimmed(text);
  if (s.empty()) return std::nullopt;
  bool negative = false;
  size_t i = 0;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;
  uint64_t value = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int digit = c >= '0' && c <= '9' ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
    if (digit < 0) return std::nullopt;
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  if (base == 10) {
    uint64_t limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    if (value > limit) return std::nullopt;
    return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
  }
  // Hexadecimal literals take the bit pattern, as $FFFFFFFF is -1 in 32 bits.
  if (value <= 0xFFFFFFFFULL) value = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(value)));
  int64_t v = static_cast<int64_t>(value);
  return negative ? -v : v;
}

std::optional<double> ParseFloat(const ByteString& text) {
  std::string_view s = Trimmed(text);
  if (s.empty()) return std::nullopt;
  size_t i = 0;
  if (s[i] == '+' || s[i] == '-') ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exp = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exp;
    if (exp == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  std::string copy(s);
  return std::strtod(copy.c_str(), nullptr);
}

ByteString FloatToText(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  ByteString s(buf);
  size_t e = s.find('E');
  if (e == ByteString::npos) return s;
  // "1.5E+20" -> "1.5E20", "2E-07" -> "2E-7"
  ByteString mantissa = s.substr(0, e), exponent = s.substr(e + 1);
  bool negative = !exponent.empty() && exponent[0] == '-';
  size_t p = (exponent[0] == '+' || exponent[0] == '-') ? 1 : 0;
  while (p + 1 < exponent.size() && exponent[p] == '0') ++p;
  return mantissa + "E" + (negative ? "-" : "") + exponent.substr(p);
}

std::optional<int64_t> Variant::ToInt64() const {
  switch (kind_) {
    case VarKind::Integer: case VarKind::Byte: case VarKind::ShortInt: case VarKind::Word:
    case VarKind::LongWord: case VarKind::Int64:
      return int_;
    case VarKind::Boolean: return int_ ? -1 : 0;
    case VarKind::Float: case VarKind::DateTime: return RoundToInt64(float_);
    case VarKind::String: {
      if (auto i = ParseInteger(str_)) return i;
      if (auto f = ParseFloat(str_)) return RoundToInt64(*f);
      return std::nullopt;
    }
    case VarKind::Empty: return 0;
  }
  return std::nullopt;
}

std::optional<int32_t> Variant::ToInt32() const {
  auto v = ToInt64();
  if (!v) return std::nullopt;
  if (kind_ == VarKind::LongWord) return static_cast<int32_t>(static_cast<uint32_t>(*v));
  return FitInt32(*v);
}

std::optional<double> Variant::ToDouble() const {
  switch (kind_) {
    case VarKind::Float: case VarKind::DateTime: return float_;
    case VarKind::Boolean: return int_ ? -1.0 : 0.0;
    case VarKind::String: {
      if (auto f = ParseFloat(str_)) return f;
      if (auto i = ParseInteger(str_)) return static_cast<double>(*i);
      return std::nullopt;
    }
    case VarKind::Empty: return 0.0;
    default: return static_cast<double>(int_);
  }
}

std::optional<bool> Variant::ToBoolean() const {
  switch (kind_) {
    case VarKind::Boolean: return int_ != 0;
    case VarKind::Float: case VarKind::DateTime: return float_ != 0;
    case VarKind::String: {
      if (SameTextAscii(str_, "TRUE")) return true;
      if (SameTextAscii(str_, "FALSE")) return false;
      if (auto d = ToDouble()) return *d != 0;
      return std::nullopt;
    }
    case VarKind::Empty: return false;
    default: return int_ != 0;
  }
}

ByteString Variant::ToString() const {
  switch (kind_) {
    case VarKind::Empty: return {};
    case VarKind::Boolean: return int_ ? "True" : "False";
    case VarKind::Float: case VarKind::DateTime: return FloatToText(float_);
    case VarKind::String: return str_;
    default: return std::to_string(int_);
  }
}

bool Variant::operator==(const Variant& other) const {
  if (kind_ != other.kind_) return false;
  if (IsFloat()) return float_ == other.float_ || (std::isnan(float_) && std::isnan(other.float_));
  if (IsString()) return str_ == other.str_;
  return int_ == other.int_;
}

}  // namespace qel
