// Drawing of animations: the keys while authoring (ShowAn off), otherwise
// the current frame of the table, sprite by sprite.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "anim/frame_table.h"
#include "anim/sprite_textures.h"
#include "elements/kinds.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"

namespace qel {
namespace {

int Texels(double amount, int adjust) {
  const double n = RoundHalfEven(amount) + adjust;
  return n <= 0 ? 0 : n >= 1 << 30 ? 1 << 30 : static_cast<int>(n);
}

// The part of a sprite that lies outside the band -1024..2048 is cut off in
// whole texels before drawing, so that huge scales stay within what the
// device's coordinates hold precisely. Returns the texels cut at the start
// and at the end of one axis.
void CutToBand(double centre, double size, double axisScale, double scale, int& cutLo, int& cutHi) {
  cutLo = cutHi = 0;
  const double lo = centre - size / 2, hi = centre + size / 2;
  if (lo < -1024) cutLo = Texels((-1024 - lo) / axisScale / scale, -1);
  if (hi > 2048) cutHi = Texels((hi - 2048) / axisScale / scale, 1);
}

}  // namespace

void DrawAnimSprite(TGfxCanvas& canvas, const TGfxImage& image, const AnimSprite& sp, double x, double y,
                    double animAngle) {
  const double texelX = sp.ScaleX * sp.Scale, texelY = sp.ScaleY * sp.Scale;
  double cx = x + sp.X, cy = y + sp.Y;
  double w = image.PatternWidth * texelX, h = image.PatternHeight * texelY;
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(w) || !std::isfinite(h) || texelX == 0 ||
      texelY == 0)
    return;
  int cutL, cutR, cutT, cutB;
  CutToBand(cx, w, sp.ScaleX, sp.Scale, cutL, cutR);
  CutToBand(cy, h, sp.ScaleY, sp.Scale, cutT, cutB);
  const int sw = image.PatternWidth - cutL - cutR, sh = image.PatternHeight - cutT - cutB;
  if (sw < 1 || sh < 1) return;
  cx += cutL * texelX;
  w -= (cutL + cutR) * texelX;
  cy += cutT * texelY;
  h -= (cutT + cutB) * texelY;
  canvas.SetAntialias(true);
  const double a = (animAngle + sp.Angle) * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a), hw = w / 2, hh = h / 2;
  auto rot = [&](double dx, double dy) { return TGfxPoint{cx + dx * c - dy * s, cy + dx * s + dy * c}; };
  TGfxPattern pattern(sp.Frame);
  pattern.srcX = cutL;
  pattern.srcY = cutT;
  pattern.srcW = sw;
  pattern.srcH = sh;
  canvas.TexMap(&image, TPoint4{{rot(-hw, -hh), rot(hw, -hh), rot(hw, hh), rot(-hw, hh)}}, pattern, sp.Color,
                sp.DrawFx);
}

void TQelAnim::DrawFrame(int32_t index, uint32_t colour, double x, double y) {
  if (index < 0 || index >= FrameCount()) return;
  TGfxCanvas* canvas = runtime().services.canvas;
  if (!canvas) return;
  if (const TGfxImage* back = BackTexture(*this)) canvas->Draw(back, x, y, colour, 0, hxDrawFx);
  for (const AnimSprite& sp : frames_->Frame(index))
    if (const TGfxImage* image = SpriteTexture(runtime(), sp.Image)) DrawAnimSprite(*canvas, *image, sp, x, y, Angle);
}

void TQelAnim::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t) {
  if (!Loaded) LoadRes();
  if (ShowAn) {
    if (layer == Order()) DrawFrame(Pos, colour, offsetX + rX, offsetY + rY);
    return;
  }
  if (layer == Order())
    if (TGfxCanvas* canvas = runtime().services.canvas)
      if (const TGfxImage* back = BackTexture(*this)) canvas->Draw(back, offsetX, offsetY, colour, 0, hxDrawFx);
  for (int i = ChildCount(); i-- > 0;) {
    if (i >= ChildCount()) continue;
    TQelElement* key = Child(i);
    if (key->Vis) key->Render(layer, colour, offsetX + rX, offsetY + rY, 0);
  }
}

}  // namespace qel
