#pragma once
// Where the pictures of animations come from at draw time: the image cache
// hands out the texture of an entry, which may have been dropped since the
// frame table was built.
namespace qel {

class Runtime;
class TGfxImage;
class TQelAnim;
struct TQelIm;

const TGfxImage* SpriteTexture(Runtime& runtime, TQelIm* entry);
// The animation's background picture (ImBack), when it is loaded.
const TGfxImage* BackTexture(TQelAnim& anim);

}  // namespace qel
