#include "hostapi/float_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qel {
namespace {

void TrimTrailingZeros(DecimalDigits& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// Keeps the first keep digits, rounding half away from zero.
void KeepDigits(DecimalDigits& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
    if (i >= 0) {
      ++d.digits[i];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    }
  }
  TrimTrailingZeros(d);
}

const char* NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value > 0 ? "INF" : "-INF";
}

// Digit i of the 0.ddd form; positions outside the stored digits are zeros.
char DigitAt(const DecimalDigits& d, int index) {
  return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
}

ByteString IntegerPart(const DecimalDigits& d, bool thousands) {
  ByteString out;
  if (d.point <= 0) return "0";
  for (int i = 0; i < d.point; ++i) {
    if (thousands && i > 0 && (d.point - i) % 3 == 0) out += ',';
    out += DigitAt(d, i);
  }
  return out;
}

// "." and the digits after the point up to the last stored one; empty for integers.
ByteString SignificantFraction(const DecimalDigits& d) {
  const int count = static_cast<int>(d.digits.size());
  if (count <= d.point) return {};
  ByteString out = ".";
  for (int i = d.point; i < count; ++i) out += DigitAt(d, i);
  return out;
}

ByteString ExponentSuffix(int exponent, int minDigits, bool plusSign) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", minDigits, std::abs(exponent));
  return ByteString("E") + (exponent < 0 ? "-" : plusSign ? "+" : "") + buf;
}

}  // namespace

DecimalDigits ToDecimal(double value) {
  DecimalDigits d;
  if (!std::isfinite(value) || value == 0) return d;
  // "-d.dddddddddddddddde+xxx", as printf's "%.16e" writes it, without
  // printf's slow path.
  char buf[40];
  *std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, 16).ptr = 0;
  const char* p = buf;
  if (*p == '-') d.negative = true, ++p;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits += *p;
  d.point = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
  TrimTrailingZeros(d);
  return d;
}

void RoundToSignificant(DecimalDigits& d, int count) { KeepDigits(d, std::max(count, 0)); }

void RoundToDecimals(DecimalDigits& d, int decimals) { KeepDigits(d, d.point + decimals); }

ByteString FixedText(double value, int decimals, bool thousands) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  DecimalDigits d = ToDecimal(value);
  RoundToDecimals(d, decimals);
  ByteString out = d.negative && !d.digits.empty() ? "-" : "";
  out += IntegerPart(d, thousands);
  if (decimals > 0) {
    out += '.';
    for (int i = 0; i < decimals; ++i) out += DigitAt(d, d.point + i);
  }
  return out;
}

ByteString ExponentText(double value, int precision, int expDigits) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, 17);
  DecimalDigits d = ToDecimal(value);
  RoundToSignificant(d, precision);
  ByteString out = d.negative && !d.digits.empty() ? "-" : "";
  out += DigitAt(d, 0);
  if (precision > 1) out += '.';
  for (int i = 1; i < precision; ++i) out += DigitAt(d, i);
  return out + ExponentSuffix(d.digits.empty() ? 0 : d.point - 1, expDigits, true);
}

ByteString GeneralText(double value, int precision) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, 17);
  DecimalDigits d = ToDecimal(value);
  RoundToSignificant(d, precision);
  if (d.digits.empty()) return "0";
  ByteString out;
  if (d.negative) out += '-';
  if (d.point > precision || d.point < -4) {
    out += d.digits[0];
    if (d.digits.size() > 1) {
      out += '.';
      out.append(d.digits, 1);
    }
    out += ExponentSuffix(d.point - 1, 1, false);
    return out;
  }
  out += IntegerPart(d, false);
  out += SignificantFraction(d);
  return out;
}

ByteString FloatToStr(double value) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  DecimalDigits d = ToDecimal(value);
  RoundToSignificant(d, 15);
  RoundToDecimals(d, 15);
  if (d.digits.empty()) return "0";
  ByteString out;
  if (d.negative) out += '-';
  out += IntegerPart(d, false);
  out += SignificantFraction(d);
  return out;
}

}  // namespace qel
