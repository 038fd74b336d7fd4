#include "shell/logo_pictures.h"

#include <algorithm>

namespace qel {

LogoPictures::LogoPictures(TGfxImages& images, std::filesystem::path gameDir)
    : images_(images), dir_(std::move(gameDir)) {}

const TGfxImage* LogoPictures::Request(const std::string& name) {
  if (auto it = loaded_.find(name); it != loaded_.end()) return it->second;
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  TBitmap32 bmp;
  TGfxImage* image = nullptr;
  if (LoadPictureFile((dir_ / relative).string(), bmp)) {
    image = images_.Add();
    image->Name = name;
    image->SetPatternSize(bmp.width, bmp.height);
    image->SetVisibleSize(bmp.width, bmp.height);
    image->SetTextureSize(TextureSideFor(bmp.width), TextureSideFor(bmp.height));
    image->PatternCount = 1;
    if (!image->UploadFromBitmap(bmp)) {
      images_.Remove(image);
      image = nullptr;
    }
  }
  loaded_[name] = image;
  return image;
}

void LogoPictures::PlaySound(const std::string&) {}

}  // namespace qel
