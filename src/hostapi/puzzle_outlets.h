#pragma once
// What the puzzle routines reach outside the element tree: sounds from the
// sound table, the root's stars, picture pixels and the canvas. The game's
// own outlets (GameOutlets) use the services of the running game and quietly
// do without the missing ones; tests give recording outlets instead.
#include <cstdint>
#include <optional>

#include "base/encoding.h"

namespace qel {

class TQelElement;
class TQelImage;

// One star as the routines add it; an empty colour text asks for a random colour.
struct PuzzleStar {
  int32_t pattern = 2;
  int32_t layer = 1000;
  int32_t effect = 260;
  double angle = 0, x = 0, y = 0, scale = 0;
  double angleStep = 0, scaleStep = 0, xStep = 0, yStep = 0;
  ByteString colourText;
};

struct PictureSize {
  int32_t width = 0, height = 0;
};

class PuzzleOutlets {
 public:
  virtual ~PuzzleOutlets() = default;
  // Plays the sound-table entry "Section.Key" of the element's game.
  virtual void PlaySound(TQelElement& from, const ByteString& name) = 0;
  virtual void AddStar(TQelElement& from, const PuzzleStar& star) = 0;
  // The size of one pattern of the image's picture, and a pixel ($AARRGGBB)
  // of its current pattern (Anim); nullopt without a picture or outside it.
  virtual std::optional<PictureSize> PatternSize(const TQelImage& image) = 0;
  virtual std::optional<uint32_t> PatternPixel(const TQelImage& image, int32_t x, int32_t y) = 0;
  // Filled triangles on the game's canvas, with antialiasing switched on.
  virtual void FillTriangle(TQelElement& from, uint32_t argb, uint32_t effect, double x1, double y1, double x2,
                            double y2, double x3, double y3) = 0;
};

// The outlets of a running game: its sound table, sound cache, stars,
// image cache and canvas, each skipped while the game has none.
PuzzleOutlets& GameOutlets();

}  // namespace qel
