#pragma once
// What an element keeps for a picture it names: the image-cache entry. The
// texture is asked of the cache at every use, never kept.
#include <string_view>

#include "base/encoding.h"

namespace qel {

class Runtime;
class TGfxImage;
struct TQelIm;

class PictureRef {
 public:
  // Fetches the entry for the name without forcing a load.
  void Request(Runtime& runtime, std::string_view name);
  // The entry's name (upper-cased by the cache), or the name as given while
  // there is no cache; empty without a name.
  ByteString Name() const;
  bool HasEntry() const;
  // The cache entry itself (animation frames keep it per sprite).
  TQelIm* Entry() const { return entry_; }
  // The texture for drawing: the cache stamps the use and may reload it.
  const TGfxImage* Texture(Runtime& runtime) const;
  // The texture as it is, without stamping (sizes, hit tests).
  const TGfxImage* Available(Runtime& runtime) const;
  // Loads the picture now if it is not there and has not failed before.
  void ForceLoad(Runtime& runtime);

 private:
  TQelIm* entry_ = nullptr;
  ByteString name_;
};

}  // namespace qel
