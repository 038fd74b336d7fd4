#pragma once
// Picture files for cache tests, encoded in memory: PNG and JPEG through the
// system libraries, 8-bit palettised BMP by hand (the mask form).
#include <string>
#include <vector>

#include "render/picture.h"
#include "support/picture_encoders.h"

namespace qel::test {

inline std::string AsString(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

inline TBitmap32 Solid(int w, int h, uint32_t argb) {
  TBitmap32 b;
  b.Resize(w, h, argb);
  return b;
}

// An 8-bit BMP with a grey palette: index i is grey level i.
inline std::string EncodeBmp8(int w, int h, const std::vector<uint8_t>& indices) {
  const int stride = (w + 3) & ~3;
  const uint32_t offset = 14 + 40 + 256 * 4;
  std::string v;
  auto put16 = [&](uint32_t x) { v += static_cast<char>(x & 0xFF), v += static_cast<char>((x >> 8) & 0xFF); };
  auto put32 = [&](uint32_t x) { put16(x & 0xFFFF), put16(x >> 16); };
  v += "BM";
  put32(offset + static_cast<uint32_t>(stride * h));
  put32(0);
  put32(offset);
  put32(40), put32(static_cast<uint32_t>(w)), put32(static_cast<uint32_t>(h));
  put16(1), put16(8), put32(0), put32(static_cast<uint32_t>(stride * h)), put32(2835), put32(2835), put32(256),
      put32(0);
  for (uint32_t i = 0; i < 256; ++i) put32(i * 0x010101u);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) v += static_cast<char>(indices[static_cast<size_t>(y * w + x)]);
    v.append(static_cast<size_t>(stride - w), '\0');
  }
  return v;
}

}  // namespace qel::test
