#include "elements/picture_ref.h"

#include "elements/runtime.h"
#include "gamedb/image_cache.h"

namespace qel {

void PictureRef::Request(Runtime& runtime, std::string_view name) {
  ImageCache* cache = runtime.services.images;
  entry_ = cache ? cache->RequestImage(name, false) : nullptr;
  name_ = entry_ ? ByteString() : ByteString(name);
}

// Without a cache (tools, tests) the name is kept as given.
ByteString PictureRef::Name() const { return entry_ ? entry_->name : name_; }

bool PictureRef::HasEntry() const { return entry_ != nullptr; }

const TGfxImage* PictureRef::Texture(Runtime& runtime) const {
  ImageCache* cache = runtime.services.images;
  return entry_ && cache ? cache->TextureOf(entry_) : nullptr;
}

const TGfxImage* PictureRef::Available(Runtime&) const { return entry_ ? entry_->texture : nullptr; }

// Asking again with loading switched on, the way writing the name back would.
void PictureRef::ForceLoad(Runtime& runtime) {
  ImageCache* cache = runtime.services.images;
  if (!cache || !entry_ || entry_->texture || entry_->failed) return;
  bool& immediate = runtime.shell.ImmediateImageLoad;
  const bool saved = immediate;
  immediate = true;
  entry_ = cache->RequestImage(entry_->name, false);
  immediate = saved;
}

}  // namespace qel
