#pragma once
// Where an image element's picture lies and which of its pixels a point
// hits: the anchor, the scales, the cut of far-off parts and the rotated
// pixel test.
#include <cstdint>

#include "render/gfx_types.h"

namespace qel {

class TGfxImage;

// The drawn size (scale x pattern size x ScaleX/ScaleY; negative mirrors) and the
// picture's centre in its parent's frame.
struct ImageFrame {
  double w = 0, h = 0;
  double cx = 0, cy = 0;
};
ImageFrame FrameOf(int patternW, int patternH, double scale, double scaleX, double scaleY, double rX, double rY,
                   int32_t posHor, int32_t posVert);
// How far the anchor lies right of (below) the picture's left (top) edge: 0, size/2 or size.
double AnchorShift(double size, int32_t anchor);
// An anchored integer position moved to the picture's left (top) edge: pos,
// pos - round(size) div 2 or pos - round(size).
int64_t AnchorEdge(int64_t pos, double size, int32_t anchor);
// round(v) held inside the 32-bit range (NaN as 0).
int32_t RoundSize(double v);

// The quad of a picture whose parts far off the screen are cut away (only
// -1024..2048 is kept), and the source area of the pattern it shows.
struct ImageQuad {
  TPoint4 corners;
  TGfxPattern source;
  bool empty = false;  // entirely cut away
};
// left/top: the destination rectangle's top-left corner, w/h its size (negative mirrors),
// angleDeg the clockwise turn about the picture's centre.
ImageQuad CutQuad(double left, double top, double w, double h, int patternW, int patternH, int pattern,
                  double angleDeg);

// Whether (x, y) hits the picture of an image anchored at (ax, ay): scale and
// angle in thousandths, the picture grown by margin on each side, pixels of
// pattern 0 counting when their alpha exceeds threshold (every pixel when the
// picture has no alpha).
bool PixelHit(const TGfxImage* image, int64_t x, int64_t y, int64_t ax, int64_t ay, int32_t posHor,
              int32_t posVert, int32_t scaleMilli, int32_t angleMilli, int32_t margin, int32_t threshold);

}  // namespace qel
