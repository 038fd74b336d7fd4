#include "elements/picture_ref.h"

#include "elements/runtime.h"

// The image cache is a library of its own; a build without it keeps the
// names only and draws no pictures.
#if __has_include("gamedb/image_cache.h")
#include "gamedb/image_cache.h"
#define QEL_HAVE_IMAGE_CACHE 1
#else
#define QEL_HAVE_IMAGE_CACHE 0
#endif

namespace qel {

#if QEL_HAVE_IMAGE_CACHE

void PictureRef::Request(Runtime& runtime, std::string_view name) {
  ImageCache* cache = runtime.services.images;
  entry_ = cache ? cache->RequestImage(name, false) : nullptr;
  name_ = entry_ ? ByteString() : ByteString(name);
}

ByteString PictureRef::Name() const { return entry_ ? entry_->name : name_; }

const TGfxImage* PictureRef::Texture(Runtime& runtime) const {
  ImageCache* cache = runtime.services.images;
  return entry_ && cache ? cache->TextureOf(entry_) : nullptr;
}

const TGfxImage* PictureRef::Available(Runtime&) const { return entry_ ? entry_->texture : nullptr; }

// Asking again with loading switched on, the way the setter would.
void PictureRef::ForceLoad(Runtime& runtime) {
  ImageCache* cache = runtime.services.images;
  if (!cache || !entry_ || entry_->texture || entry_->failed) return;
  bool& immediate = runtime.shell.ImmediateImageLoad;
  const bool saved = immediate;
  immediate = true;
  entry_ = cache->RequestImage(entry_->name, false);
  immediate = saved;
}

#else

void PictureRef::Request(Runtime&, std::string_view name) { name_.assign(name); }
ByteString PictureRef::Name() const { return name_; }
const TGfxImage* PictureRef::Texture(Runtime&) const { return nullptr; }
const TGfxImage* PictureRef::Available(Runtime&) const { return nullptr; }
void PictureRef::ForceLoad(Runtime&) {}

#endif

bool PictureRef::HasEntry() const { return entry_ != nullptr; }

}  // namespace qel
