#include "anim/sprite_textures.h"

namespace qel {

const TGfxImage* SpriteTexture(Runtime&, const TQelIm*) { return nullptr; }
const TGfxImage* BackTexture(const TQelAnim&) { return nullptr; }

}  // namespace qel
