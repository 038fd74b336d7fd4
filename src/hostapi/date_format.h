#pragma once
// Date-time values as text and back, in the patterns and names of a
// LocaleSettings object.
#include "base/encoding.h"
#include "hostapi/locale_settings.h"

namespace qel {

// Pattern letters (any case): d dd ddd dddd ddddd dddddd, m mm mmm mmmm
// (minutes right after an hour), yy yyyy, h hh, n nn, s ss, z zzz, t tt, c,
// am/pm a/p ampm; '/' and ':' are the locale's separators; text in single
// or double quotes is copied without the quotes. Throws StdlibError when the
// value is no date of years 1..9999.
ByteString FormatDateTime(const ByteString& pattern, double value, const LocaleSettings& locale);
ByteString DateToStr(double value, const LocaleSettings& locale);
ByteString TimeToStr(double value, const LocaleSettings& locale);

// Numbers in the order of the short date format, separated by the date
// separator; a missing year is currentYear, a two-digit year lies within 50
// years of it. Throws StdlibError for anything else.
double StrToDate(const ByteString& text, const LocaleSettings& locale, int currentYear);
// h:n[:s[.z]] with an optional AM/PM suffix. Throws StdlibError otherwise.
double StrToTime(const ByteString& text, const LocaleSettings& locale);

}  // namespace qel
