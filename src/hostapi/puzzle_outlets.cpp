#include "hostapi/puzzle_outlets.h"

#include <algorithm>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "gamedb/sound_cache.h"
#include "hostapi/random.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"

namespace qel {
namespace {

class RunningGameOutlets final : public PuzzleOutlets {
 public:
  void PlaySound(TQelElement& from, const ByteString& name) override {
    TQelDB* root = from.Root();
    SoundCache* sounds = from.runtime().services.sounds;
    if (!root || !sounds) return;
    ByteString file;
    int32_t volume = 0;
    root->LookupSound(name, file, volume);
    if (!file.empty()) sounds->PlaySound(file, volume);
  }

  void AddStar(TQelElement& from, const PuzzleStar& s) override {
    TQelDB* root = from.Root();
    if (!root) return;
    StarRecord star;
    star.pattern = s.pattern;
    star.layer = s.layer;
    star.effect = s.effect;
    star.angle = s.angle;
    star.x = s.x;
    star.y = s.y;
    star.scale = s.scale;
    star.angleStep = s.angleStep;
    star.scaleStep = s.scaleStep;
    star.xStep = s.xStep;
    star.yStep = s.yStep;
    // A random colour is drawn only when a star can be added, so seeded games repeat.
    uint32_t random = 0;
    if (s.colourText.empty() && root->Stars().FirstFree())
      random = NextRandom(root->runtime().script.RandSeed, 0xFFFFFF);
    root->AddStarRecord(star, s.colourText, random);
  }

  std::optional<PictureSize> PatternSize(const TQelImage& image) override {
    const TGfxImage* picture = image.Picture();
    if (!picture || picture->PatternCount <= 0) return std::nullopt;
    return PictureSize{picture->PatternWidth, picture->PatternHeight};
  }

  std::optional<uint32_t> PatternPixel(const TQelImage& image, int32_t x, int32_t y) override {
    const TGfxImage* picture = image.Picture();
    if (!picture || picture->PatternCount <= 0) return std::nullopt;
    if (x < 0 || y < 0 || x >= picture->PatternWidth || y >= picture->PatternHeight) return std::nullopt;
    return picture->GetPatternPixel(std::clamp(image.Anim, 0, picture->PatternCount - 1), x, y);
  }

  void FillTriangle(TQelElement& from, uint32_t argb, uint32_t effect, double x1, double y1, double x2, double y2,
                    double x3, double y3) override {
    TGfxCanvas* canvas = from.runtime().services.canvas;
    if (!canvas) return;
    if (!canvas->Antialias()) canvas->SetAntialias(true);
    canvas->FillTriangle(TColor4(argb), effect, x1, y1, x2, y2, x3, y3);
  }
};

}  // namespace

PuzzleOutlets& GameOutlets() {
  static RunningGameOutlets outlets;
  return outlets;
}

}  // namespace qel
