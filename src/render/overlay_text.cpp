#include "render/overlay_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>

#include "base/encoding.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"
#include "render/picture.h"

namespace fs = std::filesystem;

namespace qel {

namespace {

constexpr const char* kFontName = "DejaVuSansMono.ttf";
constexpr int kAtlasColumns = 32;
constexpr int kTextureSide = 512;
constexpr char32_t kEllipsis = 0x2026;

// What game texts and file names hold: ASCII, Latin-1, every Windows-1251
// character, and the few signs the player's own lines use.
std::vector<char32_t> WantedCodes() {
  std::vector<char32_t> codes;
  for (char32_t c = 0x20; c < 0x7F; ++c) codes.push_back(c);
  for (char32_t c = 0xA0; c <= 0xFF; ++c) codes.push_back(c);
  for (int b = 0x80; b <= 0xFF; ++b) codes.push_back(Cp1251ToCodePoint(static_cast<unsigned char>(b)));
  codes.insert(codes.end(), {kEllipsis, 0x2190, 0x2191, 0x2192, 0x2193, 0x00D7});
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

class Face {
 public:
  ~Face() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  bool Open(const fs::path& file, int pixelSize) {
    return FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, file.c_str(), 0, &face_) == 0 &&
           FT_IS_FIXED_WIDTH(face_) && FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize)) == 0;
  }
  FT_Face operator->() const { return face_; }
  FT_Face get() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// Copies the rendered glyph's coverage into the alpha of its cell (white colour).
void BlitGlyph(const FT_GlyphSlot g, int ascender, int cellX, int cellY, int cellW, int cellH, TBitmap32& atlas) {
  const FT_Bitmap& bm = g->bitmap;
  for (unsigned row = 0; row < bm.rows; ++row)
    for (unsigned col = 0; col < bm.width; ++col) {
      const int x = g->bitmap_left + static_cast<int>(col), y = ascender - g->bitmap_top + static_cast<int>(row);
      if (x < 0 || y < 0 || x >= cellW || y >= cellH) continue;
      const uint32_t a = bm.buffer[row * static_cast<unsigned>(std::abs(bm.pitch)) + col];
      atlas.At(cellX + x, cellY + y) = (a << 24) | 0xFFFFFFu;
    }
}

}  // namespace

std::vector<fs::path> OverlayText::DefaultFontFiles() {
  std::vector<fs::path> files;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
    files.push_back(fs::path(data) / "fonts" / kFontName);
  else if (const char* home = std::getenv("HOME"); home && *home)
    files.push_back(fs::path(home) / ".local/share/fonts" / kFontName);
  for (const char* dir : {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/TTF", "/usr/share/fonts/dejavu",
                          "/usr/share/fonts/dejavu-sans-mono-fonts", "/usr/local/share/fonts"})
    files.push_back(fs::path(dir) / kFontName);
  return files;
}

OverlayText::OverlayText(TGfxImages& textures, std::vector<fs::path> fontFiles, int pixelSize)
    : textures_(textures), fontFiles_(std::move(fontFiles)), pixelSize_(std::max(6, pixelSize)) {
  cellW_ = (pixelSize_ * 8 + 6) / 13;
  cellH_ = (pixelSize_ * 15 + 6) / 13;
}

OverlayText::~OverlayText() {
  if (texture_) textures_.Remove(texture_);
}

bool OverlayText::Ready() {
  if (!tried_) {
    tried_ = true;
    if (!Load()) {
      problem_ = "no overlay font: none of";
      for (const fs::path& f : fontFiles_) problem_.append(" ").append(f.string());
      problem_ += " can be read (Debian package fonts-dejavu-core); the player's overlay shows no text";
    }
  }
  return texture_ != nullptr;
}

