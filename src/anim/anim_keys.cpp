#include "anim/anim_keys.h"

#include "elements/kinds.h"
#include "render/gfx_images.h"

namespace qel {

std::vector<AnimKey> GatherKeys(const TQelAnim& anim, const PictureLookup& pictureOf) {
  std::vector<AnimKey> keys;
  const int64_t ax = anim.GetAbsX(), ay = anim.GetAbsY();
  for (const auto& child : anim.Children()) {
    if (!child->IsClass("TQelAnKey")) continue;
    const auto& k = static_cast<const TQelAnKey&>(*child);
    AnimKey key;
    key.count = k.Count;
    key.morph = k.Morph;
    for (const auto& c : k.Children()) {
      if (!c->IsClass("TQelImage")) continue;
      const auto& img = static_cast<const TQelImage&>(*c);
      KeySprite s;
      s.id = img.Id();
      s.picture = pictureOf(img);
      s.x = static_cast<double>(img.GetAbsX() - ax);
      s.y = static_cast<double>(img.GetAbsY() - ay);
      s.scale = img.ScaleMilli / 1000.0;
      s.angle = img.AngleMilli / 1000.0;
      s.scaleX = img.ScaleX;
      s.scaleY = img.ScaleY;
      s.color = img.Color;
      s.drawFx = img.hxDrawFx;
      s.anim = img.Anim;
      s.interpol = img.Interpol;
      s.interpolSc = img.InterpolSc;
      key.sprites.push_back(std::move(s));
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

std::optional<SpritePicture> CachedPicture(const TQelImage& image) {
  const TGfxImage* texture = image.Image.Available(image.runtime());
  if (!texture) return std::nullopt;
  return SpritePicture{image.Image.Entry(), texture->PatternWidth, texture->PatternHeight};
}

}  // namespace qel
