#include "elements/unicode_text.h"

#include "elements/qel_db.h"
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

// The picture stays loaded for the whole game: it is asked for as forced.
const TGfxImage* GlyphPicture(Runtime& runtime) {
  ImageCache* cache = runtime.services.images;
  if (!cache) return nullptr;
  TQelIm* entry = cache->Find("UNICODE\\UNICODE.PNG");
  if (!entry) entry = cache->RequestImage("unicode\\unicode.png", true);
  return cache->TextureOf(entry);
}

std::optional<std::string> UnicodeFontFile(TQelDB* root) {
  if (!root || !root->Texts().FontFile()) return std::nullopt;
  return root->Texts().FontFile()->string();
}

}  // namespace qel
