#pragma once
// The longest string a script may build. Game texts run to a few kilobytes,
// but a script that doubles a string in a loop would take all memory within
// some thirty rounds. 256 MiB is far beyond any text a game needs, while the
// few strings of that size an operation holds at once (the operands, the
// result, the variable it goes to) still fit a desktop's memory.
#include <cstddef>

#include "base/encoding.h"

namespace qel {

constexpr size_t kMaxScriptString = size_t{256} << 20;

// The limit in force: kMaxScriptString unless a test lowered it, so that it
// need not build strings of hundreds of megabytes.
size_t ScriptStringLimit();
// 0 restores kMaxScriptString.
void SetScriptStringLimit(size_t limit);

// Whether a text of length a followed by one of length b stays within it.
inline bool StringFits(size_t a, size_t b) {
  const size_t limit = ScriptStringLimit();
  return a <= limit && b <= limit - a;
}

// The error text for a string of length a + b, too long to build.
ByteString StringTooLong(size_t a, size_t b = 0);

}  // namespace qel
