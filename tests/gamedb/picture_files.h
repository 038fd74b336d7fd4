#pragma once
// Picture files for cache tests, encoded in memory: PNG and JPEG through the
// system libraries, 8-bit palettised BMP by hand (the mask form).
#include <jpeglib.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/picture.h"

namespace qel::test {

inline std::string AsString(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

inline TBitmap32 Solid(int w, int h, uint32_t argb) {
  TBitmap32 b;
  b.Resize(w, h, argb);
  return b;
}

inline std::string EncodePng(const TBitmap32& b) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(b.width);
  img.height = static_cast<png_uint_32>(b.height);
  img.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&img, nullptr, &size, 0, b.pixels.data(), 0, nullptr);
  std::string out(size, '\0');
  png_image_write_to_memory(&img, out.data(), &size, 0, b.pixels.data(), 0, nullptr);
  out.resize(size);
  return out;
}

inline std::string EncodeJpeg(const TBitmap32& b) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = static_cast<JDIMENSION>(b.width);
  c.image_height = static_cast<JDIMENSION>(b.height);
  c.input_components = 4;
  c.in_color_space = JCS_EXT_BGRA;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        const_cast<uint32_t*>(&b.pixels[static_cast<size_t>(c.next_scanline) * static_cast<size_t>(b.width)]));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::string out(reinterpret_cast<char*>(mem), size);
  jpeg_destroy_compress(&c);
  std::free(mem);
  return out;
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
