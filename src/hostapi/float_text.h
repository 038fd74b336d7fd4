#pragma once
// Floating values as decimal text. Digits come from the value's 17-digit
// decimal form and are rounded half away from zero, so 0.125 shows as 0.13
// with two decimals, as one would round by hand.
#include <string>

#include "base/encoding.h"

namespace qel {

// value = 0.digits * 10^point; digits has no leading or trailing zeros and is
// empty for zero.
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int point = 0;
};

DecimalDigits ToDecimal(double value);
void RoundToSignificant(DecimalDigits& d, int count);
void RoundToDecimals(DecimalDigits& d, int decimals);

// "-1234.50"; with thousands, "-1,234.50". Non-finite values give NAN, INF, -INF.
ByteString FixedText(double value, int decimals, bool thousands = false);
// "-1.2345E+003": precision significant digits, at least expDigits in the exponent.
ByteString ExponentText(double value, int precision, int expDigits);
// The shorter of fixed and scientific notation with up to precision
// significant digits, trailing zeros removed: "0.5", "1E20", "1.5E-7".
ByteString GeneralText(double value, int precision);
// Fixed notation, at most 15 decimals and 15 significant digits, trailing
// zeros and a trailing point removed: 2 -> "2", 1/3 -> "0.333333333333333".
ByteString FloatToStr(double value);

}  // namespace qel
