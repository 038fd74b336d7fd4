#include "hostapi/stdlib_strings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/variant.h"

namespace qel {
namespace {

constexpr char kEscape = 1;

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes of the unit starting at i.
size_t UnitSize(const ByteString& s, size_t i) {
  return s[i] == kEscape ? std::min<size_t>(3, s.size() - i) : 1;
}

// Reads digits from i; returns how many.
size_t SkipDigits(const ByteString& s, size_t& i) {
  const size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i - start;
}

// How far a decimal number reaches from a position: when valid, [start, end)
// is a whole number; otherwise end is the first offending character.
struct NumberScan {
  size_t end = 0;
  bool valid = false;
};

NumberScan ScanNumber(const ByteString& s, size_t i) {
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = SkipDigits(s, i);
  if (i < s.size() && s[i] == '.') {
    ++i;
    digits += SkipDigits(s, i);
  }
  if (digits == 0) return {i, false};
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t k = i + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    if (SkipDigits(s, k) == 0) return {k, false};
    i = k;
  }
  return {i, true};
}

// Reads a number that ScanNumber accepted, independent of the C locale;
// nullopt when it overflows a double (underflow reads as 0).
std::optional<double> ReadNumber(const ByteString& s, size_t begin, size_t end) {
  if (s[begin] == '+') ++begin;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(s.data() + begin, s.data() + end, value);
  if (ec == std::errc::result_out_of_range) {
    const double rough = std::strtod(ByteString(s, begin, end - begin).c_str(), nullptr);
    if (std::isinf(rough)) return std::nullopt;
    return 0.0;
  }
  return value;
}

}  // namespace

int64_t TextLength(const ByteString& s, bool unicodeMode) {
  if (!unicodeMode) return static_cast<int64_t>(s.size());
  int64_t count = 0;
  for (size_t i = 0; i < s.size(); i += UnitSize(s, i)) ++count;
  return count;
}

ByteString DelLastChar(const ByteString& s, bool unicodeMode) {
  if (s.empty()) return s;
  if (!unicodeMode) return s.substr(0, s.size() - 1);
  // Units can only be found from the start: an escaped unit's own bytes may be 1.
  size_t last = 0;
  for (size_t i = 0; i < s.size(); i += UnitSize(s, i)) last = i;
  return s.substr(0, last);
}

ByteString CopyText(const ByteString& s, int64_t index, int64_t count) {
  const auto size = static_cast<int64_t>(s.size());
  index = std::max<int64_t>(index, 1);
  if (count < 1 || index > size) return {};
  return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(std::min(count, size - index + 1)));
}

int64_t Poss(const ByteString& sub, const ByteString& s) {
  if (sub.empty()) return 0;
  const size_t at = s.find(sub);
  return at == ByteString::npos ? 0 : static_cast<int64_t>(at) + 1;
}

ByteString InsertText(const ByteString& source, const ByteString& s, int64_t index) {
  const auto at = static_cast<size_t>(std::clamp<int64_t>(index, 1, static_cast<int64_t>(s.size()) + 1) - 1);
  ByteString out = s;
  out.insert(at, source);
  return out;
}

ByteString DeleteText(const ByteString& s, int64_t index, int64_t count) {
  const auto size = static_cast<int64_t>(s.size());
  if (index < 1 || index > size || count < 1) return s;
  ByteString out = s;
  out.erase(static_cast<size_t>(index - 1), static_cast<size_t>(std::min(count, size - index + 1)));
  return out;
}

ByteString TrimLeft(const ByteString& s) {
  size_t b = 0;
  while (b < s.size() && IsTrimmed(s[b])) ++b;
  return s.substr(b);
}

ByteString TrimRight(const ByteString& s) {
  size_t e = s.size();
  while (e > 0 && IsTrimmed(s[e - 1])) --e;
  return s.substr(0, e);
}

ByteString Trim(const ByteString& s) { return TrimLeft(TrimRight(s)); }

ByteString CharOf(int32_t code) { return ByteString(1, static_cast<char>(code & 0xFF)); }

ByteString IntToStr(int64_t value) { return std::to_string(value); }

int32_t StrToInt(const ByteString& s) {
  size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  if (b == s.size() || s.back() == ' ') return 0;
  const auto v = ParseInteger(s.substr(b));
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return 0;
  return static_cast<int32_t>(*v);
}

std::optional<double> StrToFloat(const ByteString& s) {
  const ByteString t = Trim(s);
  const NumberScan scan = ScanNumber(t, 0);
  if (!scan.valid || scan.end != t.size()) return std::nullopt;
  return ReadNumber(t, 0, scan.end);
}

ValResult Val(const ByteString& s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  const NumberScan scan = ScanNumber(s, i);
  if (scan.valid && scan.end == s.size()) {
    if (auto v = ReadNumber(s, i, scan.end)) return {*v, 0};
    return {0, static_cast<int32_t>(std::min<size_t>(s.size(), INT32_MAX - 1) + 1)};
  }
  return {0, static_cast<int32_t>(std::min<size_t>(scan.end, INT32_MAX - 1) + 1)};
}

}  // namespace qel
