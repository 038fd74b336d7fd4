#include "elements/draw_util.h"

#include <algorithm>
#include <cmath>

#include "elements/runtime.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"

namespace qel {

namespace {
constexpr double kFar = 1099511627776.0;  // 2^40
}

int64_t RoundToPixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int64_t>(std::nearbyint(std::clamp(v, -kFar, kFar)));
}

int32_t ClampToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

TGfxRect Intersect(const TGfxRect& clip, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  TGfxRect r;
  r.left = static_cast<int>(std::clamp<int64_t>(left, clip.left, clip.right));
  r.top = static_cast<int>(std::clamp<int64_t>(top, clip.top, clip.bottom));
  r.right = static_cast<int>(std::clamp<int64_t>(right, r.left, clip.right));
  r.bottom = static_cast<int>(std::clamp<int64_t>(bottom, r.top, clip.bottom));
  return r;
}

void FillClipped(TGfxCanvas& canvas, int64_t left, int64_t top, int64_t w, int64_t h, uint32_t colour, uint32_t fx) {
  if (w <= 0 || h <= 0) return;
  const TGfxRect r = Intersect(canvas.ClipRect(), left, top, left + w, top + h);
  if (r.Width() <= 0 || r.Height() <= 0) return;
  canvas.FillRect(r.left, r.top, r.Width(), r.Height(), TColor4(colour), fx);
}

bool InBox(int64_t x, int64_t y, int64_t left, int64_t top, int64_t w, int64_t h) {
  return x >= left && x <= left + w && y >= top && y <= top + h;
}

void ReleaseTexture(const GameServices& services, TGfxImage*& texture) {
  if (texture && services.textures) services.textures->Remove(texture);
  texture = nullptr;
}

}  // namespace qel
