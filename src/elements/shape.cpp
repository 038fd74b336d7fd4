// Boxes and pies: drawing, the crop of children and the rectangle hit test.
#include <algorithm>
#include <cmath>

#include "elements/draw_util.h"
#include "elements/kinds.h"
#include "elements/pie_raster.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"

namespace qel {

namespace {

// The largest side of a pie bitmap we rasterise; a larger visible window is
// sampled more coarsely (each sample then covers less than a screen pixel).
constexpr int64_t kMaxPieSide = 2048;

}  // namespace

TQelShape::~TQelShape() { ReleaseTexture(runtime().services, PieTexture); }

void TQelShape::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) {
  TGfxCanvas* canvas = runtime().services.canvas;
  const int64_t left = RoundToPixel(offsetX + rX), top = RoundToPixel(offsetY + rY);
  TGfxRect savedClip;
  const bool crop = Crop && canvas;
  if (crop) {
    savedClip = canvas->ClipRect();
    const int64_t right = RoundToPixel(offsetX + rX + SizeX), bottom = RoundToPixel(offsetY + rY + SizeY);
    canvas->SetClipRect(Intersect(savedClip, left, top, right, bottom));
  }
  if (canvas && layer == Order()) {
    if (ShapeType == stCircle)
      DrawPie(*canvas, left, top);
    else
      FillClipped(*canvas, left, top, SizeX, SizeY, Color, hxDrawFx);
  }
  TQelElement::Render(layer, colour, offsetX, offsetY, flags);
  if (crop) canvas->SetClipRect(savedClip);
}

// The pie bitmap is drawn scaled by Par3 from (left, top). Only the part that
// can reach the clip rectangle is rasterised, so a huge shape costs no more
// than the screen it covers.
void TQelShape::DrawPie(TGfxCanvas& canvas, int64_t left, int64_t top) {
  const double scale = Par3;
  TGfxImages* textures = runtime().services.textures;
  if (!textures || SizeX <= 0 || SizeY <= 0 || !(scale > 0) || !std::isfinite(scale)) return;
  const TGfxRect clip = canvas.ClipRect();
  auto first = [&](int edge, int64_t origin) {
    return std::max<double>(0, std::floor((edge - static_cast<double>(origin)) / scale));
  };
  auto last = [&](int edge, int64_t origin, int32_t size) {
    return std::min<double>(size, std::ceil((edge - static_cast<double>(origin)) / scale));
  };
  const double x0 = first(clip.left, left), x1 = last(clip.right, left, SizeX);
  const double y0 = first(clip.top, top), y1 = last(clip.bottom, top, SizeY);
  if (!(x1 > x0) || !(y1 > y0)) return;
  PieWindow window;
  window.x0 = static_cast<int64_t>(x0);
  window.y0 = static_cast<int64_t>(y0);
  const int64_t spanX = static_cast<int64_t>(x1 - x0), spanY = static_cast<int64_t>(y1 - y0);
  window.step = std::max<int64_t>(1, (std::max(spanX, spanY) + kMaxPieSide - 1) / kMaxPieSide);
  window.w = static_cast<int>((spanX + window.step - 1) / window.step);
  window.h = static_cast<int>((spanY + window.step - 1) / window.step);

  TBitmap32 bitmap;
  RasterisePie({SizeX, SizeY, Par1, Par2}, window, bitmap);
  if (!PieTexture) PieTexture = textures->Add();
  PieTexture->SetPatternSize(window.w, window.h);
  PieTexture->SetVisibleSize(window.w, window.h);
  PieTexture->SetTextureSize((window.w + 3) & ~1, (window.h + 3) & ~1);
  PieTexture->PatternCount = 1;
  if (!PieTexture->UploadFromBitmap(bitmap, true, 0, 0)) return;
  const double sx = static_cast<double>(left) + x0 * scale, sy = static_cast<double>(top) + y0 * scale;
  const double ex = sx + static_cast<double>(window.w * window.step) * scale;
  const double ey = sy + static_cast<double>(window.h * window.step) * scale;
  canvas.TexMap(PieTexture, TPoint4{{{sx, sy}, {ex, sy}, {ex, ey}, {sx, ey}}}, TGfxPattern(0), TColor4(Color),
                fxBlend);
}

TQelElement* TQelShape::ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) {
  if ((!Vis && !MousedNotVis) || (Vis && !MousedVis)) return nullptr;
  TQelElement* hit = TQelElement::ElementAt(layer, x, y, margin, threshold);
  const bool inside = InBox(x, y, X(), Y(), SizeX, SizeY);
  if (hit) return (!Crop || inside) ? hit : nullptr;
  return layer == Order() && inside ? this : nullptr;
}

}  // namespace qel
