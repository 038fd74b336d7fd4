#include "elements/system_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace qel {

namespace {

// Wider renderings are cut: the texture could not hold them anyway.
constexpr int kMaxWidth = 16384;

class FaceHolder {
 public:
  ~FaceHolder() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  bool Open(const std::string& file, int pixelSize) {
    return FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, file.c_str(), 0, &face_) == 0 &&
           FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize)) == 0;
  }
  FT_Face face() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

}  // namespace

std::u16string DecodeEscaped(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == 1 && i + 2 < text.size()) {
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(text[i + 1]) |
                                          (static_cast<unsigned char>(text[i + 2]) << 8)));
      i += 2;
    } else if (b != 1) {
      out.push_back(static_cast<char16_t>(b));
    } else {
      break;  // a group cut off at the end
    }
  }
  return out;
}

bool RenderSystemText(const std::string& fontFile, std::u16string_view text, int pixelSize, TBitmap32& out) {
  FaceHolder holder;
  if (text.empty() || pixelSize <= 0 || !holder.Open(fontFile, pixelSize)) return false;
  FT_Face face = holder.face();
  const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
  const int height = std::max(1, static_cast<int>((face->size->metrics.ascender - face->size->metrics.descender) >> 6));
  int64_t width = 0;
  for (char16_t c : text)
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) == 0) width += face->glyph->advance.x >> 6;
  width = std::clamp<int64_t>(width, 1, kMaxWidth);
  out.Resize(static_cast<int>(width), height, 0xFF000000u);
  int pen = 0;
  for (char16_t c : text) {
    if (pen >= width) break;
    if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        const int x = pen + g->bitmap_left + static_cast<int>(col), y = ascender - g->bitmap_top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= out.width || y >= out.height) continue;
        const uint32_t v = bm.buffer[row * static_cast<unsigned>(std::abs(bm.pitch)) + col];
        uint32_t& px = out.At(x, y);
        const uint32_t old = px & 0xFF;
        const uint32_t m = std::max(old, v);
        px = 0xFF000000u | (m << 16) | (m << 8) | m;
      }
    pen += static_cast<int>(g->advance.x >> 6);
  }
  return true;
}

}  // namespace qel
