#include "hostapi/date_format.h"

#include <cstdio>
#include <cstring>

#include "hostapi/date_time.h"
#include "hostapi/stdlib_error.h"
#include "script/string_limit.h"

namespace qel {
namespace {

char UpperAsciiChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool StartsWithNoCase(const ByteString& text, size_t at, const char* word) {
  const size_t n = std::strlen(word);
  if (at + n > text.size()) return false;
  for (size_t i = 0; i < n; ++i)
    if (UpperAsciiChar(text[at + i]) != word[i]) return false;
  return true;
}

void AppendNumber(ByteString& out, int value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", digits, value);
  out += buf;
}

// The fields of one value, decoded once.
struct Parts {
  double value;
  CivilDate date;
  ClockTime time;
  int weekday;  // 1 = Sunday
};

class DateWriter {
 public:
  DateWriter(const Parts& parts, const LocaleSettings& locale) : p_(parts), loc_(locale) {}

  void Write(ByteString& out, const ByteString& pattern, int depth) {
    // Nested patterns (ddddd, t, c) may name further ones; two levels are enough.
    if (depth > 2) return;
    char last = 0;
    size_t i = 0;
    while (i < pattern.size()) {
      const char c = pattern[i];
      const char token = UpperAsciiChar(c);
      if (c == '"' || c == '\'') {
        i = CopyQuoted(out, pattern, i);
      } else if (token == 'A') {
        i = WriteAmPm(out, pattern, i);
      } else if (token >= 'A' && token <= 'Z') {
        size_t count = 1;
        while (i + count < pattern.size() && UpperAsciiChar(pattern[i + count]) == token) ++count;
        const char field = token == 'M' && last == 'H' ? 'N' : token;
        WriteField(out, pattern, i, field, count, depth);
        last = field;
        i += count;
      } else {
        out += c == '/' ? loc_.DateSeparator : c == ':' ? loc_.TimeSeparator : c;
        ++i;
      }
    }
  }

 private:
  static size_t CopyQuoted(ByteString& out, const ByteString& pattern, size_t i) {
    const char quote = pattern[i++];
    while (i < pattern.size() && pattern[i] != quote) out += pattern[i++];
    return i < pattern.size() ? i + 1 : i;
  }

  size_t WriteAmPm(ByteString& out, const ByteString& pattern, size_t i) const {
    const bool pm = p_.time.hour >= 12;
    if (StartsWithNoCase(pattern, i, "AM/PM")) {
      out += pattern.substr(pm ? i + 3 : i, 2);
      return i + 5;
    }
    if (StartsWithNoCase(pattern, i, "A/P")) {
      out += pattern[pm ? i + 2 : i];
      return i + 3;
    }
    if (StartsWithNoCase(pattern, i, "AMPM")) {
      out += pm ? loc_.TimePMString : loc_.TimeAMString;
      return i + 4;
    }
    out += pattern[i];
    return i + 1;
  }

  // An hour is on the 12-hour clock when an am/pm marker follows it before
  // the next hour or any other 'a'.
  static bool TwelveHourAt(const ByteString& pattern, size_t i) {
    bool quoted = false;
    for (size_t k = i; k < pattern.size(); ++k) {
      const char t = UpperAsciiChar(pattern[k]);
      if (t == '"' || t == '\'') quoted = !quoted;
      if (quoted) continue;
      if (t == 'A')
        return StartsWithNoCase(pattern, k, "AM/PM") || StartsWithNoCase(pattern, k, "A/P") ||
               StartsWithNoCase(pattern, k, "AMPM");
      if (t == 'H') return false;
    }
    return false;
  }

  void WriteField(ByteString& out, const ByteString& pattern, size_t at, char field, size_t count, int depth) {
    const bool two = count >= 2;
    switch (field) {
      case 'Y': AppendNumber(out, count <= 2 ? p_.date.year % 100 : p_.date.year, count <= 2 ? 2 : 4); break;
      case 'M': WriteMonth(out, count); break;
      case 'D': WriteDay(out, count, depth); break;
      case 'H': WriteHour(out, TwelveHourAt(pattern, at + count), two); break;
      case 'N': AppendNumber(out, p_.time.minute, two ? 2 : 1); break;
      case 'S': AppendNumber(out, p_.time.second, two ? 2 : 1); break;
      case 'Z': AppendNumber(out, p_.time.msec, two ? 3 : 1); break;
      case 'T': Write(out, two ? loc_.LongTimeFormat : loc_.ShortTimeFormat, depth + 1); break;
      case 'C': WriteShortDateTime(out, depth); break;
      default: out += pattern.substr(at, count); break;
    }
  }

  void WriteMonth(ByteString& out, size_t count) const {
    if (count <= 2)
      AppendNumber(out, p_.date.month, static_cast<int>(count));
    else
      out += count == 3 ? loc_.ShortMonthNames[p_.date.month - 1] : loc_.LongMonthNames[p_.date.month - 1];
  }

  void WriteDay(ByteString& out, size_t count, int depth) {
    switch (count) {
      case 1: case 2: AppendNumber(out, p_.date.day, static_cast<int>(count)); break;
      case 3: out += loc_.ShortDayNames[p_.weekday - 1]; break;
      case 4: out += loc_.LongDayNames[p_.weekday - 1]; break;
      case 5: Write(out, loc_.ShortDateFormat, depth + 1); break;
      default: Write(out, loc_.LongDateFormat, depth + 1); break;
    }
  }