bool OverlayText::Load() {
  for (const fs::path& file : fontFiles_) {
    Face face;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || !face.Open(file, pixelSize_)) continue;
    const FT_Size_Metrics& m = face->size->metrics;
    const int ascender = static_cast<int>((m.ascender + 63) >> 6);
    const int cellH = std::max(1, ascender + static_cast<int>((-m.descender + 63) >> 6));
    const int cellW = std::max(1, static_cast<int>((m.max_advance + 32) >> 6));
    std::vector<char32_t> codes;
    for (char32_t cp : WantedCodes())
      if (FT_Get_Char_Index(face.get(), cp) != 0) codes.push_back(cp);
    if (codes.empty()) continue;
    const int rows = (static_cast<int>(codes.size()) + kAtlasColumns - 1) / kAtlasColumns;
    TBitmap32 atlas;
    atlas.Resize(kAtlasColumns * cellW, rows * cellH, 0x00FFFFFFu);
    for (size_t i = 0; i < codes.size(); ++i) {
      if (FT_Load_Char(face.get(), codes[i], FT_LOAD_RENDER) != 0) continue;
      const int col = static_cast<int>(i) % kAtlasColumns, row = static_cast<int>(i) / kAtlasColumns;
      BlitGlyph(face->glyph, ascender, col * cellW, row * cellH, cellW, cellH, atlas);
    }
    TGfxImage* im = textures_.Add();
    im->Name = "[overlay font]";
    im->SetPatternSize(cellW, cellH);
    im->SetVisibleSize(cellW, cellH);
    im->SetTextureSize(kTextureSide, kTextureSide);
    im->PatternCount = static_cast<int>(codes.size());
    if (!im->UploadFromBitmap(atlas)) {
      textures_.Remove(im);
      continue;
    }
    texture_ = im;
    codes_ = std::move(codes);
    cellW_ = cellW;
    cellH_ = cellH;
    question_ = GlyphOf('?');
    return true;
  }
  return false;
}

int OverlayText::GlyphOf(char32_t cp) const {
  const auto it = std::lower_bound(codes_.begin(), codes_.end(), cp);
  return it != codes_.end() && *it == cp ? static_cast<int>(it - codes_.begin()) : -1;
}

size_t OverlayText::Length(std::string_view utf8) {
  const std::string text(utf8);
  size_t n = 0;
  for (size_t pos = 0; pos < text.size(); ++n) DecodeUtf8(text, pos);
  return n;
}

std::string OverlayText::Fit(std::string_view utf8, size_t cells) {
  if (Length(utf8) <= cells) return std::string(utf8);
  const std::string text(utf8);
  std::string out;
  size_t pos = 0;
  for (size_t n = 0; n + 1 < cells && pos < text.size(); ++n) AppendUtf8(out, DecodeUtf8(text, pos));
  if (cells > 0) AppendUtf8(out, kEllipsis);
  return out;
}

TGfxRect OverlayText::Measure(int x, int y, const std::vector<OverlayLine>& lines, const OverlayStyle& style) const {
  size_t widest = 0;
  for (const OverlayLine& line : lines) widest = std::max(widest, Length(line.text));
  const int w = static_cast<int>(widest) * cellW_ + 2 * style.padding;
  const int h = static_cast<int>(lines.size()) * cellH_ + 2 * style.padding;
  return {x, y, x + w, y + h};
}

TGfxRect OverlayText::DrawBox(TGfx2D& canvas, int x, int y, const std::vector<OverlayLine>& lines,
                              const OverlayStyle& style) {
  Ready();
  const TGfxRect box = Measure(x, y, lines, style);
  canvas.FillRect(box.left, box.top, box.Width(), box.Height(), TColor4(style.back), fxBlend);
  canvas.FrameRect(box.left, box.top, box.Width(), box.Height(), TColor4(style.frame), fxBlend);
  int ty = y + style.padding;
  for (const OverlayLine& line : lines) {
    DrawText(canvas, x + style.padding, ty, line.text, line.color ? line.color : style.text);
    ty += cellH_;
  }
  return box;
}

void OverlayText::DrawText(TGfx2D& canvas, int x, int y, std::string_view utf8, uint32_t color) {
  if (!Ready()) return;
  const std::string text(utf8);
  for (size_t pos = 0; pos < text.size(); x += cellW_) {
    const char32_t cp = DecodeUtf8(text, pos);
    if (cp == ' ') continue;
    const int glyph = GlyphOf(cp);
    if (glyph >= 0 || question_ >= 0) canvas.Draw(texture_, x, y, TColor4(color), glyph >= 0 ? glyph : question_, fxBlend);
  }
}

}  // namespace qel
