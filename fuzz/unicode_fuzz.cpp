// The unicode files of a game: the glyph list, and escaped text both ways.
#include "fuzz_support.h"
#include "gamedb/escaped_text.h"
#include "gamedb/glyph_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = qel::fuzz::AsView(data, size);
  std::vector<std::string> problems;
  qel::GlyphTable glyphs = qel::ParseGlyphList(input, &problems);
  if (glyphs.entries.size() > 0x10000) std::abort();
  std::u16string wide = qel::EscapedToUtf16(input);
  if (qel::EscapedToUtf16(qel::Utf16ToEscaped(wide)) != wide) std::abort();
  qel::LastEscapedCharSize(input);
  return 0;
}
