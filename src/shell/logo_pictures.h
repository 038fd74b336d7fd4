#pragma once
// The start-up logos' pictures and sounds, requested by name from the game
// directory ("logos\logo1.jpg", "logo1.mp3").
#include <filesystem>
#include <map>
#include <string>

#include "render/gfx_images.h"

namespace qel {

class LogoPictures {
 public:
  LogoPictures(TGfxImages& images, std::filesystem::path gameDir);
  // The texture of a picture (one pattern, a one-pixel border around it), or
  // nullptr when it is missing or cannot be decoded. Asked again, the same one.
  const TGfxImage* Request(const std::string& name);
  // Plays a sound at relative volume 100; missing sounds play nothing.
  void PlaySound(const std::string& name);

 private:
  TGfxImages& images_;
  std::filesystem::path dir_;
  std::map<std::string, const TGfxImage*> loaded_;
};

// Texture sides for a picture side: the side and its border, rounded up to even.
inline int TextureSideFor(int side) { return (side + 2 + 1) & ~1; }

}  // namespace qel
