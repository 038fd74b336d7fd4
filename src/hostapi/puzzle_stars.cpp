// Star emitters over an image's picture: sparks rising from the upper edge
// of its opaque part, and stars covering it on a grid.
#include <optional>
#include <string>

#include "elements/kinds.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

constexpr uint32_t kOpaqueEnough = 100;

struct Picture {
  TQelImage& image;
  PuzzleOutlets& outlets;
  PictureSize size;

  uint32_t Alpha(int32_t x, int32_t y) const { return outlets.PatternPixel(image, x, y).value_or(0) >> 24; }
};

std::optional<Picture> PictureOf(TQelImage& image, PuzzleOutlets& outlets) {
  auto size = outlets.PatternSize(image);
  if (!size || size->width <= 0 || size->height <= 0) return std::nullopt;
  return Picture{image, outlets, *size};
}

// Every star turns at a random angle and speed; the scale starts at base
// plus up to 0.49.
void AddStar(Picture& p, int32_t px, int32_t py, double baseScale, double scaleStep, double yStep,
             ByteString colourText) {
  TQelImage& image = p.image;
  PuzzleStar star;
  star.x = static_cast<double>(image.GetAbsX()) + px;
  star.y = static_cast<double>(image.GetAbsY()) + py;
  star.angle = RandomBelow(image, 360);
  star.angleStep = RandomBelow(image, 10) - 5;
  star.scale = baseScale + RandomBelow(image, 50) / 100.0;
  star.scaleStep = scaleStep;
  star.yStep = yStep;
  star.colourText = std::move(colourText);
  p.outlets.AddStar(image, star);
}

void AddRisingStar(Picture& p, int32_t px, int32_t py) { AddStar(p, px, py, 0.5, -0.02, -1, ""); }

}  // namespace

void SparkRiseEdge(TQelImage& image, PuzzleOutlets& outlets) {
  auto p = PictureOf(image, outlets);
  if (!p) return;
  const int32_t px = RandomBelow(image, p->size.width);
  const int32_t last = p->size.height - 1;
  int32_t y = 0;
  while (y < last && p->Alpha(px, y) <= kOpaqueEnough) ++y;
  if (y >= last) return;
  ++y;
  while (y < last && p->Alpha(px, y) >= kOpaqueEnough) ++y;
  if (y >= last) return;
  AddRisingStar(*p, px, y);
}

void SparkRiseTop(TQelImage& image, PuzzleOutlets& outlets) {
  auto p = PictureOf(image, outlets);
  if (!p) return;
  const int32_t px = RandomBelow(image, p->size.width);
  for (int32_t y = 0; y < p->size.height; ++y)
    if (p->Alpha(px, y) == 255) {
      AddRisingStar(*p, px, y);
      return;
    }
}

void SparkCover(TQelImage& image, int32_t grid, PuzzleOutlets& outlets) {
  auto p = PictureOf(image, outlets);
  if (!p || grid <= 0) return;
  const double baseScale = grid >= 10 ? 1.5 : 0.5;
  for (int32_t y = 0; y < p->size.height; y += grid)
    for (int32_t x = 0; x < p->size.width; x += grid) {
      const uint32_t pixel = outlets.PatternPixel(image, x, y).value_or(0);
      if ((pixel >> 24) > kOpaqueEnough) AddStar(*p, x, y, baseScale, -0.015, 0, std::to_string(pixel & 0xFFFFFF));
    }
}

}  // namespace qel
