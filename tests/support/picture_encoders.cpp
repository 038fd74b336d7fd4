#include "support/picture_encoders.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace qel::test {

std::string EncodePng(const TBitmap32& picture) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, picture.pixels.data(), 0, nullptr);
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, picture.pixels.data(), 0, nullptr)) return {};
  out.resize(size);
  return out;
}

namespace {

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

int ChannelsOf(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
  }
}

}  // namespace

std::string EncodePngSamples(const PngSamples& in) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendToString, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(in.width), static_cast<png_uint_32>(in.height), in.bitDepth,
               in.colourType, in.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (in.gamma != 0) png_set_gAMA(png, info, in.gamma);
  std::vector<png_color> palette;
  for (uint32_t c : in.palette)
    palette.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!in.transparent.empty()) {
    std::vector<png_byte> alpha(in.transparent.begin(), in.transparent.end());
    png_color_16 colour{};
    const std::vector<uint16_t>& t = in.transparent;
    if (in.colourType == PNG_COLOR_TYPE_GRAY) colour.gray = t[0];
    if (in.colourType == PNG_COLOR_TYPE_RGB) colour = {0, t[0], t[1], t[2], 0};
    png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), &colour);
  }
  png_write_info(png, info);
  if (in.bitDepth < 8) png_set_packing(png);  // one sample a byte in the rows handed over
  const size_t perRow = static_cast<size_t>(in.width) * ChannelsOf(in.colourType);
  const size_t sampleBytes = in.bitDepth == 16 ? 2 : 1;
  std::vector<png_byte> bytes(perRow * sampleBytes * in.height);
  for (size_t i = 0; i < in.samples.size() && i < perRow * in.height; ++i) {
    if (sampleBytes == 2) {
      bytes[2 * i] = static_cast<png_byte>(in.samples[i] >> 8);
      bytes[2 * i + 1] = static_cast<png_byte>(in.samples[i]);
    } else {
      bytes[i] = static_cast<png_byte>(in.samples[i]);
    }
  }
  std::vector<png_bytep> rows;
  for (int y = 0; y < in.height; ++y) rows.push_back(&bytes[y * perRow * sampleBytes]);
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string EncodeJpeg(const TBitmap32& picture, int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = static_cast<JDIMENSION>(picture.width);
  c.image_height = static_cast<JDIMENSION>(picture.height);
  c.input_components = 4;
  c.in_color_space = JCS_EXT_BGRA;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    const size_t first = static_cast<size_t>(c.next_scanline) * static_cast<size_t>(picture.width);
    auto* row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(&picture.pixels[first]));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::string out(reinterpret_cast<char*>(mem), size);
  jpeg_destroy_compress(&c);
  std::free(mem);
  return out;
}

std::string EncodeCmykJpeg(int width, int height, const std::string& cmyk, bool ycck, bool adobe) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 4;
  c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, ycck ? JCS_YCCK : JCS_CMYK);
  c.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    const size_t first = static_cast<size_t>(c.next_scanline) * static_cast<size_t>(width) * 4;
    auto* row = reinterpret_cast<JSAMPROW>(const_cast<char*>(cmyk.data() + first));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::string out(reinterpret_cast<char*>(mem), size);
  jpeg_destroy_compress(&c);
  std::free(mem);
  return out;
}

}  // namespace qel::test
