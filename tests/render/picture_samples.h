#pragma once
// Small pictures of every format, encoded by libpng, libjpeg or by hand, for the decoder tests.
#include <cstdint>
#include <string>
#include <vector>

#include "render/picture.h"
#include "support/picture_encoders.h"

namespace qel::picture_samples {

// A 7x5 test picture with distinct colours and varying alpha.
inline TBitmap32 Sample(bool alpha) {
  TBitmap32 b;
  b.Resize(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      b.At(x, y) = (static_cast<uint32_t>(alpha ? 40 * y + 10 : 255) << 24) | ((x * 36) << 16) | ((y * 60) << 8) |
                   static_cast<uint32_t>((x + y) * 20);
  return b;
}

inline std::vector<uint8_t> AsBytes(const std::string& s) { return {s.begin(), s.end()}; }
inline std::vector<uint8_t> EncodePng(const TBitmap32& b) { return AsBytes(test::EncodePng(b)); }
inline std::vector<uint8_t> EncodeJpeg(const TBitmap32& b) { return AsBytes(test::EncodeJpeg(b)); }

inline void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(x & 0xFF);
  v.push_back((x >> 8) & 0xFF);
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

// TGA written by hand: 32-bit true colour, bottom-up, optionally RLE.
inline std::vector<uint8_t> EncodeTga(const TBitmap32& b, bool rle) {
  std::vector<uint8_t> v = {0, 0, static_cast<uint8_t>(rle ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16(v, static_cast<uint32_t>(b.width));
  Put16(v, static_cast<uint32_t>(b.height));
  v.push_back(32);
  v.push_back(8);  // 8 alpha bits, bottom-up
  for (int y = b.height - 1; y >= 0; --y) {
    for (int x = 0; x < b.width; ++x) {
      uint32_t c = b.At(x, y);
      if (rle) v.push_back(0);  // raw packet of one pixel
      Put32(v, c);
    }
  }
  return v;
}

inline std::vector<uint8_t> BmpHeader(int w, int h, int bpp, uint32_t compression, int paletteCount, uint32_t dataSize) {
  std::vector<uint8_t> v = {'B', 'M'};
  const uint32_t off = 14 + 40 + paletteCount * 4;
  Put32(v, off + dataSize);
  Put32(v, 0);
  Put32(v, off);
  Put32(v, 40);
  Put32(v, static_cast<uint32_t>(w));
  Put32(v, static_cast<uint32_t>(h));
  Put16(v, 1);
  Put16(v, static_cast<uint32_t>(bpp));
  Put32(v, compression);
  Put32(v, dataSize);
  Put32(v, 2835);
  Put32(v, 2835);
  Put32(v, static_cast<uint32_t>(paletteCount));
  Put32(v, 0);
  return v;
}

inline std::vector<uint8_t> EncodeBmp24(const TBitmap32& b) {
  const int stride = (b.width * 3 + 3) & ~3;
  std::vector<uint8_t> v = BmpHeader(b.width, b.height, 24, 0, 0, static_cast<uint32_t>(stride * b.height));
  for (int y = b.height - 1; y >= 0; --y) {
    for (int x = 0; x < b.width; ++x) {
      uint32_t c = b.At(x, y);
      v.push_back(c & 0xFF);
      v.push_back((c >> 8) & 0xFF);
      v.push_back((c >> 16) & 0xFF);
    }
    for (int k = b.width * 3; k < stride; ++k) v.push_back(0);
  }
  return v;
}

// 8-bit palettised: palette entry i = grey i; index = (x * 30 + y * 7) & 0xFF.
inline uint8_t IndexAt(int x, int y) { return static_cast<uint8_t>((x * 30 + y * 7) & 0xFF); }

inline std::vector<uint8_t> EncodeBmp8(int w, int h) {
  const int stride = (w + 3) & ~3;
  std::vector<uint8_t> v = BmpHeader(w, h, 8, 0, 256, static_cast<uint32_t>(stride * h));
  for (int i = 0; i < 256; ++i) Put32(v, static_cast<uint32_t>(i * 0x010101));
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) v.push_back(IndexAt(x, y));
    for (int k = w; k < stride; ++k) v.push_back(0);
  }
  return v;
}

// RLE8: each row as encoded runs of two equal pixels and absolute runs; end-of-line between
// rows, end-of-picture at the end.
inline std::vector<uint8_t> EncodeBmpRle8(int w, int h) {
  std::vector<uint8_t> data;
  for (int y = h - 1; y >= 0; --y) {
    // First 2 pixels as an encoded run of index IndexAt(0,y), the rest as an absolute run.
    data.push_back(2);
    data.push_back(IndexAt(0, y));
    const int rest = w - 2;
    data.push_back(0);
    data.push_back(static_cast<uint8_t>(rest));
    for (int x = 2; x < w; ++x) data.push_back(IndexAt(x, y));
    if (rest & 1) data.push_back(0);
    if (y > 0) {
      data.push_back(0);
      data.push_back(0);
    }
  }
  data.push_back(0);
  data.push_back(1);
  std::vector<uint8_t> v = BmpHeader(w, h, 8, 1, 256, static_cast<uint32_t>(data.size()));
  for (int i = 0; i < 256; ++i) Put32(v, static_cast<uint32_t>(i * 0x010101));
  v.insert(v.end(), data.begin(), data.end());
  return v;
}

}  // namespace qel::picture_samples
