#pragma once
// The filled pie of a circle shape, rasterised by us: white inside, black
// outside, so that an upload with the black colour key leaves only the pie.
#include <cstdint>

#include "render/picture.h"

namespace qel {

// The pie of the ellipse inscribed in (0, 0, width, height), running
// counter-clockwise on the screen from the ellipse point at startDeg to the
// point at endDeg (degrees clockwise from 12 o'clock; points rounded to whole
// pixels; the same point twice gives the whole ellipse).
struct PieShape {
  int64_t width = 0, height = 0;
  double startDeg = 0, endDeg = 0;
};

// One window of the shape's bitmap: columns [x0, x0 + w * step) and rows
// [y0, y0 + h * step), sampled every `step` pixels (step > 1 shrinks a window
// too large to rasterise in full). Each output pixel is white when the centre
// of its first source pixel lies in the pie.
struct PieWindow {
  int64_t x0 = 0, y0 = 0;
  int w = 0, h = 0;
  int64_t step = 1;
};

bool PieContains(const PieShape& pie, double px, double py);
void RasterisePie(const PieShape& pie, const PieWindow& window, TBitmap32& out);

}  // namespace qel
