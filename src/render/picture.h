#pragma once
// Picture decoding (the formats the image cache reads): PNG (libpng), JPEG (libjpeg-turbo), TGA and
// Windows BMP (own readers)
// to 32-bit pixels. A corrupt or truncated picture fails cleanly: false, an empty
// bitmap and a message; nothing is read past the end of the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// A 32-bit bitmap: rows top-down, each pixel a 0xAARRGGBB value (so in memory,
// on little-endian machines, B G R A, the layout of Direct3D's A8R8G8B8).
struct TBitmap32 {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  bool Empty() const { return width <= 0 || height <= 0; }
  void Resize(int w, int h, uint32_t fill = 0) {
    width = w;
    height = h;
    pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), fill);
  }
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
  uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

// The raw palette indices of an 8-bit (or 1/4-bit) palettised BMP, one byte per pixel,
// rows top-down without padding. Needed for the 8-bit alpha masks of the image cache.
struct TIndexedRows {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;
};

enum class TPictureKind { Bmp, Tga, Jpeg, Png };

// By extension, case-insensitive: ".tga", ".jpg"/".jpeg", ".png"; anything else BMP.
TPictureKind PictureKindFromName(std::string_view name);

// Largest accepted picture (each side, and in pixels): larger headers count as corrupt.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = 64LL * 1024 * 1024;

bool DecodePicture(const uint8_t* data, size_t size, TPictureKind kind, TBitmap32& out, std::string* error = nullptr);
bool DecodePng(const uint8_t* data, size_t size, TBitmap32& out, std::string* error = nullptr);
bool DecodeJpeg(const uint8_t* data, size_t size, TBitmap32& out, std::string* error = nullptr);
bool DecodeTga(const uint8_t* data, size_t size, TBitmap32& out, std::string* error = nullptr);
// BMP: 1, 4, 8 (plain, RLE8, RLE4), 16, 24 and 32 bits. When `indices` is given and the
// picture is palettised, it receives the raw indices (else it is left empty). A 32-bit BMP
// keeps its fourth byte as alpha unless that byte is 0 in every pixel (then alpha is 255).
bool DecodeBmp(const uint8_t* data, size_t size, TBitmap32& out, TIndexedRows* indices = nullptr,
               std::string* error = nullptr);

// Reads a whole file into memory (false when it cannot be opened or read).
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out);
// Decodes a picture file by its extension.
bool LoadPictureFile(const std::string& path, TBitmap32& out, std::string* error = nullptr);

}  // namespace qel
