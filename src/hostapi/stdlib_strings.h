#pragma once
// String functions of the script library. Positions are 1-based; every
// position and count is clamped to the text, so no input reads past its end.
#include <cstdint>
#include <optional>

#include "base/encoding.h"

namespace qel {

// In unicode mode a byte 1 opens a three-byte unit (one escaped UTF-16 code
// unit) that counts as one character; a unit cut short by the end of the
// text still counts as one.
int64_t TextLength(const ByteString& s, bool unicodeMode);
ByteString DelLastChar(const ByteString& s, bool unicodeMode);

ByteString CopyText(const ByteString& s, int64_t index, int64_t count);
// Position of the first occurrence, 0 when none or sub is empty.
int64_t Poss(const ByteString& sub, const ByteString& s);
ByteString InsertText(const ByteString& source, const ByteString& s, int64_t index);
ByteString DeleteText(const ByteString& s, int64_t index, int64_t count);

// Remove characters with codes 0..32.
ByteString Trim(const ByteString& s);
ByteString TrimLeft(const ByteString& s);
ByteString TrimRight(const ByteString& s);

ByteString CharOf(int32_t code);
ByteString IntToStr(int64_t value);
// Leading blanks, sign, decimal digits or '$'/"0x" hex, 32-bit range; else 0.
int32_t StrToInt(const ByteString& s);
// The trimmed text as a decimal number with '.'; nullopt otherwise.
std::optional<double> StrToFloat(const ByteString& s);

struct ValResult {
  double value = 0;  // 0 when code is not 0
  int32_t code = 0;  // 1-based position of the first offending character
};
// Leading blanks are skipped, trailing ones are offending characters.
ValResult Val(const ByteString& s);

}  // namespace qel