  void WriteHour(ByteString& out, bool twelve, bool two) const {
    int hour = p_.time.hour;
    if (twelve) hour = hour % 12 == 0 ? 12 : hour % 12;
    AppendNumber(out, hour, two ? 2 : 1);
  }

  void WriteShortDateTime(ByteString& out, int depth) {
    Write(out, loc_.ShortDateFormat, depth + 1);
    const ClockTime& t = p_.time;
    if (t.hour || t.minute || t.second || t.msec) {
      out += ' ';
      Write(out, loc_.LongTimeFormat, depth + 1);
    }
  }

  const Parts& p_;
  const LocaleSettings& loc_;
};

// A cursor over text being read as a date or time.
class Scanner {
 public:
  explicit Scanner(const ByteString& text) : s_(text) {}
  void SkipBlanks() {
    while (i_ < s_.size() && s_[i_] == ' ') ++i_;
  }
  // Reads up to 9 digits after blanks; digits receives how many were read.
  bool Number(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9' && digits < 9) value = value * 10 + (s_[i_++] - '0'), ++digits;
    return digits > 0;
  }
  bool Char(char c) {
    SkipBlanks();
    if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
    return false;
  }
  bool Word(const ByteString& word) {
    SkipBlanks();
    if (word.empty() || s_.size() - i_ < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
      if (UpperAsciiChar(s_[i_ + k]) != UpperAsciiChar(word[k])) return false;
    i_ += word.size();
    return true;
  }
  bool AtEnd() {
    SkipBlanks();
    return i_ >= s_.size();
  }

 private:
  const ByteString& s_;
  size_t i_ = 0;
};

// Which of day, month and year comes first in the short date format.
enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(const ByteString& pattern) {
  for (char c : pattern) {
    switch (UpperAsciiChar(c)) {
      case 'M': return DateOrder::MDY;
      case 'D': return DateOrder::DMY;
      case 'Y': return DateOrder::YMD;
      default: break;
    }
  }
  return DateOrder::DMY;
}

int WidenYear(int year, int digits, int currentYear) {
  if (year > 99 || digits > 2) return year;
  const int pivot = currentYear - 50;
  year += pivot / 100 * 100;
  return year < pivot ? year + 100 : year;
}

[[noreturn]] void ThrowNotA(const char* what, const ByteString& text) {
  throw StdlibError("'" + text + "' is not a valid " + what);
}

}  // namespace

ByteString FormatDateTime(const ByteString& pattern, double value, const LocaleSettings& locale) {
  const Parts parts{value, DecodeDate(value), DecodeTime(value), DayOfWeek(value)};
  ByteString out;
  DateWriter(parts, locale).Write(out, pattern, 0);
  // A pattern of long names grows a few times over; a script may not keep
  // feeding the result back in without end.
  if (out.size() > ScriptStringLimit()) throw StdlibError(StringTooLong(out.size()));
  return out;
}

ByteString DateToStr(double value, const LocaleSettings& locale) { return FormatDateTime("ddddd", value, locale); }

ByteString TimeToStr(double value, const LocaleSettings& locale) { return FormatDateTime("tt", value, locale); }

double StrToDate(const ByteString& text, const LocaleSettings& locale, int currentYear) {
  Scanner in(text);
  int n[3] = {0, 0, 0}, digits[3] = {0, 0, 0};
  if (!in.Number(n[0], digits[0]) || !in.Char(locale.DateSeparator) || !in.Number(n[1], digits[1]))
    ThrowNotA("date", text);
  int found = 2;
  if (in.Char(locale.DateSeparator)) {
    if (!in.Number(n[2], digits[2])) ThrowNotA("date", text);
    found = 3;
  }
  if (!in.AtEnd()) ThrowNotA("date", text);
  const DateOrder order = OrderOf(locale.ShortDateFormat);
  int y = currentYear, m = 0, d = 0, yearDigits = 4;
  if (found == 2) {
    if (order == DateOrder::DMY) d = n[0], m = n[1];
    else m = n[0], d = n[1];
  } else if (order == DateOrder::MDY) {
    m = n[0], d = n[1], y = n[2], yearDigits = digits[2];
  } else if (order == DateOrder::DMY) {
    d = n[0], m = n[1], y = n[2], yearDigits = digits[2];
  } else {
    y = n[0], m = n[1], d = n[2], yearDigits = digits[0];
  }
  y = WidenYear(y, yearDigits, currentYear);
  if (!IsValidDate(y, m, d)) ThrowNotA("date", text);
  return EncodeDate(y, m, d);
}

double StrToTime(const ByteString& text, const LocaleSettings& locale) {
  Scanner in(text);
  int h = 0, n = 0, s = 0, ms = 0, digits = 0;
  if (!in.Number(h, digits) || !in.Char(locale.TimeSeparator) || !in.Number(n, digits)) ThrowNotA("time", text);
  if (in.Char(locale.TimeSeparator)) {
    if (!in.Number(s, digits)) ThrowNotA("time", text);
    if (in.Char('.') && !in.Number(ms, digits)) ThrowNotA("time", text);
  }
  const bool pm = in.Word(locale.TimePMString) || in.Word("PM");
  const bool am = !pm && (in.Word(locale.TimeAMString) || in.Word("AM"));
  if (!in.AtEnd()) ThrowNotA("time", text);
  if (am || pm) {
    if (h < 1 || h > 12) ThrowNotA("time", text);
    h = h % 12 + (pm ? 12 : 0);
  }
  if (!IsValidTime(h, n, s, ms)) ThrowNotA("time", text);
  return EncodeTime(h, n, s, ms);
}

}  // namespace qel
