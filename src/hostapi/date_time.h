#pragma once
// Calendar arithmetic on date-time values: days since 30 December 1899, the
// time of day as the fraction. Before that day the whole part counts
// backwards while the fraction still counts forwards (-1.25 is 29 December
// 1899, 06:00), so a value splits into its truncated day and |fraction|.
#include <cstdint>

namespace qel {

struct CivilDate {
  int year = 0, month = 0, day = 0;
};

struct ClockTime {
  int hour = 0, minute = 0, second = 0, msec = 0;
};

// A date-time split into a day number and milliseconds of the day.
struct DaySplit {
  int64_t day = 0;
  int32_t msec = 0;
};

constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;
constexpr double kMinDateTime = -693593.0;  // 1 January 0001
constexpr double kMaxDateTime = 2958466.0;  // just past 31 December 9999
constexpr int64_t kMsecPerDay = 86400000;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int msec);

// Day number of a valid civil date; no range check.
int64_t DayNumber(const CivilDate& date);
CivilDate DateOfDay(int64_t day);

// Rounds to the millisecond before splitting, so 0.9999999999 is the next day.
// Throws StdlibError outside years 1..9999 or for non-finite values.
DaySplit SplitDateTime(double value);
// Day number and time of day back into one value, with the sign rule above.
double ComposeDateTime(int64_t day, int32_t msec);

// Throw StdlibError for invalid parts.
double EncodeDate(int year, int month, int day);
double EncodeTime(int hour, int minute, int second, int msec);
CivilDate DecodeDate(double value);
ClockTime DecodeTime(double value);

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(double value);
// Moves by whole months, clamping the day to the target month; keeps the time.
double IncMonth(double value, int64_t months);
int YearDays(double value);
// Years between two dates, counting each calendar year's share by its length.
double YearFrac(double a, double b);

}  // namespace qel
