#include <gtest/gtest.h>

#include <cstdlib>

#include "hostapi/date_format.h"
#include "hostapi/date_time.h"
#include "hostapi/locale_settings.h"

namespace qel {
namespace {

TEST(LocalePatterns, StrftimeFormatsBecomeDatePatterns) {
  EXPECT_EQ(PatternFromStrftime("%d.%m.%Y"), "dd.mm.yyyy");
  EXPECT_EQ(PatternFromStrftime("%m/%d/%y"), "mm/dd/yy");
  EXPECT_EQ(PatternFromStrftime("%Y-%m-%d"), "yyyy-mm-dd");
  EXPECT_EQ(PatternFromStrftime("%r"), "hh:nn:ss ampm");
  EXPECT_EQ(PatternFromStrftime("%T"), "hh:nn:ss");
  EXPECT_EQ(PatternFromStrftime("%D"), "mm/dd/yy");
  EXPECT_EQ(PatternFromStrftime("%e.%-m.%Ey"), "d.mm.yy");
  EXPECT_EQ(PatternFromStrftime("%H%%"), "hh%");
  EXPECT_EQ(PatternFromStrftime("%"), "");
  EXPECT_EQ(PatternFromStrftime("%Q"), "");
}

TEST(LocalePatterns, LiteralLettersAreQuoted) {
  const ByteString pattern = PatternFromStrftime("%d de %B");
  EXPECT_EQ(pattern, "dd \"d\"\"e\" mmmm");
  EXPECT_EQ(FormatDateTime(pattern, EncodeDate(2024, 3, 5), LocaleSettings{}), "05 de March");
}

TEST(LocalePatterns, SeparatorIsTheFirstPunctuation) {
  EXPECT_EQ(SeparatorOf("dd.mm.yyyy", '/'), '.');
  EXPECT_EQ(SeparatorOf("\"x\" yyyy-mm", '/'), '-');
  EXPECT_EQ(SeparatorOf("ddmmyyyy", '/'), '/');
}

TEST(LocaleSource, MissingOrPlainLocalesGiveTheDefaults) {
  const LocaleSettings defaults;
  for (const char* name : {"C", "POSIX", "C.UTF-8", "", "xx_NOWHERE.UTF-8"}) {
    const LocaleSettings s = LocaleByName(name);
    EXPECT_EQ(s.ShortDateFormat, defaults.ShortDateFormat) << name;
    EXPECT_EQ(s.LongMonthNames, defaults.LongMonthNames) << name;
  }
  EXPECT_EQ(LocaleByName(nullptr).LongTimeFormat, defaults.LongTimeFormat);
}

TEST(LocaleSource, EnvironmentPrecedence) {
  // LC_ALL wins over LC_TIME and LANG; an unknown name falls back to defaults.
  setenv("LC_ALL", "C", 1);
  setenv("LC_TIME", "xx_NOWHERE", 1);
  EXPECT_EQ(LocaleFromEnvironment().ShortDateFormat, "dd.mm.yyyy");
  unsetenv("LC_ALL");
  EXPECT_EQ(LocaleFromEnvironment().ShortDateFormat, "dd.mm.yyyy");
  unsetenv("LC_TIME");
}

}  // namespace
}  // namespace qel
