#include "asset_files.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace demo {

namespace fs = std::filesystem;

namespace {

std::vector<uint32_t> Paint(int w, int h, const Shader& shade) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = shade(x, y);
  return px;
}

bool WriteBytes(const fs::path& file, const std::string& bytes) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && ok;
}

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

void PutFloat(std::string& s, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  Put32(s, bits);
}

}  // namespace

bool WritePng(const fs::path& file, int w, int h, const Shader& shade) {
  const std::vector<uint32_t> px = Paint(w, h, shade);
  std::vector<uint8_t> rgba(px.size() * 4);
  for (size_t i = 0; i < px.size(); ++i) {
    rgba[i * 4 + 0] = px[i] >> 16;
    rgba[i * 4 + 1] = px[i] >> 8;
    rgba[i * 4 + 2] = px[i];
    rgba[i * 4 + 3] = px[i] >> 24;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_RGBA;
  const bool ok = png_image_write_to_file(&image, file.c_str(), 0, rgba.data(), w * 4, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

bool WriteJpeg(const fs::path& file, int w, int h, const Shader& shade) {
  const std::vector<uint32_t> px = Paint(w, h, shade);
  std::vector<uint8_t> rgb(px.size() * 3);
  for (size_t i = 0; i < px.size(); ++i) {
    rgb[i * 3 + 0] = px[i] >> 16;
    rgb[i * 3 + 1] = px[i] >> 8;
    rgb[i * 3 + 2] = px[i];
  }
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 92, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = &rgb[static_cast<size_t>(c.next_scanline) * w * 3];
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(out) == 0;
}

bool WriteBmp(const fs::path& file, int w, int h, const Shader& shade) {
  const std::vector<uint32_t> px = Paint(w, h, shade);
  const int stride = (w * 3 + 3) & ~3;
  std::string s = "BM";
  Put32(s, static_cast<uint32_t>(54 + stride * h));
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(w));
  Put32(s, static_cast<uint32_t>(h));
  s += std::string("\x01\x00\x18\x00", 4);  // one plane, 24 bits
  for (int i = 0; i < 6; ++i) Put32(s, 0);
  for (int y = h - 1; y >= 0; --y) {  // bottom row first
    std::string row;
    for (int x = 0; x < w; ++x) {
      const uint32_t p = px[static_cast<size_t>(y) * w + x];
      row += static_cast<char>(p);
      row += static_cast<char>(p >> 8);
      row += static_cast<char>(p >> 16);
    }
    row.resize(static_cast<size_t>(stride), '\0');
    s += row;
  }
  return WriteBytes(file, s);
}

bool WriteEffect(const fs::path& file, const EffectRecord& e) {
  std::string s;
  Put32(s, static_cast<uint32_t>(e.firstPattern));
  Put32(s, static_cast<uint32_t>(e.lastPattern));
  Put32(s, 0);
  Put32(s, e.drawEffect);
  Put32(s, static_cast<uint32_t>(e.emission));
  for (float f : {e.lifetime, e.lifeMin, e.lifeMax, e.direction, e.spread}) PutFloat(s, f);
  Put32(s, e.relative ? 1 : 0);
  for (float f : {e.speedMin, e.speedMax, e.gravityMin, e.gravityMax, e.radialMin, e.radialMax, e.tangentialMin,
                  e.tangentialMax, e.sizeStart, e.sizeMiddle, e.sizeEnd, e.sizeVariation, e.spinStart, e.spinMiddle,
                  e.spinEnd, e.spinVariation})
    PutFloat(s, f);
  for (uint32_t c : {e.colourStart, e.colourMiddle, e.colourEnd}) Put32(s, c);
  for (float f : {e.colourVariation, e.alphaVariation, e.middlePoint}) PutFloat(s, f);
  Put32(s, e.newestFirst ? 1 : 0);
  return s.size() == 136 && WriteBytes(file, s);
}

}  // namespace demo
