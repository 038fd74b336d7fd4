#pragma once
// The script function Format: the format text is scanned once; each
// specifier (from '%' to the first ASCII letter) is formatted with its own
// argument, in turn.
#include <span>

#include "base/variant.h"
#include "hostapi/locale_settings.h"

namespace qel {

// A specifier that does not fit a non-String argument is retried with the
// argument truncated to a 64-bit integer; when that fails too, or the
// argument is a String, throws StdlibError. Specifiers without an argument
// left give nothing; one still open at the end is copied as it is.
ByteString FormatScript(const ByteString& format, std::span<const Variant> args, const LocaleSettings& locale);

}  // namespace qel
