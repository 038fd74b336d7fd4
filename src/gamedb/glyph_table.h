#pragma once
// The glyph list of a unicode game ("unicode\unicode.fnt"): the glyph count,
// one "HEX WIDTH" line per glyph of the glyph picture, then the font's face name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/encoding.h"

namespace qel {

struct GlyphEntry {
  uint16_t index = 0;   // pattern of the glyph picture
  uint8_t advance = 0;  // pixels; 0 for codes the picture lacks
};

struct GlyphTable {
  std::vector<GlyphEntry> entries;  // by UTF-16 code unit
  ByteString faceName;
  GlyphEntry At(char16_t code) const { return code < entries.size() ? entries[code] : GlyphEntry{}; }
};

// Lines that cannot be read are skipped (each named in problems); the glyph
// index of a line stays its position, so later glyphs keep their pictures.
GlyphTable ParseGlyphList(std::string_view text, std::vector<std::string>* problems = nullptr);

}  // namespace qel
