#include "render/picture.h"

#include <cstring>

#include <png.h>

#include "render/picture_internal.h"

namespace qel {

using namespace picture_detail;

namespace {
constexpr uint64_t kDeflateMaxRatio = 1032;
}  // namespace

bool DecodePng(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  out = TBitmap32{};
  if (!data || size < 8) return Fail(out, error, "png: too short");
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, data, size)) {
    std::string msg = std::string("png: ") + img.message;
    png_image_free(&img);
    if (error) *error = msg;
    return false;
  }
  if (!SizeOk(img.width, img.height)) {
    png_image_free(&img);
    return Fail(out, error, "png: bad size");
  }
  // Deflate packs at most 1032 bytes into one, and every pixel takes at least one bit of the
  // filtered rows: a picture larger than its data could hold is refused before it is allocated.
  const uint64_t leastRowBytes = (static_cast<uint64_t>(img.width) + 7) / 8;
  if (static_cast<uint64_t>(size) * kDeflateMaxRatio < leastRowBytes * img.height) {
    png_image_free(&img);
    return Fail(out, error, "png: too little data for its size");
  }
  img.format = PNG_FORMAT_BGRA;  // memory B G R A = 0xAARRGGBB little-endian
  TBitmap32 bmp;
  bmp.Resize(static_cast<int>(img.width), static_cast<int>(img.height));
  if (!png_image_finish_read(&img, nullptr, bmp.pixels.data(), static_cast<png_int_32>(img.width * 4), nullptr)) {
    std::string msg = std::string("png: ") + img.message;
    png_image_free(&img);
    if (error) *error = msg;
    out = TBitmap32{};
    return false;
  }
  png_image_free(&img);
  out = std::move(bmp);
  return true;
}


}  // namespace qel
