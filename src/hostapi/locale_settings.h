#pragma once
// Date and time formats, separators and month and day names used by the
// date functions. One object, filled once at start-up from the process
// locale when it names one, else from fixed defaults; tests build their own.
#include <array>

#include "base/encoding.h"

namespace qel {

struct LocaleSettings {
  char DateSeparator = '.';
  char TimeSeparator = ':';
  ByteString ShortDateFormat = "dd.mm.yyyy";
  ByteString LongDateFormat = "d mmmm yyyy";
  ByteString ShortTimeFormat = "hh:nn";
  ByteString LongTimeFormat = "hh:nn:ss";
  ByteString TimeAMString = "AM";
  ByteString TimePMString = "PM";
  std::array<ByteString, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<ByteString, 12> LongMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
  // Index 0 is Sunday.
  std::array<ByteString, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<ByteString, 7> LongDayNames{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  ByteString CurrencyString = "$";
  int CurrencyDecimals = 2;
};

// The settings of the locale named by LC_ALL, LC_TIME or LANG (the first one
// set); the defaults above when none is set, the name is C or POSIX, or the
// locale is not installed.
LocaleSettings LocaleFromEnvironment();
// The settings of one named locale; the defaults when it cannot be loaded.
LocaleSettings LocaleByName(const char* name);

// A C date or time format ("%d.%m.%Y", "%I:%M:%S %p") as a date pattern
// ("dd.mm.yyyy", "hh:nn:ss ampm"); literal letters are quoted.
ByteString PatternFromStrftime(const ByteString& format);
// The first character of a pattern that is not a letter, quote or blank,
// or fallback when there is none.
char SeparatorOf(const ByteString& pattern, char fallback);

}  // namespace qel
