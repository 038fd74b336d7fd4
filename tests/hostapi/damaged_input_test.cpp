#include <gtest/gtest.h>

#include <vector>

#include "hostapi/date_format.h"
#include "hostapi/date_time.h"
#include "hostapi/locale_settings.h"
#include "hostapi/random.h"
#include "hostapi/stdlib_error.h"
#include "hostapi/stdlib_format.h"
#include "hostapi/stdlib_strings.h"

namespace qel {
namespace {

// Text made mostly of the characters the parsers react to, so that the
// generated inputs reach deep into them.
ByteString NoisyText(RandomGenerator& gen) {
  static const char kAlphabet[] = "%%%dDmMyYhHnNsSzZtTcCaApP/:.-*0123456789'\" \x01\xFF";
  ByteString out;
  const uint32_t length = gen.Next(24);
  for (uint32_t i = 0; i < length; ++i) out += kAlphabet[gen.Next(sizeof kAlphabet - 1)];
  return out;
}

template <typename F>
void ExpectNoCrash(F f) {
  try {
    f();
  } catch (const StdlibError&) {
    // A reported error is a valid outcome; anything else is not.
  }
}

TEST(DamagedInput, PatternsAndTextsNeverCrash) {
  RandomGenerator gen(2024);
  const LocaleSettings locale;
  const double moment = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  const std::vector<TVar> args = {{"VALUE", Variant::Integer(-3)}, {"VALUE", Variant::Float(2.5)},
                                  {"VALUE", Variant::String("s")}, {"VALUE", Variant::Boolean(true)}, {"VALUE", {}}};
  for (int i = 0; i < 5000; ++i) {
    const ByteString text = NoisyText(gen);
    ExpectNoCrash([&] { FormatDateTime(text, moment, locale); });
    ExpectNoCrash([&] { FormatDateTime(text, -693593.5, locale); });
    ExpectNoCrash([&] { FormatScript(text, args, locale); });
    ExpectNoCrash([&] { StrToDate(text, locale, 2024); });
    ExpectNoCrash([&] { StrToTime(text, locale); });
    ExpectNoCrash([&] { PatternFromStrftime(text); });
    Val(text);
    StrToFloat(text);
    StrToInt(text);
    DelLastChar(text, true);
    TextLength(text, true);
  }
}

TEST(DamagedInput, LocaleWithEmptyAndLoopingFormats) {
  LocaleSettings odd;
  odd.ShortDateFormat = "";
  odd.LongDateFormat = "dddddd";
  odd.ShortTimeFormat.assign(1, 't');
  odd.LongTimeFormat.assign(1, 'c');
  odd.DateSeparator = '\0';
  const double moment = EncodeDate(2024, 3, 5) + 0.5;
  for (const char* pattern : {"c", "ddddd", "dddddd", "t", "tt", "/:"}) FormatDateTime(pattern, moment, odd);
  EXPECT_THROW(StrToDate("1.2.2024", odd, 2024), StdlibError);
}

}  // namespace
}  // namespace qel
