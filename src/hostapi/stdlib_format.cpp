#include "hostapi/stdlib_format.h"

#include "hostapi/number_args.h"
#include "hostapi/pascal_format.h"
#include "hostapi/stdlib_error.h"
#include "script/string_limit.h"

namespace qel {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

ByteString FormatOne(const ByteString& pattern, const Variant& arg, const LocaleSettings& locale) {
  if (auto text = FormatPascal(pattern, std::span(&arg, 1), locale)) return *text;
  if (!arg.IsString()) {
    const Variant whole = Variant::Int64(TruncatedArg(arg));
    if (auto text = FormatPascal(pattern, std::span(&whole, 1), locale)) return *text;
  }
  throw StdlibError("Format '" + pattern + "' invalid or incompatible with argument");
}

}  // namespace

ByteString FormatScript(const ByteString& format, std::span<const TVar> args, const LocaleSettings& locale) {
  ByteString out, pattern;
  bool open = false;
  size_t next = 0;
  for (char c : format) {
    if (!open) {
      if (c == '%') {
        open = true;
        pattern.assign(1, '%');
      } else {
        out += c;
      }
      continue;
    }
    pattern += c;
    if (!IsAsciiLetter(c)) continue;
    open = false;
    if (next < args.size()) {
      const ByteString field = FormatOne(pattern, args[next++].Value, locale);
      if (!StringFits(out.size(), field.size())) throw StdlibError(StringTooLong(out.size(), field.size()));
      out += field;
    }
  }
  if (open) out += pattern;
  if (out.size() > ScriptStringLimit()) throw StdlibError(StringTooLong(out.size()));
  return out;
}

}  // namespace qel
