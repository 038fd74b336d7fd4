#pragma once
// Small helpers the drawing element kinds share: pixel rounding that cannot
// overflow, clip rectangles, clipped fills, and textures they own.
#include <cstdint>

#include "render/gfx_types.h"

namespace qel {

class TGfxCanvas;
class TGfxImage;
struct GameServices;

// Nearest whole pixel, halves to even; far-off values are held at +-2^40 so
// that sums of them stay exact and never overflow.
int64_t RoundToPixel(double v);
// Integer result of 64-bit arithmetic, held inside the 32-bit range.
int32_t ClampToInt32(int64_t v);
// The clip rectangle narrowed to (left, top)-(right, bottom); empty when they do not meet.
TGfxRect Intersect(const TGfxRect& clip, int64_t left, int64_t top, int64_t right, int64_t bottom);
// A filled rectangle of any size and position: only what meets the clip
// rectangle reaches the canvas (same pixels, no overflow).
void FillClipped(TGfxCanvas& canvas, int64_t left, int64_t top, int64_t w, int64_t h, uint32_t colour, uint32_t fx);
// (x, y) in [left, left + w] x [top, top + h], bounds included.
bool InBox(int64_t x, int64_t y, int64_t left, int64_t top, int64_t w, int64_t h);
// Removes a texture an element made for itself from the texture list.
void ReleaseTexture(const GameServices& services, TGfxImage*& texture);

}  // namespace qel
