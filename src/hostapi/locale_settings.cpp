#include "hostapi/locale_settings.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>

namespace qel {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Owns a locale_t for the few calls that read it.
struct LocaleHandle {
  locale_t loc;
  explicit LocaleHandle(const char* name) : loc(newlocale(LC_TIME_MASK | LC_CTYPE_MASK, name, locale_t{})) {}
  ~LocaleHandle() {
    if (loc) freelocale(loc);
  }
  LocaleHandle(const LocaleHandle&) = delete;
  LocaleHandle& operator=(const LocaleHandle&) = delete;
};

std::string ConvertToUtf8(const char* text, const char* codeset) {
  iconv_t cd = iconv_open("UTF-8", codeset);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in(text), out(in.size() * 4 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t srcLeft = in.size(), dstLeft = out.size();
  const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return {};
  out.resize(out.size() - dstLeft);
  return out;
}

// Locale text in Windows-1251; characters it cannot hold become '?'.
class LocaleText {
 public:
  explicit LocaleText(locale_t loc) : loc_(loc), codeset_(nl_langinfo_l(CODESET, loc)) {}
  ByteString Get(nl_item item) const {
    const char* raw = nl_langinfo_l(item, loc_);
    if (!raw) return {};
    const bool utf8 = strcasecmp(codeset_, "UTF-8") == 0 || strcasecmp(codeset_, "UTF8") == 0;
    return Utf8ToCp1251(utf8 ? std::string(raw) : ConvertToUtf8(raw, codeset_));
  }
  void Fill(ByteString& field, nl_item item) const {
    ByteString value = Get(item);
    if (!value.empty()) field = value;
  }

 private:
  locale_t loc_;
  const char* codeset_;
};

const char* StrftimeExpansion(char conversion) {
  switch (conversion) {
    case 'D': return "%m/%d/%y";
    case 'F': return "%Y-%m-%d";
    case 'T': return "%H:%M:%S";
    case 'R': return "%H:%M";
    case 'r': return "%I:%M:%S %p";
    default: return nullptr;
  }
}

const char* PatternOfConversion(char conversion) {
  switch (conversion) {
    case 'd': return "dd";
    case 'e': return "d";
    case 'm': return "mm";
    case 'b': case 'h': return "mmm";
    case 'B': return "mmmm";
    case 'a': return "ddd";
    case 'A': return "dddd";
    case 'y': return "yy";
    case 'Y': case 'C': case 'G': return "yyyy";
    case 'H': case 'I': return "hh";
    case 'k': case 'l': return "h";
    case 'M': return "nn";
    case 'S': return "ss";
    case 'p': case 'P': return "ampm";
    case 'n': case 't': return " ";
    case '%': return "%";
    default: return "";
  }
}

void AppendLiteral(ByteString& out, char c) {
  if (IsAsciiLetter(c)) {
    out += '"';
    out += c;
    out += '"';
  } else {
    out += c;
  }
}

void AppendPattern(ByteString& out, const ByteString& format, int depth) {
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      AppendLiteral(out, format[i]);
      continue;
    }
    // Flags, widths and the E/O modifiers do not change which field is meant.
    ++i;
    while (i < format.size() && std::strchr("-_0^#EO123456789", format[i])) ++i;
    if (i >= format.size()) break;
    const char* expansion = StrftimeExpansion(format[i]);
    if (expansion && depth < 2)
      AppendPattern(out, expansion, depth + 1);
    else
      out += PatternOfConversion(format[i]);
  }
}

ByteString WithoutSeconds(ByteString pattern, char separator) {
  const ByteString seconds = ByteString(1, separator) + "ss";
  const size_t at = pattern.find(seconds);
  if (at != ByteString::npos) pattern.erase(at, seconds.size());
  return pattern;
}

void FillNames(LocaleSettings& s, const LocaleText& text) {
  for (int i = 0; i < 12; ++i) {
    text.Fill(s.LongMonthNames[i], MON_1 + i);
    text.Fill(s.ShortMonthNames[i], ABMON_1 + i);
#ifdef ALTMON_1
    // Prefer the nominative form: the plain names are genitive in some languages.
    text.Fill(s.LongMonthNames[i], ALTMON_1 + i);
    text.Fill(s.ShortMonthNames[i], _NL_ABALTMON_1 + i);
#endif
  }
  for (int i = 0; i < 7; ++i) {
    text.Fill(s.LongDayNames[i], DAY_1 + i);
    text.Fill(s.ShortDayNames[i], ABDAY_1 + i);
  }
}

bool NamesNoLocale(const char* name) {
  return !name || !*name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
         std::strncmp(name, "C.", 2) == 0;
}

}  // namespace

ByteString PatternFromStrftime(const ByteString& format) {
  ByteString out;
  AppendPattern(out, format, 0);
  return out;
}

char SeparatorOf(const ByteString& pattern, char fallback) {
  for (char c : pattern)
    if (!IsAsciiLetter(c) && c != '"' && c != '\'' && c != ' ' && !(c >= '0' && c <= '9')) return c;
  return fallback;
}

LocaleSettings LocaleByName(const char* name) {
  LocaleSettings s;
  if (NamesNoLocale(name)) return s;
  LocaleHandle handle(name);
  if (!handle.loc) return s;
  const LocaleText text(handle.loc);
  const ByteString date = PatternFromStrftime(text.Get(D_FMT));
  if (!date.empty()) {
    s.ShortDateFormat = date;
    s.DateSeparator = SeparatorOf(date, s.DateSeparator);
  }
  const ByteString time = PatternFromStrftime(text.Get(T_FMT));
  if (!time.empty()) {
    s.LongTimeFormat = time;
    s.TimeSeparator = SeparatorOf(time, s.TimeSeparator);
    s.ShortTimeFormat = WithoutSeconds(time, s.TimeSeparator);
  }
  text.Fill(s.TimeAMString, AM_STR);
  text.Fill(s.TimePMString, PM_STR);
  FillNames(s, text);
  return s;
}

LocaleSettings LocaleFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LocaleByName(value);
  }
  return LocaleSettings{};
}

}  // namespace qel
