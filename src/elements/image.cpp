// Images: an anchored, scaled, rotated and tinted picture from the image
// cache, and the hit test against its pixels.
#include "elements/draw_util.h"
#include "elements/image_geometry.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"

namespace qel {

namespace {

ImageFrame FrameOfImage(const TQelImage& e, const TGfxImage& im) {
  return FrameOf(im.PatternWidth, im.PatternHeight, e.ScaleMilli / 1000.0, e.ScaleX, e.ScaleY, e.rX, e.rY, e.PosHor,
                 e.PosVert);
}

}  // namespace

const TGfxImage* TQelImage::Picture() const { return Image.Available(runtime()); }

void TQelImage::SetImImage(std::string_view name) { Image.Request(runtime(), name); }

void TQelImage::SetTextId(std::string_view key) {
  TextId.assign(key);
  if (Root()) Root()->GetLangText(TextId);
}

int32_t TQelImage::GetSizeX() const {
  const TGfxImage* im = Picture();
  return im ? RoundSize(FrameOfImage(*this, *im).w) : 0;
}

int32_t TQelImage::GetSizeY() const {
  const TGfxImage* im = Picture();
  return im ? RoundSize(FrameOfImage(*this, *im).h) : 0;
}

int32_t TQelImage::GetAbsX() const {
  const TGfxImage* im = Picture();
  const int64_t edge = AnchorEdge(X(), im ? FrameOfImage(*this, *im).w : 0, PosHor);
  return ClampToInt32(edge + (Parent() ? Parent()->GetAbsX() : 0));
}

int32_t TQelImage::GetAbsY() const {
  const TGfxImage* im = Picture();
  const int64_t edge = AnchorEdge(Y(), im ? FrameOfImage(*this, *im).h : 0, PosVert);
  return ClampToInt32(edge + (Parent() ? Parent()->GetAbsY() : 0));
}

void TQelImage::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) {
  if (!Loaded) LoadRes();
  Image.ForceLoad(runtime());
  // Nothing of this subtree is on other layers (the base pass stops here too).
  if (layer < OrderMin() || layer > OrderMax()) return;
  if (const TGfxImage* im = Image.Texture(runtime())) {
    const ImageFrame f = FrameOfImage(*this, *im);
    TGfxCanvas* canvas = runtime().services.canvas;
    if (layer == Order() && canvas) {
      const ImageQuad q = CutQuad(offsetX + f.cx - f.w / 2, offsetY + f.cy - f.h / 2, f.w, f.h, im->PatternWidth,
                                  im->PatternHeight, Anim, AngleMilli / 1000.0);
      if (!q.empty) {
        canvas->SetAntialias(true);
        canvas->TexMap(im, q.corners, q.source, TColor4(Color), hxDrawFx);
      }
    }
    // Children are placed from the picture's top-left corner.
    offsetX -= AnchorShift(f.w, PosHor);
    offsetY -= AnchorShift(f.h, PosVert);
  }
  TQelElement::Render(layer, colour, offsetX, offsetY, flags);
}

TQelElement* TQelImage::ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) {
  const TGfxImage* im = Picture();
  int64_t cx = x, cy = y;
  if (im) {
    const ImageFrame f = FrameOfImage(*this, *im);
    cx = int64_t{x} + x - AnchorEdge(x, f.w, PosHor);
    cy = int64_t{y} + y - AnchorEdge(y, f.h, PosVert);
  }
  TQelElement* hit = TQelElement::ElementAt(layer, ClampToInt32(cx), ClampToInt32(cy), margin, threshold);
  if (hit || layer != Order() || (!Vis && !MousedNotVis) || (Vis && !MousedVis) || !Image.HasEntry()) return hit;
  return PixelHit(im, x, y, X(), Y(), PosHor, PosVert, ScaleMilli, AngleMilli, margin, threshold) ? this : nullptr;
}

}  // namespace qel
