#pragma once
// The script function Format: the format text is scanned once; each
// specifier (from '%' to the first ASCII letter) is formatted with its own
// argument, in turn.
#include <span>

#include "base/var_list.h"
#include "hostapi/locale_settings.h"

namespace qel {

// A specifier that does not fit a non-String argument is retried with the
// argument truncated to a 64-bit integer; when that fails too, or the
// argument is a String, throws StdlibError. Specifiers without an argument
// left give nothing; one still open at the end is copied as it is.
// The arguments are the values of the records (their names are not used).
ByteString FormatScript(const ByteString& format, std::span<const TVar> args, const LocaleSettings& locale);

}  // namespace qel
