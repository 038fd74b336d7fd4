#pragma once
// Textures. A TGfxImage holds a picture cut into equal patterns, laid into
// one or more GL textures; TGfxImages is the device's texture list.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "render/gfx_types.h"
#include "render/gl_funcs.h"
#include "render/picture.h"

namespace qel {

class TGfxDevice;

enum class TGfxQuality { aqLow, aqMedium, aqHigh };
enum class TAlphaLevel { alNone, alMask, alFull, alExclusive };

// Pixel-format codes of texture streams.
enum TGfxFormat : int {
  fmtR3G3B2 = 0, fmtR5G6B5 = 1, fmtX8R8G8B8 = 2, fmtX1R5G5B5 = 3, fmtX4R4G4B4 = 4, fmtA8R8G8B8 = 5,
  fmtA1R5G5B5 = 6, fmtA4R4G4B4 = 7, fmtA8R3G3B2 = 8, fmtL8 = 9, fmtA8 = 10,
};
int FormatBytesPerPixel(int code);  // 0 for an unknown code
// Converts one pixel of format `code` (little-endian bytes at p) to 0xAARRGGBB.
// X8R8G8B8 and A8R8G8B8 share a layout (the fourth byte is copied), as do X4R4G4B4 and A4R4G4B4.
uint32_t FormatToArgb(int code, const uint8_t* p);
// The format the device uses for (AlphaLevel, Quality): the first of the device's list that the
// GL device accepts. It accepts X8R8G8B8 and A8R8G8B8 (every texture is stored as 32-bit).
int ChooseTextureFormat(TAlphaLevel alpha, TGfxQuality quality);

class TGfxImage {
 public:
  explicit TGfxImage(TGfxDevice* device = nullptr);
  ~TGfxImage();
  TGfxImage(const TGfxImage&) = delete;
  TGfxImage& operator=(const TGfxImage&) = delete;

  std::string Name = "[unnamed]";
  int PatternWidth = 0, PatternHeight = 0;
  int VisibleWidth = 0, VisibleHeight = 0;  // the part of the pattern cell drawn
  int TextureWidth = 0, TextureHeight = 0;
  int PatternCount = 0;
  TGfxQuality Quality = TGfxQuality::aqHigh;
  TAlphaLevel AlphaLevel = TAlphaLevel::alFull;
  bool Mipmapping = false;  // stored; the GL layer does not build mipmaps

  void SetPatternSize(int w, int h) { PatternWidth = w; PatternHeight = h; }
  void SetVisibleSize(int w, int h) { VisibleWidth = w; VisibleHeight = h; }
  void SetTextureSize(int w, int h) { TextureWidth = w; TextureHeight = h; }

  // Upload from a 32-bit bitmap with the colour-key rule. Patterns are cut from
  // the bitmap row by row; PatternCount <= 0 takes every whole pattern of the bitmap.
  // Each pattern is stored in a cell with a one-pixel border that repeats its edge pixels.
  bool UploadFromBitmap(const TBitmap32& bmp, bool colorKey = false, uint32_t keyColor = 0, int tolerance = 0);
  // Loads a texture stream (font records) at `data`; advances `pos`.
  bool LoadFromStream(const uint8_t* data, size_t size, size_t& pos);

  // The ARGB colour of a texel of texture `texture` (0 outside).
  uint32_t GetPixel(int x, int y, int texture) const;
  // The ARGB colour of pixel (x, y) of pattern p (0 outside the pattern), for hit tests.
  uint32_t GetPatternPixel(int p, int x, int y) const;

  int TextureCount() const { return static_cast<int>(textures_.size()); }
  int Format() const { return format_; }
  int PatternsPerTexture() const;
  // Where pattern p (already clamped) lies: texture index and top-left texel of its cell.
  void PatternOrigin(int p, int& texture, int& x, int& y) const;
  GLuint TextureId(int texture) const;

  // GL lifetime (driven by the owning list from the device notifications).
  void ReleaseGL();
  bool UploadGL();
  void SetDevice(TGfxDevice* device) { device_ = device; }

 private:
  struct Tex {
    std::vector<uint32_t> pixels;  // CPU copy, TextureWidth x TextureHeight, ARGB
    GLuint id = 0;
  };
  TGfxDevice* device_ = nullptr;
  std::vector<Tex> textures_;
  int format_ = fmtA8R8G8B8;
  int cellStrideX_ = 0, cellStrideY_ = 0, cellOffset_ = 0;
};

class TGfxImages : public TGfxSubscriber {
 public:
  explicit TGfxImages(TGfxDevice& device);
  ~TGfxImages() override;

  bool MipMappping = false;

  TGfxImage* Add();
  int IndexOf(const TGfxImage* image) const;
  void Delete(int index);
  void Remove(TGfxImage* image) { Delete(IndexOf(image)); }
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TGfxImage* Item(int index) const;

  bool DeviceNotify(int msg) override;

 private:
  TGfxDevice& device_;
  std::vector<std::unique_ptr<TGfxImage>> items_;
};

}  // namespace qel
