#pragma once
// Pascal-style format strings: literal text, "%%", and specifiers
// %[index:][-][width][.precision]type with the types d u e f g n m p s x in
// either case; index, width and precision may be '*' (taken from the
// arguments).
#include <optional>
#include <span>

#include "base/variant.h"
#include "hostapi/locale_settings.h"

namespace qel {

// nullopt when a specifier is malformed, refers to a missing argument or
// does not fit its argument's kind (d u x p want integers, e f g n m numbers,
// s takes anything).
std::optional<ByteString> FormatPascal(const ByteString& format, std::span<const Variant> args,
                                       const LocaleSettings& locale);

}  // namespace qel
