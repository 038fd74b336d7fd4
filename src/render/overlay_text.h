#pragma once
// The player's own text over the game picture (the inspector, short notices):
// lines in a box, drawn through the canvas in a monospaced TrueType font that
// is rasterised once into a glyph texture. The font is the system's DejaVu
// Sans Mono, found at known places; without it the boxes are drawn empty.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "render/gfx_types.h"

namespace qel {

class TGfx2D;
class TGfxImage;
class TGfxImages;

struct OverlayLine {
  std::string text;    // UTF-8
  uint32_t color = 0;  // ARGB; 0 takes the box's text colour
};

struct OverlayStyle {
  uint32_t text = 0xFFE8E8E8u;
  uint32_t back = 0xD0101418u;
  uint32_t frame = 0xFF707880u;
  int padding = 4;
};

class OverlayText {
 public:
  // Where the font is looked for, in this order.
  static std::vector<std::filesystem::path> DefaultFontFiles();

  explicit OverlayText(TGfxImages& textures, std::vector<std::filesystem::path> fontFiles = DefaultFontFiles(),
                       int pixelSize = 13);
  ~OverlayText();
  OverlayText(const OverlayText&) = delete;
  OverlayText& operator=(const OverlayText&) = delete;

  // Loads the font the first time it is asked; false when none of the files can be used
  // (then Problem() says which were tried).
  bool Ready();
  const std::string& Problem() const { return problem_; }

  // The character cell; a fixed guess while there is no font, so that boxes keep their size.
  int CharWidth() const { return cellW_; }
  int LineHeight() const { return cellH_; }
  // Characters of a UTF-8 text, each one cell wide.
  static size_t Length(std::string_view utf8);
  // The text cut to at most `cells` characters, with "…" in place of what was cut.
  static std::string Fit(std::string_view utf8, size_t cells);

  // The box lines would take at (x, y).
  TGfxRect Measure(int x, int y, const std::vector<OverlayLine>& lines, const OverlayStyle& style = {}) const;
  // Draws the box and its lines at (x, y); returns the box.
  TGfxRect DrawBox(TGfx2D& canvas, int x, int y, const std::vector<OverlayLine>& lines,
                   const OverlayStyle& style = {});
  // One line of text, its top-left cell at (x, y); characters the font lacks show as "?".
  void DrawText(TGfx2D& canvas, int x, int y, std::string_view utf8, uint32_t color);

 private:
  bool Load();
  int GlyphOf(char32_t cp) const;

  TGfxImages& textures_;
  std::vector<std::filesystem::path> fontFiles_;
  int pixelSize_;
  bool tried_ = false;
  std::string problem_;
  TGfxImage* texture_ = nullptr;  // owned by the texture list
  std::vector<char32_t> codes_;   // sorted; the glyph of codes_[i] is pattern i
  int question_ = -1;             // the glyph of "?"
  int cellW_ = 8, cellH_ = 15;
};

}  // namespace qel
