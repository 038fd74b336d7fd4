#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "hostapi/float_text.h"
#include "hostapi/stdlib_error.h"
#include "hostapi/stdlib_format.h"

namespace qel {
namespace {

ByteString F(const ByteString& format, const std::vector<Variant>& values) {
  std::vector<TVar> args;
  for (const Variant& v : values) args.push_back({"VALUE", v});
  return FormatScript(format, args, LocaleSettings{});
}

Variant I(int32_t v) { return Variant::Integer(v); }
Variant D(double v) { return Variant::Float(v); }
Variant S(const char* v) { return Variant::String(v); }

TEST(FormatScan, EachSpecifierTakesTheNextArgument) {
  EXPECT_EQ(F("%d items", {I(3)}), "3 items");
  EXPECT_EQ(F("%s%s", {S("A")}), "A");
  EXPECT_EQ(F("%d %d", {I(1)}), "1 ");
  EXPECT_EQ(F("<%s|%d>", {S("x"), I(-5)}), "<x|-5>");
  EXPECT_EQ(F("no specifiers", {I(1)}), "no specifiers");
  EXPECT_EQ(F("100%", {I(1)}), "100%");
  EXPECT_EQ(F("%5", {I(1)}), "%5");
  EXPECT_EQ(F("%D", {I(3)}), "3");
}

TEST(FormatScan, PercentPairsStayInsideOneSpecifier) {
  // The specifier runs from '%' to the next letter, so "%% o" uses an argument.
  EXPECT_EQ(F("50%% off", {I(1)}), "50% off");
  EXPECT_EQ(F("50%% off", {}), "50ff");
}

TEST(FormatScan, NonStringsFallBackToTheTruncatedInteger) {
  EXPECT_EQ(F("%d", {D(2.7)}), "2");
  EXPECT_EQ(F("%d", {D(-2.7)}), "-2");
  EXPECT_EQ(F("%x", {D(255.9)}), "FF");
  EXPECT_EQ(F("%d", {Variant::Boolean(true)}), "-1");
  EXPECT_EQ(F("%3d|", {Variant()}), "  0|");
  EXPECT_THROW(F("%d", {S("5")}), StdlibError);
  EXPECT_THROW(F("%z", {I(1)}), StdlibError);
  EXPECT_THROW(F("%d", {D(NAN)}), StdlibError);
}

TEST(FormatScan, IndexWidthAndStarNeedTheirArguments) {
  EXPECT_EQ(F("%0:s", {S("x")}), "x");
  EXPECT_THROW(F("%1:s", {S("x")}), StdlibError);
  EXPECT_THROW(F("%*d", {I(5)}), StdlibError);
  EXPECT_THROW(F("%99999999999d", {I(1)}), StdlibError);
  EXPECT_THROW(F("%.99999d", {I(1)}), StdlibError);
}

TEST(FormatIntegers, WidthPrecisionAndBases) {
  EXPECT_EQ(F("[%5d|%-5d]", {I(42), I(42)}), "[   42|42   ]");
  EXPECT_EQ(F("%.3d", {I(7)}), "007");
  EXPECT_EQ(F("%.3d", {I(-7)}), "-007");
  EXPECT_EQ(F("%05d", {I(7)}), "    7");
  EXPECT_EQ(F("%d", {Variant::Int64(INT64_MIN)}), "-9223372036854775808");
  EXPECT_EQ(F("%x", {I(255)}), "FF");
  EXPECT_EQ(F("%x", {I(-1)}), "FFFFFFFF");
  EXPECT_EQ(F("%x", {Variant::Int64(-1)}), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(F("%.4x", {I(255)}), "00FF");
  EXPECT_EQ(F("%u", {I(-1)}), "4294967295");
  EXPECT_EQ(F("%p", {I(255)}), "000000FF");
  EXPECT_EQ(F("%d", {Variant::LongWord(4000000000u)}), "4000000000");
}

TEST(FormatFloats, FixedScientificGeneralNumberMoney) {
  EXPECT_EQ(F("%5.2f", {D(3.14159)}), " 3.14");
  EXPECT_EQ(F("%f", {I(2)}), "2.00");
  EXPECT_EQ(F("%.0f", {D(2.5)}), "3");
  EXPECT_EQ(F("%.2f", {D(0.125)}), "0.13");
  EXPECT_EQ(F("%.2f", {D(-0.125)}), "-0.13");
  EXPECT_EQ(F("%.1f", {D(-0.04)}), "0.0");
  EXPECT_EQ(F("%.2f", {D(9.999)}), "10.00");
  EXPECT_EQ(F("%e", {D(1234.5)}), "1.23450000000000E+003");
  EXPECT_EQ(F("%.3e", {D(-0.000123456)}), "-1.23E-004");
  EXPECT_EQ(F("%.3e", {D(0)}), "0.00E+000");
  EXPECT_EQ(F("%g", {D(0.5)}), "0.5");
  EXPECT_EQ(F("%g", {D(1e20)}), "1E20");
  EXPECT_EQ(F("%g", {D(0.00001)}), "0.00001");
  EXPECT_EQ(F("%g", {D(0.000001)}), "1E-6");
  EXPECT_EQ(F("%.3g", {D(1234.5)}), "1.23E3");
  EXPECT_EQ(F("%g", {I(100)}), "100");
  EXPECT_EQ(F("%n", {D(1234567.891)}), "1,234,567.89");
  EXPECT_EQ(F("%n", {D(-1234.5)}), "-1,234.50");
  EXPECT_EQ(F("%.0n", {D(999.5)}), "1,000");
  EXPECT_EQ(F("%n", {D(12)}), "12.00");
  EXPECT_EQ(F("%m", {I(-5)}), "-$5.00");
  EXPECT_EQ(F("%.1m", {D(1234.56)}), "$1,234.6");
}

TEST(FormatStrings, AnyKindAsTextWithPrecisionCut) {
  EXPECT_EQ(F("%s", {I(12)}), "12");
  EXPECT_EQ(F("%s", {Variant::Boolean(true)}), "True");
  EXPECT_EQ(F("%s", {D(0.1)}), "0.1");
  EXPECT_EQ(F("%.2s", {S("abc")}), "ab");
  EXPECT_EQ(F("%-4s|", {S("ab")}), "ab  |");
  EXPECT_EQ(F("%4s|", {S("ab")}), "  ab|");
}

TEST(FloatToStr, FifteenDecimalsWithoutBinaryNoise) {
  EXPECT_EQ(FloatToStr(2), "2");
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(FloatToStr(-0.5), "-0.5");
  EXPECT_EQ(FloatToStr(123.456), "123.456");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
  EXPECT_EQ(FloatToStr(1234567.1), "1234567.1");
  EXPECT_EQ(FloatToStr(1e20), "100000000000000000000");
  EXPECT_EQ(FloatToStr(1.5e-10), "0.00000000015");
  EXPECT_EQ(FloatToStr(1e-20), "0");
  EXPECT_EQ(FloatToStr(-1e-20), "0");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(NAN), "NAN");
  EXPECT_EQ(FloatToStr(-INFINITY), "-INF");
}

}  // namespace
}  // namespace qel

