#include <gtest/gtest.h>

#include "hostapi/date_format.h"
#include "hostapi/date_time.h"
#include "hostapi/stdlib_error.h"

namespace qel {
namespace {

// Tuesday, 5 March 2024, 14:07:09.045
const double kMoment = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);

ByteString Fmt(const ByteString& pattern, double value = kMoment) {
  return FormatDateTime(pattern, value, LocaleSettings{});
}

TEST(FormatDateTime, DayMonthYearFields) {
  EXPECT_EQ(Fmt("dd.mm.yyyy"), "05.03.2024");
  EXPECT_EQ(Fmt("d/m/yy"), "5.3.24");
  EXPECT_EQ(Fmt("ddd, dddd"), "Tue, Tuesday");
  EXPECT_EQ(Fmt("mmm mmmm"), "Mar March");
  EXPECT_EQ(Fmt("DD-MM-YYYY"), "05-03-2024");
  EXPECT_EQ(Fmt("yyyy yy", EncodeDate(5, 1, 2)), "0005 05");
  EXPECT_EQ(Fmt("y"), "24");
  EXPECT_EQ(Fmt("yyy"), "2024");
}

TEST(FormatDateTime, TimeFieldsAndMinutesAfterHours) {
  EXPECT_EQ(Fmt("hh:nn:ss.zzz"), "14:07:09.045");
  EXPECT_EQ(Fmt("h:n:s z"), "14:7:9 45");
  EXPECT_EQ(Fmt("h:mm"), "14:07");
  EXPECT_EQ(Fmt("hh mm"), "14 07");
  EXPECT_EQ(Fmt("mm hh"), "03 14");
  EXPECT_EQ(Fmt("hh:nn", 0.0), "00:00");
}

TEST(FormatDateTime, TwelveHourMarkers) {
  EXPECT_EQ(Fmt("hh:nn am/pm"), "02:07 pm");
  EXPECT_EQ(Fmt("h AM/PM"), "2 PM");
  EXPECT_EQ(Fmt("h Am/Pm"), "2 Pm");
  EXPECT_EQ(Fmt("h a/p"), "2 p");
  EXPECT_EQ(Fmt("h ampm"), "2 PM");
  EXPECT_EQ(Fmt("h am/pm", EncodeDate(2024, 3, 5)), "12 am");
  EXPECT_EQ(Fmt("h am/pm", EncodeDate(2024, 3, 5) + 0.5), "12 pm");
  EXPECT_EQ(Fmt("h:nn am/pm", EncodeDate(2024, 3, 5) + EncodeTime(9, 5, 0, 0)), "9:05 am");
  // A marker after the next hour field does not apply to this one.
  EXPECT_EQ(Fmt("h h am/pm"), "14 2 pm");
}

TEST(FormatDateTime, QuotesSeparatorsAndLiterals) {
  EXPECT_EQ(Fmt("'Date:' dd"), "Date: 05");
  EXPECT_EQ(Fmt("\"yy\" yy"), "yy 24");
  EXPECT_EQ(Fmt("'open"), "open");
  EXPECT_EQ(Fmt("x q # 1"), "x q # 1");
  LocaleSettings us;
  us.DateSeparator = '/';
  us.TimeSeparator = '-';
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", kMoment, us), "05/03/2024 14-07");
}

TEST(FormatDateTime, LocaleFormatsByName) {
  EXPECT_EQ(Fmt("ddddd"), "05.03.2024");
  EXPECT_EQ(Fmt("dddddd"), "5 March 2024");
  EXPECT_EQ(Fmt("t"), "14:07");
  EXPECT_EQ(Fmt("tt"), "14:07:09");
  EXPECT_EQ(Fmt("c"), "05.03.2024 14:07:09");
  EXPECT_EQ(Fmt("c", EncodeDate(2024, 3, 5)), "05.03.2024");
  EXPECT_EQ(DateToStr(kMoment, LocaleSettings{}), "05.03.2024");
  EXPECT_EQ(TimeToStr(kMoment, LocaleSettings{}), "14:07:09");
}

TEST(FormatDateTime, NegativeDatesOutOfRangeAndSelfReference) {
  EXPECT_EQ(Fmt("dd.mm.yyyy hh:nn", -1.25), "29.12.1899 06:00");
  EXPECT_EQ(Fmt("dd.mm.yyyy", EncodeDate(1, 1, 1)), "01.01.0001");
  EXPECT_THROW(Fmt("dd", 1e10), StdlibError);
  LocaleSettings looped;
  looped.ShortDateFormat = "c ddddd";
  looped.LongTimeFormat = "tt";
  EXPECT_NO_THROW(FormatDateTime("c", kMoment, looped));
}

TEST(DateText, StrToDateInLocaleOrder) {
  const LocaleSettings dmy;
  EXPECT_EQ(StrToDate("05.03.2024", dmy, 2024), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate(" 5.3.2024 ", dmy, 2000), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate("5.3", dmy, 2021), EncodeDate(2021, 3, 5));
  EXPECT_EQ(StrToDate("5.3.24", dmy, 2024), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate("5.3.80", dmy, 2024), EncodeDate(1980, 3, 5));
  EXPECT_EQ(StrToDate("5.3.0024", dmy, 2024), EncodeDate(24, 3, 5));
  LocaleSettings mdy;
  mdy.ShortDateFormat = "mm/dd/yyyy";
  mdy.DateSeparator = '/';
  EXPECT_EQ(StrToDate("03/05/2024", mdy, 2024), EncodeDate(2024, 3, 5));
  LocaleSettings ymd;
  ymd.ShortDateFormat = "yyyy-mm-dd";
  ymd.DateSeparator = '-';
  EXPECT_EQ(StrToDate("2024-03-05", ymd, 2024), EncodeDate(2024, 3, 5));
}

TEST(DateText, StrToDateRejectsBadText) {
  const LocaleSettings dmy;
  for (const char* bad : {"31.02.2024", "abc", "5.3.2024x", "", "5", "5.", "5.3.", "05/03/2024", "1.1.99999999999"})
    EXPECT_THROW(StrToDate(bad, dmy, 2024), StdlibError) << bad;
}

TEST(DateText, StrToTime) {
  const LocaleSettings loc;
  EXPECT_EQ(StrToTime("14:07", loc), EncodeTime(14, 7, 0, 0));
  EXPECT_EQ(StrToTime("14:07:09", loc), EncodeTime(14, 7, 9, 0));
  EXPECT_EQ(StrToTime("14:07:09.045", loc), EncodeTime(14, 7, 9, 45));
  EXPECT_EQ(StrToTime("2:07 PM", loc), EncodeTime(14, 7, 0, 0));
  EXPECT_EQ(StrToTime("12:00 am", loc), 0.0);
  EXPECT_EQ(StrToTime("12:30 PM", loc), EncodeTime(12, 30, 0, 0));
  for (const char* bad : {"25:00", "13:00 PM", "14", "14:", "14:60", "x", "", "1:2:3:4", "0:00 AM"})
    EXPECT_THROW(StrToTime(bad, loc), StdlibError) << bad;
}

}  // namespace
}  // namespace qel
