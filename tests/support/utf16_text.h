#pragma once
// Wide text files as a Windows editor writes them.
#include <string>

namespace qel::test {

// UTF-16 little-endian bytes of a text, optionally with a byte-order mark.
inline std::string Utf16LeBytes(const std::u16string& text, bool mark) {
  std::string out = mark ? "\xFF\xFE" : "";
  for (char16_t u : text) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

}  // namespace qel::test
