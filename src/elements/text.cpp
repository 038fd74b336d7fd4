// Texts: layout on assignment, drawing line by line with a bitmap font, and
// the box hit test.
#include <cmath>

#include "elements/draw_util.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "elements/text_layout.h"
#include "render/gfx_canvas.h"
#include "render/gfx_fonts.h"

namespace qel {

namespace {

bool HasFraction(double v) { return v != std::floor(v); }

}  // namespace

TQelText::~TQelText() { ReleaseTexture(runtime().services, SystemTexture); }

TGfxFont* TQelText::CurrentFont() const {
  TGfxFonts* fonts = runtime().services.fonts;
  if (!fonts || !font_) return nullptr;
  // The list may have been reloaded since the lookup: only a font still in it counts.
  for (int i = 0; i < fonts->Count(); ++i)
    if (fonts->Item(i) == font_) return font_;
  return nullptr;
}

void TQelText::SetFont(std::string_view name) {
  Font.assign(name);
  TGfxFonts* fonts = runtime().services.fonts;
  font_ = fonts ? fonts->Find(Font) : nullptr;
  Relayout();
}

void TQelText::SetTextId(std::string_view key) {
  TextId.assign(key);
  if (!TextId.empty() && Root()) Root()->GetLangText(TextId);
}

void TQelText::SetText(std::string_view value) {
  ByteString source = !TextId.empty() && Root() ? Root()->GetLangText(TextId) : ByteString(value);
  Text = std::move(source);
  TGfxFont* font = CurrentFont();
  if (!EnEnter || !font) {
    Layout = Text;
    return;
  }
  font->Scale = Scale;
  Layout = BreakAtMarkers(Text);
  if (AutoEnter) Layout = WrapWords(Layout, SizeX, [&](std::string_view line) { return LineWidth(*font, line); });
}

void TQelText::Relayout() { SetText(ByteString(Text)); }

double TQelText::LineWidth(const TGfxFont& font, std::string_view line) const { return font.TextWidth(line); }

std::optional<double> TQelText::TextWidthForScripts() const {
  TGfxFont* font = CurrentFont();
  if (!font) return 0.0;
  font->Scale = Scale;
  return font->TextWidth(Text);
}

void TQelText::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) {
  if (!Loaded) LoadRes();
  if (layer < OrderMin() || layer > OrderMax()) return;  // nothing of this subtree is on other layers
  TGfxFont* font = CurrentFont();
  TGfxCanvas* canvas = runtime().services.canvas;
  if (layer == Order() && font && canvas && !Layout.empty()) DrawLines(*canvas, *font, offsetX, offsetY);
  TQelElement::Render(layer, colour, offsetX, offsetY, flags);
}

void TQelText::DrawLines(TGfxCanvas& canvas, TGfxFont& font, double offsetX, double offsetY) {
  font.Scale = Scale;
  double vy = 0;
  if (PosVert != pvTop) {
    const double n = static_cast<double>(CountLines(Layout));
    const double height = n * font.TextHeight(Layout) + (n - 1) * Interval;
    vy = PosVert == pvCenter ? (SizeY - height) / 2 : SizeY - height;
  }
  font.ShadowColor = hxShadColor;
  font.Style = (Shadow ? fsShadow : 0u) | (Emboss ? fsEmboss : 0u);
  double dy = 0;
  ForEachLine(Layout, [&](std::string_view line) {
    double hx = 0;
    if (PosHor != phLeft) {
      const double w = LineWidth(font, line);
      hx = PosHor == phCenter ? (SizeX - w) / 2 : SizeX - w;
    }
    const double x = offsetX + rX + hx, y = offsetY + rY + vy + dy;
    canvas.SetAntialias(Scale != 1 || HasFraction(x) || HasFraction(y));
    font.TextOut(line, x, y, Color1, Color2, hxDrawFx);
    dy += font.TextHeight(line) + Interval;
  });
}

// Children of a text are drawn but never take the mouse.
TQelElement* TQelText::ElementAt(int32_t layer, int32_t x, int32_t y, int32_t, int32_t) {
  if (layer != Order() || (!Vis && !MousedNotVis) || (Vis && !MousedVis)) return nullptr;
  return InBox(x, y, X(), Y(), SizeX, SizeY) ? this : nullptr;
}

}  // namespace qel
