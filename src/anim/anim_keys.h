#pragma once
// Reading an animation's keys from the element tree into the plain form the
// frame table is built from.
#include <functional>
#include <optional>
#include <vector>

#include "anim/frame_table.h"

namespace qel {

class TQelAnim;
class TQelImage;

// The loaded picture of an image element, or nullopt when it has none.
using PictureLookup = std::function<std::optional<SpritePicture>(const TQelImage&)>;

// The keys of the animation in child order, each with its images in child
// order, positions taken relative to the animation's absolute position.
std::vector<AnimKey> GatherKeys(const TQelAnim& anim, const PictureLookup& pictureOf);

// The picture an image element holds in the image cache, if it is loaded.
std::optional<SpritePicture> CachedPicture(const TQelImage& image);

}  // namespace qel