// The digits of a float are printf's "%.16e" digits, for every kind of double.
namespace qel {
namespace {

TEST(FloatDigits, SameAsPrintfSeventeenSignificantDigits) {
  std::mt19937_64 rng(7);
  std::vector<double> values = {0.5,    0.1,     1.0 / 3, 2.5,     1e22,   1e23,   5e-324, 2.2250738585072014e-308,
                                1.7976931348623157e308, 123456789012345678.0, 0.30000000000000004, 9.999999999999999e22};
  for (int k = 0; k < 20000; ++k) {
    uint64_t bits = rng();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
    values.push_back(static_cast<double>(static_cast<int64_t>(rng() % 2000001) - 1000000) / 7.0);
  }
  for (double v : values) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.16e", v);
    std::string digits;
    const char* p = buf + (buf[0] == '-');
    for (; *p && *p != 'e'; ++p)
      if (*p >= '0' && *p <= '9') digits += *p;
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    const DecimalDigits d = ToDecimal(v);
    ASSERT_EQ(d.digits, v == 0 ? std::string() : digits) << buf;
    if (v != 0) {
      ASSERT_EQ(d.point, std::atoi(p + 1) + 1) << buf;
      ASSERT_EQ(d.negative, v < 0) << buf;
    }
  }
}

}  // namespace
}  // namespace qel
