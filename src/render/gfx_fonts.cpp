#include "render/gfx_fonts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/encoding.h"
#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/res_db.h"

namespace qel {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadI32(const uint8_t* d, size_t size, size_t& pos, int32_t& v) {
  if (pos > size || size - pos < 4) return false;
  v = static_cast<int32_t>(d[pos] | (d[pos + 1] << 8) | (d[pos + 2] << 16) | (static_cast<uint32_t>(d[pos + 3]) << 24));
  pos += 4;
  return true;
}

}  // namespace

TGfxFont::TGfxFont(TGfxDevice* device, TGfx2D* canvas) : canvas_(canvas), texture_(device) {}

bool TGfxFont::LoadFromRecord(const uint8_t* data, size_t size) {
  Glyphs.clear();
  size_t pos = 0;
  int32_t first, extra, unused, count;
  if (!ReadI32(data, size, pos, first) || !ReadI32(data, size, pos, extra) || !ReadI32(data, size, pos, unused) ||
      !ReadI32(data, size, pos, count))
    return false;
  if (count < 0 || static_cast<uint64_t>(count) * 8 > size - pos) return false;
  std::vector<TGlyph> glyphs(static_cast<size_t>(count));
  for (TGlyph& g : glyphs)
    if (!ReadI32(data, size, pos, g.advance) || !ReadI32(data, size, pos, g.height)) return false;
  texture_.Quality = TGfxQuality::aqHigh;
  texture_.AlphaLevel = TAlphaLevel::alFull;
  if (!texture_.LoadFromStream(data, size, pos)) return false;
  FirstChar = first & 0xFF;
  ExtraAdvance = extra;
  Glyphs = std::move(glyphs);
  return true;
}

