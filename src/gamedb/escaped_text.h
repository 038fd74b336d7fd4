#pragma once
// Escaped text: how texts travel through the 8-bit script world in unicode
// mode. Byte 1 opens a group (1, low byte, high byte) holding one UTF-16 code
// unit; every other byte is a character of its own.
#include <string>
#include <string_view>

#include "base/encoding.h"

namespace qel {

constexpr char kEscapeByte = 1;

// Units below 128 as one byte, all others (and unit 1, the escape byte) as a group.
ByteString Utf16ToEscaped(std::u16string_view text);
// A group cut short by the end of the text ends it; other bytes are units.
std::u16string EscapedToUtf16(std::string_view text);
// Bytes of the last character: 3 for a whole group at the end, else 1 (0 for "").
size_t LastEscapedCharSize(std::string_view text);

}  // namespace qel
