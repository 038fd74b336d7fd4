#include "elements/picture_ref.h"

#include "elements/runtime.h"

namespace qel {

void PictureRef::Request(Runtime&, std::string_view name) { name_.assign(name); }

ByteString PictureRef::Name() const { return name_; }

bool PictureRef::HasEntry() const { return entry_ != nullptr; }

const TGfxImage* PictureRef::Texture(Runtime&) const { return nullptr; }

const TGfxImage* PictureRef::Available(Runtime&) const { return nullptr; }

void PictureRef::ForceLoad(Runtime&) {}

}  // namespace qel
