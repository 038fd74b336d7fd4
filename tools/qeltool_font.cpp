// qeltool font: renders a TrueType font with FreeType into a bitmap-font record (type 3,
// the font record of the resource archive) and adds it to an archive. Character codes are Windows-1251 bytes.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "base/encoding.h"
#include "qeltool_render.h"
#include "tool_args.h"
#include "render/res_db.h"

namespace qel {

bool BuildFontRecord(const std::string& ttf, int pixelSize, int first, int count, std::string& record,
                     std::string& error) {
  if (pixelSize < 1 || pixelSize > 512 || first < 0 || first > 255 || count < 1 || first + count > 256) {
    error = "bad size or character range (codes are bytes 0..255)";
    return false;
  }
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib)) {
    error = "cannot initialise FreeType";
    return false;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(lib, ttf.c_str(), 0, &face) || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize))) {
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(lib);
    error = "cannot load font " + ttf;
    return false;
  }
  const int ascender = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
  const int descender = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
  const int lineHeight = std::max(1, ascender + descender);

  struct G {
    int advance = 0, left = 0, top = 0, w = 0, h = 0;
    std::vector<uint8_t> cov;
  };
  std::vector<G> glyphs(static_cast<size_t>(count));
  int patternW = 1;
  for (int i = 0; i < count; ++i) {
    G& g = glyphs[static_cast<size_t>(i)];
    const char32_t cp = Cp1251ToCodePoint(static_cast<unsigned char>(first + i));
    const FT_UInt gi = cp < 32 ? 0 : FT_Get_Char_Index(face, cp);
    if (gi == 0 || FT_Load_Glyph(face, gi, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) continue;
    const FT_GlyphSlot s = face->glyph;
    g.advance = static_cast<int>((s->advance.x + 32) >> 6);
    g.left = std::max(0, s->bitmap_left);
    g.top = s->bitmap_top;
    g.w = static_cast<int>(s->bitmap.width);
    g.h = static_cast<int>(s->bitmap.rows);
    g.cov.resize(static_cast<size_t>(g.w) * g.h);
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x) {
        const unsigned char* row = s->bitmap.buffer + static_cast<ptrdiff_t>(y) * s->bitmap.pitch;
        uint8_t v = s->bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x];
        g.cov[static_cast<size_t>(y) * g.w + x] = v;
      }
    patternW = std::max({patternW, g.advance, g.left + g.w});
  }
  FT_Done_Face(face);
  FT_Done_FreeType(lib);

  const int patternH = lineHeight;
  const int perRow = std::max(1, std::min(count, 1024 / patternW));
  const int rowsNeeded = (count + perRow - 1) / perRow;
  const int rowsPerTex = std::max(1, std::min(rowsNeeded, 1024 / patternH));
  const int texW = perRow * patternW, texH = rowsPerTex * patternH;
  const int perTex = perRow * rowsPerTex;
  const int texCount = (count + perTex - 1) / perTex;
  std::vector<std::vector<uint32_t>> tex(static_cast<size_t>(texCount),
                                         std::vector<uint32_t>(static_cast<size_t>(texW) * texH, 0x00FFFFFFu));
  for (int i = 0; i < count; ++i) {
    const G& g = glyphs[static_cast<size_t>(i)];
    const int t = i / perTex, cell = i % perTex;
    const int cx = (cell % perRow) * patternW, cy = (cell / perRow) * patternH;
    for (int y = 0; y < g.h; ++y) {
      const int py = ascender - g.top + y;
      if (py < 0 || py >= patternH) continue;
      for (int x = 0; x < g.w; ++x) {
        const int px = g.left + x;
        if (px >= patternW) continue;
        tex[static_cast<size_t>(t)][static_cast<size_t>(cy + py) * texW + cx + px] =
            (static_cast<uint32_t>(g.cov[static_cast<size_t>(y) * g.w + x]) << 24) | 0x00FFFFFFu;
      }
    }
  }

  record.clear();
  ByteWriter w(record);
  w.WriteInt32(first);
  w.WriteInt32(0);  // extra advance
  w.WriteInt32(0);  // not used
  w.WriteInt32(count);
  for (const G& g : glyphs) {
    w.WriteInt32(g.advance);
    w.WriteInt32(lineHeight);
  }
  w.WriteUInt8(5);  // A8R8G8B8
  w.WriteInt32(patternW);
  w.WriteInt32(patternH);
  w.WriteInt32(patternW);
  w.WriteInt32(patternH);
  w.WriteInt32(count);
  w.WriteInt32(texW);
  w.WriteInt32(texH);
  w.WriteInt32(texCount);
  for (const auto& t : tex)
    for (uint32_t px : t) w.WriteInt32(static_cast<int32_t>(px));
  return true;
}

}  // namespace qel

namespace {
int FontUsage() {
  std::fprintf(stderr, "usage: qeltool font TTF PIXELSIZE NAME -o ARCHIVE [--first N] [--count N]\n");
  return 2;
}
}  // namespace

int RunFontCommand(int argc, char** argv) {
  std::vector<std::string> pos;
  std::string archive;
  long first = 32, count = 224;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      archive = argv[++i];
    } else if (std::strcmp(argv[i], "--first") == 0 && i + 1 < argc) {
      if (!qel::ParseIntArg(argv[++i], first)) return FontUsage();
    } else if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
      if (!qel::ParseIntArg(argv[++i], count)) return FontUsage();
    } else {
      pos.push_back(argv[i]);
    }
  }
  long size = 0;
  if (pos.size() != 3 || archive.empty() || !qel::ParseIntArg(pos[1].c_str(), size)) return FontUsage();
  std::string record, error;
  if (!qel::BuildFontRecord(pos[0], static_cast<int>(size), static_cast<int>(first), static_cast<int>(count), record,
                            error) ||
      !qel::AddArchiveRecord(archive, pos[2], qel::TResDb::kTypeFont, record, error)) {
    std::fprintf(stderr, "qeltool font: %s\n", error.c_str());
    return 2;
  }
  return 0;
}
