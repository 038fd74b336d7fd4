#pragma once
// Bitmap fonts. Fonts come from the font records (type 3) of the resource
// archive and draw through the canvas with TexMap.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "render/gfx_images.h"
#include "render/gfx_types.h"

namespace qel {

class TGfx2D;
class TGfxDevice;
class TResDb;

enum TFontStyle : uint32_t { fsBold = 1, fsItalic = 2, fsShadow = 4, fsEmboss = 8 };

struct TGlyph {
  int32_t advance = 0;
  int32_t height = 0;
};

class TGfxFont {
 public:
  TGfxFont(TGfxDevice* device, TGfx2D* canvas);

  std::string Name;
  int FirstChar = 32;
  int ExtraAdvance = 0;
  double Spacing = 0.0;
  double Scale = 1.0;
  double SpaceFactor = 0.3;
  bool InlineCodes = true;
  uint32_t Style = 0;
  uint32_t ShadowColor = 0;
  double ShadowOpacity = 0.5;
  double ShadowDistance = 1.0;
  uint32_t EmbossColor = 0;
  double EmbossOpacity = 0.8;

  std::vector<TGlyph> Glyphs;
  TGfxImage& Texture() { return texture_; }
  const TGfxImage& Texture() const { return texture_; }
  int GlyphCount() const { return static_cast<int>(Glyphs.size()); }

  // Parses a font record payload. False (and an empty font) when it is malformed.
  bool LoadFromRecord(const uint8_t* data, size_t size);

  void TextOut(std::string_view text, double x, double y, uint32_t top, uint32_t bottom, uint32_t fx);
  double TextWidth(std::string_view text) const;
  double TextHeight(std::string_view text) const;

  void SetCanvas(TGfx2D* canvas) { canvas_ = canvas; }

 private:
  // Length of an inline colour code at text[i] (10) and the colours it sets, or 0.
  // Calls fn for every character that is drawn (inline colour codes are skipped).
  template <class Fn>
  void ForEachShownChar(std::string_view text, Fn fn) const;
  int InlineCode(std::string_view text, size_t i, int& which, uint32_t& value) const;
  double Advance(unsigned char ch) const;

  TGfx2D* canvas_;
  TGfxImage texture_;
};

class TGfxFonts : public TGfxSubscriber {
 public:
  TGfxFonts(TGfxDevice& device, TGfx2D* canvas);
  ~TGfxFonts() override;

  TGfx2D* Canvas() const { return canvas_; }
  void SetCanvas(TGfx2D* canvas);

  // Loads every font record of the archive; returns how many fonts loaded.
  int LoadFromArchive(TResDb& archive);
  // Adds a font from a record payload, named "Font" + two-digit counter until renamed.
  TGfxFont* AddFromRecord(const uint8_t* data, size_t size);
  TGfxFont* Find(std::string_view name) const;  // case-insensitive; nullptr if none
  void RemoveAll();
  int Count() const { return static_cast<int>(fonts_.size()); }
  TGfxFont* Item(int i) const { return (i >= 0 && i < Count()) ? fonts_[static_cast<size_t>(i)].get() : nullptr; }

  bool DeviceNotify(int msg) override;

 private:
  TGfxDevice& device_;
  TGfx2D* canvas_;
  std::vector<std::unique_ptr<TGfxFont>> fonts_;
  int counter_ = 0;
};

}  // namespace qel
