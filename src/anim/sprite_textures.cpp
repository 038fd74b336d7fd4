#include "anim/sprite_textures.h"

#include "elements/kinds.h"
#include "gamedb/image_cache.h"

namespace qel {

const TGfxImage* SpriteTexture(Runtime& runtime, TQelIm* entry) {
  ImageCache* cache = runtime.services.images;
  return cache && entry ? cache->TextureOf(entry) : nullptr;
}

const TGfxImage* BackTexture(TQelAnim& anim) { return anim.Background.Texture(anim.runtime()); }

}  // namespace qel
