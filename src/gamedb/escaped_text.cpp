#include "gamedb/escaped_text.h"

namespace qel {

ByteString Utf16ToEscaped(std::u16string_view text) {
  ByteString out;
  out.reserve(text.size());
  for (char16_t u : text) {
    // Unit 1 would read back as the opening of a group: it travels as a group itself.
    if (u < 128 && u != static_cast<unsigned char>(kEscapeByte)) {
      out += static_cast<char>(u);
    } else {
      out += kEscapeByte;
      out += static_cast<char>(u & 0xFF);
      out += static_cast<char>(u >> 8);
    }
  }
  return out;
}

std::u16string EscapedToUtf16(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == kEscapeByte) {
      if (i + 2 >= text.size()) break;
      out += static_cast<char16_t>(static_cast<unsigned char>(text[i + 1]) |
                                   (static_cast<unsigned char>(text[i + 2]) << 8));
      i += 3;
    } else {
      out += static_cast<char16_t>(static_cast<unsigned char>(text[i]));
      ++i;
    }
  }
  return out;
}

size_t LastEscapedCharSize(std::string_view text) {
  if (text.empty()) return 0;
  return text.size() >= 3 && text[text.size() - 3] == kEscapeByte ? 3 : 1;
}

}  // namespace qel
