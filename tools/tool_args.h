#pragma once
// Argument parsing shared by the command-line tools.
#include <cstdlib>

namespace qel {

// A whole argument as an integer (decimal, 0x hexadecimal or 0 octal); false
// when anything else is in it.
inline bool ParseIntArg(const char* s, long& out) {
  char* end = nullptr;
  out = std::strtol(s, &end, 0);
  return end && *end == '\0' && end != s;
}

}  // namespace qel
