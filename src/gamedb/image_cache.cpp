#include "gamedb/image_cache.h"

#include <algorithm>

#include "base/game_paths.h"
#include "gamedb/picture_source.h"
#include "render/gfx_images.h"
#include "render/res_db.h"

namespace qel {

ImageCache::ImageCache(TGfxImages& textures, GameDir* dir, TResDb* archive, ImageCacheGame game)
    : textures_(textures), dir_(dir), archive_(archive), game_(std::move(game)) {}

ImageCache::~ImageCache() {
  for (auto& e : entries_)
    if (e->texture) textures_.Remove(e->texture);
}

void ImageCache::SetGame(ImageCacheGame game) { game_ = std::move(game); }

TQelIm* ImageCache::Find(std::string_view name) const {
  for (const auto& e : entries_)
    if (e->name == name) return e.get();
  return nullptr;
}

TQelIm* ImageCache::RequestImage(std::string_view name, bool forced) {
  const ByteString key = UpperCase(ByteString(name));
  TQelIm* entry = Find(key);
  if (!entry) {
    entries_.push_back(std::make_unique<TQelIm>());
    entry = entries_.back().get();
    entry->name = key;
    entry->pinned = forced;
  }
  const bool maskView = !key.empty() && key[0] == '*';
  entry->requests += 1;
  if (entry->texture || entry->failed) return entry;
  const bool immediate = game_.immediateImageLoad && *game_.immediateImageLoad;
  if (!immediate && !forced) {
    // Deferred to the next screen switch; counted once for its progress bar.
    if (entry->requests == 1 && game_.imagesForLoadCount) *game_.imagesForLoadCount += 1;
    return entry;
  }
  if (game_.imagesForLoadPos) *game_.imagesForLoadPos += 1;
  if (!Load(*entry, maskView ? key.substr(1) : key, maskView)) return entry;
  const int32_t maxMem = game_.maxMem ? *game_.maxMem : 0;
  if (maxMem > 25'000'000 && static_cast<double>(total_) / maxMem > 1.1) TrimImageMemory();
  if (game_.loadingMode && *game_.loadingMode && game_.loadImProcess) game_.loadImProcess();
  return entry;
}

bool ImageCache::Load(TQelIm& entry, const ByteString& name, bool maskView) {
  PictureSources sources(dir_, archive_);
  LoadedPicture picture;
  if (!sources.Load(name, maskView, picture)) {
    entry.failed = true;
    return false;
  }
  TGfxImage* texture = textures_.Add();
  const int pw = picture.bitmap.width / picture.columns, ph = picture.bitmap.height / picture.rows;
  texture->Name = entry.name;
  texture->SetPatternSize(pw, ph);
  texture->SetVisibleSize(pw, ph);
  texture->SetTextureSize((pw + 2 + 1) & ~1, (ph + 2 + 1) & ~1);
  texture->PatternCount = picture.columns * picture.rows;
  texture->Quality = TGfxQuality::aqHigh;
  texture->AlphaLevel = TAlphaLevel::alFull;
  if (pw <= 0 || ph <= 0 || !texture->UploadFromBitmap(picture.bitmap)) {
    textures_.Remove(texture);
    entry.failed = true;
    return false;
  }
  entry.texture = texture;
  entry.size = static_cast<int64_t>(picture.bitmap.width) * picture.bitmap.height * 4;
  total_ += entry.size;
  entry.lastUse = Now();
  return true;
}

void ImageCache::Unload(TQelIm& entry) {
  if (!entry.texture) return;
  textures_.Remove(entry.texture);
  entry.texture = nullptr;
  total_ -= entry.size;
}

TGfxImage* ImageCache::TextureOf(TQelIm* entry) {
  if (!entry) return nullptr;
  if (game_.alwaysLoadIm && *game_.alwaysLoadIm && !entry->texture && !entry->failed)
    RequestImage(entry->name, entry->pinned);
  entry->lastUse = Now();
  return entry->texture;
}

void ImageCache::ResetImageRequests() {
  for (auto& e : entries_) e->requests = 0;
}

void ImageCache::DropUnusedImages() {
  for (auto& e : entries_)
    if (e->texture && e->requests == 0 && !e->pinned) Unload(*e);
}

void ImageCache::TrimImageMemory() {
  const int32_t maxMem = game_.maxMem ? *game_.maxMem : 0;
  for (;;) {
    int64_t oldest = Now() + 1, sum = 0;
    bool any = false;
    for (auto& e : entries_)
      if (e->texture && !e->pinned) {
        oldest = std::min(oldest, e->lastUse);
        sum += e->size;
        any = true;
      }
    if (!any) return;
    for (auto& e : entries_) {
      if (!e->texture || e->pinned || e->lastUse != oldest) continue;
      Unload(*e);
      sum -= e->size;
      if (maxMem >= 0 && sum < maxMem) return;
    }
  }
}

void ImageCache::ReloadTextures() {
  total_ = 0;
  for (auto& e : entries_) {
    if (!e->texture) continue;
    const int64_t lastUse = e->lastUse;
    textures_.Remove(e->texture);
    e->texture = nullptr;
    const bool maskView = e->name[0] == '*';
    Load(*e, maskView ? e->name.substr(1) : e->name, maskView);
    e->lastUse = lastUse;
  }
}

}  // namespace qel
