#pragma once
// What texts of a unicode game draw with besides their bitmap font: the
// glyph picture with its glyph table, and the TrueType file of the unicode
// font, both from the game's language tables.
#include <optional>
#include <string>

namespace qel {

class Runtime;
class TGfxImage;
class TQelDB;

struct GlyphInfo {
  bool inTable = false;  // below the glyph table's length
  int index = 0;         // pattern of the glyph picture
  int advance = 0;       // pixels before scaling
};

GlyphInfo LookupGlyph(TQelDB* root, char16_t code);
// The glyph picture ("unicode\unicode.png") while it is loaded.
const TGfxImage* GlyphPicture(Runtime& runtime);
std::optional<std::string> UnicodeFontFile(TQelDB* root);

}  // namespace qel
