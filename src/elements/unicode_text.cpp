#include "elements/unicode_text.h"

#include "elements/qel_db.h"

// Language tables and the image cache come from the game-database library;
// a build without it has no unicode games.
#if __has_include("gamedb/lang_tables.h") && __has_include("gamedb/image_cache.h")
#include "gamedb/image_cache.h"
#include "gamedb/lang_tables.h"

namespace qel {

GlyphInfo LookupGlyph(TQelDB* root, char16_t code) {
  if (!root) return {};
  const GlyphTable& table = root->Texts().Glyphs();
  if (code >= table.entries.size()) return {};
  const GlyphEntry e = table.entries[code];
  return {true, e.index, e.advance};
}

const TGfxImage* GlyphPicture(Runtime& runtime) {
  ImageCache* cache = runtime.services.images;
  TQelIm* entry = cache ? cache->Find("UNICODE\\UNICODE.PNG") : nullptr;
  return entry ? cache->TextureOf(entry) : nullptr;
}

std::optional<std::string> UnicodeFontFile(TQelDB* root) {
  if (!root || !root->Texts().FontFile()) return std::nullopt;
  return root->Texts().FontFile()->string();
}

}  // namespace qel

#else

namespace qel {

GlyphInfo LookupGlyph(TQelDB*, char16_t) { return {}; }
const TGfxImage* GlyphPicture(Runtime&) { return nullptr; }
std::optional<std::string> UnicodeFontFile(TQelDB*) { return std::nullopt; }

}  // namespace qel

#endif
