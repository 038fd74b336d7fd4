#include "hostapi/pascal_format.h"

#include <cinttypes>
#include <cstdio>

#include "hostapi/float_text.h"

namespace qel {
namespace {

// Larger widths or precisions are refused rather than allocated.
constexpr int kMaxField = 4096;

struct FieldSpec {
  bool left = false;
  int width = -1;
  int precision = -1;
  char type = 0;  // lower case
};

bool IsIntegerKind(const Variant& v) { return v.IsInteger(); }

ByteString ZeroPadded(ByteString digits, int precision) {
  if (precision > static_cast<int>(digits.size())) digits.insert(0, precision - digits.size(), '0');
  return digits;
}

ByteString SignedText(int64_t value, int precision) {
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  ByteString out;
  if (value < 0) out += '-';
  out += ZeroPadded(std::to_string(magnitude), precision);
  return out;
}

// 32-bit kinds show their 32-bit pattern, Int64 its 64-bit one.
uint64_t UnsignedBits(const Variant& v) {
  const auto raw = static_cast<uint64_t>(v.int_value());
  return v.kind() == VarKind::Int64 ? raw : raw & 0xFFFFFFFFu;
}

ByteString HexText(uint64_t value, int precision) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%" PRIX64, value);
  return ZeroPadded(buf, precision);
}

std::optional<ByteString> IntegerField(const FieldSpec& s, const Variant& v) {
  if (!IsIntegerKind(v)) return std::nullopt;
  switch (s.type) {
    case 'd': return SignedText(v.int_value(), s.precision);
    case 'u': return ZeroPadded(std::to_string(UnsignedBits(v)), s.precision);
    case 'x': return HexText(UnsignedBits(v), s.precision);
    default: {  // 'p'
      const uint64_t bits = UnsignedBits(v);
      return HexText(bits, bits > 0xFFFFFFFFu ? 16 : 8);
    }
  }
}

ByteString MoneyText(double value, int decimals, const LocaleSettings& locale) {
  const ByteString digits = FixedText(value, decimals, true);
  const bool negative = !digits.empty() && digits[0] == '-';
  ByteString out;
  if (negative) out += '-';
  out += locale.CurrencyString;
  out += negative ? digits.substr(1) : digits;
  return out;
}

std::optional<ByteString> FloatField(const FieldSpec& s, const Variant& v, const LocaleSettings& locale) {
  if (!v.IsNumber()) return std::nullopt;
  const double x = v.IsFloat() ? v.float_value() : static_cast<double>(v.int_value());
  const int p = s.precision;
  switch (s.type) {
    case 'e': return ExponentText(x, p < 0 ? 15 : p, 3);
    case 'f': return FixedText(x, p < 0 ? 2 : p);
    case 'g': return GeneralText(x, p < 0 ? 15 : p);
    case 'n': return FixedText(x, p < 0 ? 2 : p, true);
    default: return MoneyText(x, p < 0 ? locale.CurrencyDecimals : p, locale);  // 'm'
  }
}

std::optional<ByteString> FieldText(const FieldSpec& s, const Variant& v, const LocaleSettings& locale) {
  switch (s.type) {
    case 'd': case 'u': case 'x': case 'p': return IntegerField(s, v);
    case 'e': case 'f': case 'g': case 'n': case 'm': return FloatField(s, v, locale);
    case 's': {
      ByteString text = v.ToString();
      if (s.precision >= 0 && s.precision < static_cast<int>(text.size())) text.resize(s.precision);
      return text;
    }
    default: return std::nullopt;
  }
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Reads one specifier after its '%', advancing pos and the argument cursor.
class SpecReader {
 public:
  SpecReader(const ByteString& f, std::span<const Variant> args) : f_(f), args_(args) {}

  std::optional<ByteString> Next(size_t& pos, size_t& argIndex, const LocaleSettings& locale) {
    pos_ = pos;
    arg_ = argIndex;
    FieldSpec s;
    int n = -1;
    if (!Number(n)) return std::nullopt;
    if (Peek() == ':') {
      if (n < 0) return std::nullopt;
      arg_ = static_cast<size_t>(n);
      ++pos_;
      n = -1;
      if (!Number(n)) return std::nullopt;
    }
    if (n < 0 && Peek() == '-') {
      s.left = true;
      ++pos_;
      if (!Number(n)) return std::nullopt;
    }
    s.width = n;
    if (Peek() == '.') {
      ++pos_;
      if (!Number(s.precision)) return std::nullopt;
      if (s.precision < 0) s.precision = 0;
    }
    s.type = LowerAscii(Peek());
    ++pos_;
    if (arg_ >= args_.size()) return std::nullopt;
    auto text = FieldText(s, args_[arg_++], locale);
    if (!text) return std::nullopt;
    pos = pos_;
    argIndex = arg_;
    return Padded(*text, s);
  }

 private:
  char Peek() const { return pos_ < f_.size() ? f_[pos_] : '\0'; }

  // A decimal number or '*' (the next integer argument); -1 when neither is there.
  bool Number(int& value) {
    if (Peek() == '*') {
      ++pos_;
      if (arg_ >= args_.size() || !IsIntegerKind(args_[arg_])) return false;
      const int64_t v = args_[arg_++].int_value();
      if (v > kMaxField) return false;
      value = v < 0 ? -1 : static_cast<int>(v);
      return true;
    }
    if (Peek() < '0' || Peek() > '9') return true;
    int64_t v = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      v = v * 10 + (f_[pos_++] - '0');
      if (v > kMaxField) return false;
    }
    value = static_cast<int>(v);
    return true;
  }

  static ByteString Padded(const ByteString& text, const FieldSpec& s) {
    if (s.width <= static_cast<int>(text.size())) return text;
    const ByteString fill(s.width - text.size(), ' ');
    return s.left ? text + fill : fill + text;
  }

  const ByteString& f_;
  std::span<const Variant> args_;
  size_t pos_ = 0;
  size_t arg_ = 0;
};

}  // namespace

std::optional<ByteString> FormatPascal(const ByteString& format, std::span<const Variant> args,
                                       const LocaleSettings& locale) {
  ByteString out;
  SpecReader reader(format, args);
  size_t argIndex = 0;
  size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos++];
    if (c != '%') {
      out += c;
    } else if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
    } else {
      auto field = reader.Next(pos, argIndex, locale);
      if (!field) return std::nullopt;
      out += *field;
    }
  }
  return out;
}

}  // namespace qel