int TGfxFont::InlineCode(std::string_view text, size_t i, int& which, uint32_t& value) const {
  if (!InlineCodes || i + 10 > text.size()) return 0;
  const char c = text[i], n = text[i + 1];
  if (c == '#' && n == '$')
    which = 1;
  else if (c == '&' && n == '$')
    which = 2;
  else if (c == '0' && n == 'x')
    which = 3;
  else
    return 0;
  uint32_t v = 0;
  for (size_t k = i + 2; k < i + 10; ++k) {
    int d = HexDigit(text[k]);
    if (d < 0) return 0;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  value = v;
  return 10;
}

double TGfxFont::Advance(unsigned char ch) const {
  const int g = static_cast<int>(ch) - FirstChar;
  if (g >= 0 && g < GlyphCount())
    return (static_cast<double>(Glyphs[static_cast<size_t>(g)].advance) + ExtraAdvance + Spacing) * Scale;
  return (texture_.PatternWidth * SpaceFactor + Spacing) * Scale;
}

template <class Fn>
void TGfxFont::ForEachShownChar(std::string_view text, Fn fn) const {
  for (size_t i = 0; i < text.size();) {
    int which;
    uint32_t v;
    if (int n = InlineCode(text, i, which, v)) {
      i += static_cast<size_t>(n);
      continue;
    }
    fn(static_cast<unsigned char>(text[i]));
    ++i;
  }
}

double TGfxFont::TextWidth(std::string_view text) const {
  double w = 0;
  ForEachShownChar(text, [&](unsigned char c) { w += Advance(c); });
  return w;
}

double TGfxFont::TextHeight(std::string_view text) const {
  double h = 0;
  ForEachShownChar(text, [&](unsigned char c) {
    const int g = c - FirstChar;
    if (g >= 0 && g < GlyphCount()) h = std::max(h, Glyphs[static_cast<size_t>(g)].height * Scale);
  });
  return h;
}

void TGfxFont::TextOut(std::string_view text, double x, double y, uint32_t top, uint32_t bottom, uint32_t fx) {
  if (!canvas_) return;
  const double pw = texture_.PatternWidth, ph = texture_.PatternHeight;
  const double w = std::nearbyint(Scale * pw), h = std::nearbyint(Scale * ph);
  const bool bold = Style & fsBold, italic = Style & fsItalic;
  for (size_t i = 0; i < text.size();) {
    int which;
    uint32_t v;
    if (int n = InlineCode(text, i, which, v)) {
      if (which & 1) top = v;
      if (which & 2) bottom = v;
      i += static_cast<size_t>(n);
      continue;
    }
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    const int g = static_cast<int>(ch) - FirstChar;
    if (g >= 0 && g < GlyphCount()) {
      TPoint4 q{{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}};
      if (italic) {
        const double s = pw / 8.0;
        q.p[0].x += s;
        q.p[1].x += s;
        q.p[2].x -= s;
        q.p[3].x -= s;
      }
      auto moved = [](const TPoint4& p, double dx, double dy) {
        TPoint4 r = p;
        for (TGfxPoint& pt : r.p) {
          pt.x += dx;
          pt.y += dy;
        }
        return r;
      };
      const TGfxPattern pat(g);
      if (Style & fsShadow) {
        const double d = Scale * ShadowDistance;
        const uint32_t c =
            (static_cast<uint32_t>(std::nearbyint(ShadowOpacity * 255.0)) << 24) + (ShadowColor & 0xFFFFFFu);
        canvas_->TexMap(&texture_, moved(q, (bold ? 3 : 2) * d, 2 * d), pat, TColor4(c), fx);
      }
      if (Style & fsEmboss) q = moved(q, -1, -1);
      const TColor4 glyphColors(top, top, bottom, bottom);
      canvas_->TexMap(&texture_, q, pat, glyphColors, fx);
      if (bold) {
        canvas_->TexMap(&texture_, moved(q, -1, 0), pat, glyphColors, fx);
        canvas_->TexMap(&texture_, moved(q, 1, 0), pat, glyphColors, fx);
      }
      if (Style & fsEmboss) {
        const uint32_t c =
            (static_cast<uint32_t>(std::nearbyint(EmbossOpacity * 255.0 * (bold ? 0.65 : 1.0))) << 24) +
            (EmbossColor & 0xFFFFFFu);
        canvas_->TexMap(&texture_, moved(q, 1, 1), pat, TColor4(c), fx);
        if (bold) {
          canvas_->TexMap(&texture_, moved(q, 0, 1), pat, TColor4(c), fx);
          canvas_->TexMap(&texture_, moved(q, 2, 1), pat, TColor4(c), fx);
        }
      }
    }
    x += Advance(ch);
    ++i;
  }
}

TGfxFonts::TGfxFonts(TGfxDevice& device, TGfx2D* canvas) : device_(device), canvas_(canvas) { device_.Subscribe(this); }

TGfxFonts::~TGfxFonts() {
  RemoveAll();
  device_.Unsubscribe(this);
}

void TGfxFonts::SetCanvas(TGfx2D* canvas) {
  canvas_ = canvas;
  for (auto& f : fonts_) f->SetCanvas(canvas);
}

TGfxFont* TGfxFonts::AddFromRecord(const uint8_t* data, size_t size) {
  auto font = std::make_unique<TGfxFont>(&device_, canvas_);
  if (!font->LoadFromRecord(data, size)) return nullptr;
  char name[16];
  std::snprintf(name, sizeof name, "Font%02d", counter_++);
  font->Name = name;
  font->Texture().Name = name;
  fonts_.push_back(std::move(font));
  return fonts_.back().get();
}

int TGfxFonts::LoadFromArchive(TResDb& archive) {
  if (!archive.EnsureTable()) return 0;
  int loaded = 0;
  for (int i = 0; i < archive.RecordCount(); ++i) {
    if (archive.RecordType(i) != TResDb::kTypeFont) continue;
    const ByteString name = archive.RecordName(i);
    std::vector<uint8_t> data;
    if (!archive.ReadRecord(name, data)) continue;
    if (TGfxFont* f = AddFromRecord(data.data(), data.size())) {
      f->Name = name;
      f->Texture().Name = name;
      ++loaded;
    }
  }
  return loaded;
}

TGfxFont* TGfxFonts::Find(std::string_view name) const {
  const ByteString key = LowerCase(ByteString(name));
  for (auto& f : fonts_)
    if (LowerCase(f->Name) == key) return f.get();
  return nullptr;
}

void TGfxFonts::RemoveAll() { fonts_.clear(); }

bool TGfxFonts::DeviceNotify(int msg) {
  if (msg == msgDeviceInitialize) {
    bool ok = true;
    for (auto& f : fonts_) ok = f->Texture().UploadGL() && ok;
    return ok;
  }
  if (msg == msgDeviceFinalize)
    for (auto& f : fonts_) f->Texture().ReleaseGL();
  return true;
}

}  // namespace qel
