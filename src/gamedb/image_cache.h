#pragma once
// The image cache: every picture the game asks for by name, kept as a
// texture of the shell's texture list. Elements hold entries (TQelIm), never
// textures, and ask TextureOf() for the texture each time they draw.
//
// Pictures are found in the game directory, else in the resource archive;
// they load at once, or are deferred to the next screen switch and counted
// for the loading screen; they are unloaded when a screen switch leaves them
// unused, and trimmed oldest first when the decoded bytes pass MaxMem.
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "base/encoding.h"

namespace qel {

class GameDir;
class TGfxImage;
class TGfxImages;
class TResDb;

// One entry per distinct requested name; entries live as long as the cache.
struct TQelIm {
  int64_t lastUse = 0;           // FrameTick of the last texture lookup or load
  int64_t size = 0;              // bytes of the decoded picture, width × height × 4
  TGfxImage* texture = nullptr;  // owned by the texture list
  ByteString name;               // upper-cased, with the leading "*" if one was given
  int32_t requests = 0;          // since the last ResetImageRequests
  bool failed = false;           // missing or undecodable: never retried
  bool pinned = false;           // first requested as forced: never unloaded
};

// The running game's state the cache reads and counts into. Each pointer
// may be null (then: frame 0, switches off, no budget, counters not kept).
struct ImageCacheGame {
  const int64_t* frameTick = nullptr;
  const bool* immediateImageLoad = nullptr;
  const bool* loadingMode = nullptr;
  int32_t* imagesForLoadCount = nullptr;
  int32_t* imagesForLoadPos = nullptr;
  const int32_t* maxMem = nullptr;       // the database's MaxMem
  const bool* alwaysLoadIm = nullptr;    // the database's AlwaysLoadIm
  // The database's DoLoadImProcess: run after each texture loaded in loading
  // mode (the loading screen's progress script runs and a frame is shown).
  std::function<void()> loadImProcess;
};

// Binds the cache to a runtime's shell state and a database root (any types
// with those members), without this library knowing either.
template <class Shell, class Db>
ImageCacheGame ImageCacheGameOf(Shell& shell, Db& db, std::function<void()> loadImProcess = {}) {
  ImageCacheGame g;
  g.frameTick = &shell.FrameTick;
  g.immediateImageLoad = &shell.ImmediateImageLoad;
  g.loadingMode = &shell.LoadingMode;
  g.imagesForLoadCount = &shell.ImagesForLoadCount;
  g.imagesForLoadPos = &shell.ImagesForLoadPos;
  g.maxMem = &db.MaxMem;
  g.alwaysLoadIm = &db.AlwaysLoadIm;
  g.loadImProcess = std::move(loadImProcess);
  return g;
}

class ImageCache {
 public:
  // `dir` and `archive` may be null (no files, no archive). The texture list
  // must outlive the cache, which gives its textures back when it goes.
  ImageCache(TGfxImages& textures, GameDir* dir, TResDb* archive, ImageCacheGame game = {});
  ~ImageCache();
  ImageCache(const ImageCache&) = delete;
  ImageCache& operator=(const ImageCache&) = delete;

  void SetGame(ImageCacheGame game);
  void SetArchive(TResDb* archive) { archive_ = archive; }
  void SetDir(GameDir* dir) { dir_ = dir; }

  // The entry for the name, loading its texture when allowed (forced, or
  // ImmediateImageLoad). Never null.
  TQelIm* RequestImage(std::string_view name, bool forced);
  // Stamps the entry's last use; reloads it when the database says
  // AlwaysLoadIm. Null when the entry has no texture (or entry is null).
  TGfxImage* TextureOf(TQelIm* entry);
  void ResetImageRequests();
  void DropUnusedImages();
  void TrimImageMemory();
  // After the device was rebuilt: the total starts again from 0 and every
  // loaded texture is loaded again under its old last-use stamp.
  void ReloadTextures();

  int64_t TotalBytes() const { return total_; }
  size_t Count() const { return entries_.size(); }
  TQelIm* Entry(size_t index) const { return entries_[index].get(); }
  TQelIm* Find(std::string_view name) const;  // by upper-cased name, or null

 private:
  bool Load(TQelIm& entry, const ByteString& name, bool maskView);
  void Unload(TQelIm& entry);
  int64_t Now() const { return game_.frameTick ? *game_.frameTick : 0; }

  TGfxImages& textures_;
  GameDir* dir_;
  TResDb* archive_;
  ImageCacheGame game_;
  std::vector<std::unique_ptr<TQelIm>> entries_;
  int64_t total_ = 0;
};

}  // namespace qel
