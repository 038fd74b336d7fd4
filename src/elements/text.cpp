// Texts: layout on assignment, drawing line by line with a bitmap font, and
// the box hit test.
#include <cmath>

#include "elements/draw_util.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "elements/image_geometry.h"
#include "elements/system_text.h"
#include "elements/text_layout.h"
#include "elements/unicode_text.h"
#include "render/gfx_canvas.h"
#include "render/gfx_fonts.h"
#include "render/gfx_images.h"

namespace qel {

namespace {

bool HasFraction(double v) { return v != std::floor(v); }

// The TrueType rendering's pixel size, before it is scaled to the bitmap font.
constexpr int kSystemTextSize = 30;

// Glyph pictures are scaled so that they stand as high as the bitmap font's "W".
double GlyphScale(TGfxFont& font, const TGfxImage& picture) {
  return picture.PatternHeight > 0 ? font.TextHeight("W") / picture.PatternHeight : 0;
}

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

bool TQelText::UnicodeText() const { return Root() && Root()->UnicodeMode; }

bool TQelText::TrueTypePath() const {
  return UnicodeText() && (Uni || runtime().shell.FocusedText == Handle());
}

double TQelText::LineWidth(const TGfxFont& font, std::string_view line) const {
  if (!UnicodeText()) return font.TextWidth(line);
  const TGfxImage* picture = GlyphPicture(runtime());
  if (!picture) return 0;
  const double k = GlyphScale(const_cast<TGfxFont&>(font), *picture);
  double w = 0;
  for (char16_t code : DecodeEscaped(line)) {
    const GlyphInfo g = LookupGlyph(Root(), code);
    if (g.inTable) w += g.advance * k;
  }
  return w;
}

std::optional<double> TQelText::TextWidthForScripts() const {
  TGfxFont* font = CurrentFont();
  if (TrueTypePath()) {
    if (!SystemTexture || !font || systemH_ <= 0) return 0.0;
    return font->TextHeight("W") / systemH_ * 1.5 * systemW_;
  }
  if (!font) return 0.0;
  font->Scale = Scale;
  return font->TextWidth(Text);
}

// A TrueType text not rendered yet has no width: the byte 0.
bool TQelText::GetValue(const ByteString& name, Variant& value) {
  if (name == "TEXTSZ" && TrueTypePath() && !SystemTexture) {
    value = Variant::Byte(0);
    return true;
  }
  return TQelElement::GetValue(name, value);
}

void TQelText::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) {
  if (!Loaded) LoadRes();
  if (layer < OrderMin() || layer > OrderMax()) return;  // nothing of this subtree is on other layers
  TGfxFont* font = CurrentFont();
  TGfxCanvas* canvas = runtime().services.canvas;
  if (layer == Order() && font && canvas && !Layout.empty()) {
    if (TrueTypePath())
      DrawTrueType(*canvas, *font, offsetX, offsetY);
    else
      DrawLines(*canvas, *font, offsetX, offsetY);
  }
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
    DrawLine(canvas, font, line, x, y);
    dy += font.TextHeight(line) + Interval;
  });
}

void TQelText::DrawLine(TGfxCanvas& canvas, TGfxFont& font, std::string_view line, double x, double y) {
  if (!UnicodeText()) {
    font.TextOut(line, x, y, Color1, Color2, hxDrawFx);
    return;
  }
  const TGfxImage* picture = GlyphPicture(runtime());
  if (!picture) return;
  canvas.SetAntialias(true);
  const double k = GlyphScale(font, *picture);
  for (char16_t code : DecodeEscaped(line)) {
    const GlyphInfo g = LookupGlyph(Root(), code);
    if (!g.inTable || g.advance == 0) continue;  // no glyph: no space either
    const ImageQuad q = CutQuad(x, y, picture->PatternWidth * k, picture->PatternHeight * k, picture->PatternWidth,
                                picture->PatternHeight, g.index, 0);
    if (!q.empty) canvas.TexMap(picture, q.corners, q.source, TColor4(Color1), hxDrawFx);
    x += g.advance * k;
  }
}

// The text rendered once per change with the unicode font, then drawn
// scaled to the bitmap font's height, centred on the box's anchor point.
void TQelText::DrawTrueType(TGfxCanvas& canvas, TGfxFont& font, double offsetX, double offsetY) {
  TGfxImages* textures = runtime().services.textures;
  if (!textures) return;
  if (!SystemTexture || Text != LastRendered) {
    TBitmap32 bitmap;
    const auto fontFile = UnicodeFontFile(Root());
    ReleaseTexture(runtime().services, SystemTexture);
    LastRendered = Text;
    systemW_ = systemH_ = 0;
    if (!fontFile || !RenderSystemText(*fontFile, DecodeEscaped(Text), kSystemTextSize, bitmap)) return;
    SystemTexture = textures->Add();
    SystemTexture->SetPatternSize(bitmap.width, bitmap.height);
    SystemTexture->SetVisibleSize(bitmap.width, bitmap.height);
    SystemTexture->SetTextureSize((bitmap.width + 3) & ~1, (bitmap.height + 3) & ~1);
    SystemTexture->PatternCount = 1;
    if (!SystemTexture->UploadFromBitmap(bitmap, true, 0, 0)) return ReleaseTexture(runtime().services, SystemTexture);
    systemW_ = bitmap.width;
    systemH_ = bitmap.height;
  }
  if (systemH_ <= 0) return;
  font.Scale = Scale;
  const double k = font.TextHeight("W") / systemH_ * 1.5;
  const double ax = PosHor == phCenter ? SizeX / 2.0 : PosHor == phRight ? SizeX : 0;
  const double ay = PosVert == pvCenter ? SizeY / 2.0 : PosVert == pvBottom ? SizeY : 0;
  const double cx = offsetX + rX + ax, cy = offsetY + rY + ay;
  const double hw = systemW_ * k / 2, hh = systemH_ * k / 2;
  canvas.TexMap(SystemTexture, TPoint4{{{cx - hw, cy - hh}, {cx + hw, cy - hh}, {cx + hw, cy + hh}, {cx - hw, cy + hh}}},
                TGfxPattern(0), TColor4(Color1), fxBlend);
}

// Children of a text are drawn but never take the mouse.
TQelElement* TQelText::ElementAt(int32_t layer, int32_t x, int32_t y, int32_t, int32_t) {
  if (layer != Order() || (!Vis && !MousedNotVis) || (Vis && !MousedVis)) return nullptr;
  return InBox(x, y, X(), Y(), SizeX, SizeY) ? this : nullptr;
}

}  // namespace qel
