#include <gtest/gtest.h>

#include <cmath>

#include "hostapi/date_time.h"
#include "hostapi/stdlib_error.h"

namespace qel {
namespace {

TEST(DateEncoding, DayNumbersFromThe1899Epoch) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(2024, 2, 29), 45351.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
}

TEST(DateEncoding, InvalidPartsThrow) {
  EXPECT_THROW(EncodeDate(2023, 2, 29), StdlibError);
  EXPECT_THROW(EncodeDate(1900, 2, 29), StdlibError);
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_THROW(EncodeDate(2024, 13, 1), StdlibError);
  EXPECT_THROW(EncodeDate(2024, 0, 1), StdlibError);
  EXPECT_THROW(EncodeDate(0, 1, 1), StdlibError);
  EXPECT_THROW(EncodeDate(10000, 1, 1), StdlibError);
  EXPECT_THROW(EncodeDate(2024, 4, 31), StdlibError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), StdlibError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), StdlibError);
  EXPECT_THROW(EncodeTime(0, 0, 60, 0), StdlibError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), StdlibError);
  EXPECT_THROW(EncodeTime(-1, 0, 0, 0), StdlibError);
  EXPECT_EQ(EncodeTime(18, 0, 0, 0), 0.75);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(DateDecoding, PositiveAndNegativeValues) {
  const CivilDate d = DecodeDate(45351.5);
  EXPECT_EQ(d.year, 2024);
  EXPECT_EQ(d.month, 2);
  EXPECT_EQ(d.day, 29);
  // Before the epoch the day counts backwards and the fraction forwards.
  const CivilDate before = DecodeDate(-1.25);
  EXPECT_EQ(before.year, 1899);
  EXPECT_EQ(before.month, 12);
  EXPECT_EQ(before.day, 29);
  EXPECT_EQ(DecodeTime(-1.25).hour, 6);
  EXPECT_EQ(DecodeDate(-0.5).day, 30);
  EXPECT_EQ(DecodeTime(-0.5).hour, 12);
  const CivilDate first = DecodeDate(-693593.0);
  EXPECT_EQ(first.year, 1);
  EXPECT_EQ(first.month, 1);
  EXPECT_EQ(first.day, 1);
  EXPECT_EQ(DecodeDate(2958465.99).year, 9999);
}

TEST(DateDecoding, TimeRoundsToTheMillisecond) {
  const ClockTime t = DecodeTime(EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 59);
  EXPECT_EQ(t.msec, 999);
  // A hair before midnight is midnight of the next day, not 23:59:59.1000.
  EXPECT_EQ(DecodeDate(1.9999999999).day, 1);
  EXPECT_EQ(DecodeTime(1.9999999999).hour, 0);
  EXPECT_EQ(DecodeTime(1.9999999999).msec, 0);
}

TEST(DateDecoding, OutOfRangeAndNonFiniteThrow) {
  EXPECT_THROW(DecodeDate(2958466.0), StdlibError);
  EXPECT_THROW(DecodeDate(-693594.0), StdlibError);
  EXPECT_THROW(DecodeDate(1e300), StdlibError);
  EXPECT_THROW(DecodeDate(NAN), StdlibError);
  EXPECT_THROW(DecodeTime(INFINITY), StdlibError);
  EXPECT_THROW(DayOfWeek(-1e20), StdlibError);
}

TEST(DateCalendar, DayOfWeekFromSunday) {
  EXPECT_EQ(DayOfWeek(0), 7);                       // Saturday 30.12.1899
  EXPECT_EQ(DayOfWeek(1), 1);                       // Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);  // Monday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5) + 0.9), 3);
  EXPECT_EQ(DayOfWeek(-1.25), 6);                   // Friday 29.12.1899
  EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);     // Monday
}

TEST(DateCalendar, IncMonthClampsTheDayAndKeepsTheTime) {
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 31), 1), EncodeDate(2023, 2, 28));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 15) + 0.75, 12), EncodeDate(2025, 1, 15) + 0.75);
  EXPECT_EQ(IncMonth(EncodeDate(2000, 5, 10), -25), EncodeDate(1998, 4, 10));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 12, 5), 1), EncodeDate(2025, 1, 5));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 5), 0), EncodeDate(2024, 1, 5));
  // 29.12.1899 06:00 -> 29.01.1900 06:00 (day 30 plus a quarter).
  EXPECT_EQ(IncMonth(-1.25, 1), 30.25);
  // 29.01.1900 06:00 -> 29.12.1899 06:00: the fraction follows the sign rule.
  EXPECT_EQ(IncMonth(30.25, -1), -1.25);
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), StdlibError);
  EXPECT_THROW(IncMonth(EncodeDate(1, 1, 1), -1), StdlibError);
  EXPECT_THROW(IncMonth(0, INT64_MAX), StdlibError);
}

TEST(DateYears, YearDays) {
  EXPECT_EQ(YearDays(EncodeDate(2024, 7, 1)), 366);
  EXPECT_EQ(YearDays(EncodeDate(2023, 7, 1)), 365);
  EXPECT_EQ(YearDays(EncodeDate(1900, 7, 1)), 365);
  EXPECT_EQ(YearDays(EncodeDate(2000, 7, 1)), 366);
}

TEST(DateYears, YearFracSharesEachYearByItsLength) {
  const double jul23 = EncodeDate(2023, 7, 1), jul24 = EncodeDate(2024, 7, 1);
  EXPECT_DOUBLE_EQ(YearFrac(jul23, jul24), 184.0 / 365 + 182.0 / 366);
  EXPECT_NE(YearFrac(jul23, jul24), 1.0);
  EXPECT_EQ(YearFrac(EncodeDate(2021, 7, 1), EncodeDate(2022, 7, 1)), 1.0);
  EXPECT_EQ(YearFrac(jul23, jul23), 0.0);
  EXPECT_EQ(YearFrac(jul24, jul23), YearFrac(jul23, jul24));
  EXPECT_DOUBLE_EQ(YearFrac(EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 1) + 0.5), 0.5 / 366);
  EXPECT_DOUBLE_EQ(YearFrac(EncodeDate(2020, 1, 1), EncodeDate(2023, 1, 1)), 3.0);
  // Across the epoch: 29.12.1899 06:00 to 31.12.1899 00:00 is 1.75 days.
  EXPECT_DOUBLE_EQ(YearFrac(-1.25, 1.0), 1.75 / 365);
}

}  // namespace
}  // namespace qel
