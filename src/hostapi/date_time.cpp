#include "hostapi/date_time.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "hostapi/stdlib_error.h"

namespace qel {
namespace {

// Days from 1 January 1970 to 30 December 1899 counted backwards.
constexpr int64_t kEpochShift = 25569;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1 January 1970 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

[[noreturn]] void ThrowDateEncode() { throw StdlibError("Invalid argument to date encode"); }

int64_t LinearMsec(double value) {
  DaySplit s = SplitDateTime(value);
  return s.day * kMsecPerDay + s.msec;
}

int64_t YearStartMsec(int year) { return DayNumber({year, 1, 1}) * kMsecPerDay; }

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= kMinYear && year <= kMaxYear && day >= 1 && day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int msec) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 && msec >= 0 &&
         msec < 1000;
}

int64_t DayNumber(const CivilDate& date) { return DaysFromCivil(date.year, date.month, date.day) + kEpochShift; }

CivilDate DateOfDay(int64_t day) { return CivilFromDays(day - kEpochShift); }

DaySplit SplitDateTime(double value) {
  if (!std::isfinite(value) || value <= kMinDateTime - 1 || value >= kMaxDateTime)
    throw StdlibError("Date value out of range");
  const auto total = static_cast<int64_t>(std::round(value * static_cast<double>(kMsecPerDay)));
  DaySplit s{total / kMsecPerDay, static_cast<int32_t>(std::llabs(total) % kMsecPerDay)};
  if (s.day < static_cast<int64_t>(kMinDateTime) || s.day >= static_cast<int64_t>(kMaxDateTime))
    throw StdlibError("Date value out of range");
  return s;
}

double ComposeDateTime(int64_t day, int32_t msec) {
  const double fraction = static_cast<double>(msec) / static_cast<double>(kMsecPerDay);
  const auto whole = static_cast<double>(day);
  return day >= 0 ? whole + fraction : whole - fraction;
}

double EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) ThrowDateEncode();
  return static_cast<double>(DayNumber({year, month, day}));
}

double EncodeTime(int hour, int minute, int second, int msec) {
  if (!IsValidTime(hour, minute, second, msec)) throw StdlibError("Invalid argument to time encode");
  const int64_t ms = ((hour * 60 + minute) * 60 + second) * 1000 + msec;
  return static_cast<double>(ms) / static_cast<double>(kMsecPerDay);
}

CivilDate DecodeDate(double value) { return DateOfDay(SplitDateTime(value).day); }

ClockTime DecodeTime(double value) {
  int32_t ms = SplitDateTime(value).msec;
  ClockTime t;
  t.msec = ms % 1000;
  ms /= 1000;
  t.second = ms % 60;
  ms /= 60;
  t.minute = ms % 60;
  t.hour = ms / 60;
  return t;
}

int DayOfWeek(double value) {
  // Day 0 was a Saturday.
  const int64_t day = SplitDateTime(value).day;
  return static_cast<int>(((day % 7) + 13) % 7) + 1;
}

double IncMonth(double value, int64_t months) {
  const DaySplit s = SplitDateTime(value);
  const CivilDate d = DateOfDay(s.day);
  // Beyond this the target year is out of range anyway; clamping keeps the sum exact.
  months = std::clamp<int64_t>(months, -200000, 200000);
  const int64_t index = int64_t{d.year} * 12 + (d.month - 1) + months;
  const int64_t year = FloorDiv(index, 12);
  const int month = static_cast<int>(index - year * 12) + 1;
  if (year < kMinYear || year > kMaxYear) ThrowDateEncode();
  const int y = static_cast<int>(year);
  const int day = std::min(d.day, DaysInMonth(y, month));
  return ComposeDateTime(DayNumber({y, month, day}), s.msec);
}

int YearDays(double value) { return IsLeapYear(DecodeDate(value).year) ? 366 : 365; }

double YearFrac(double a, double b) {
  int64_t from = LinearMsec(a), to = LinearMsec(b);
  if (from > to) std::swap(from, to);
  const int first = DateOfDay(FloorDiv(from, kMsecPerDay)).year;
  const int last = DateOfDay(FloorDiv(to, kMsecPerDay)).year;
  // Sum the shares per year length in whole milliseconds, so that a span of
  // whole common years divides to exactly 1.
  int64_t common = 0, leap = 0;
  for (int y = first; y <= last; ++y) {
    const int64_t start = std::max(from, YearStartMsec(y));
    const int64_t end = std::min(to, YearStartMsec(y + 1));
    if (end > start) (IsLeapYear(y) ? leap : common) += end - start;
  }
  const auto day = static_cast<double>(kMsecPerDay);
  return static_cast<double>(common) / (365 * day) + static_cast<double>(leap) / (366 * day);
}

}  // namespace qel
