#include "render/picture.h"

#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

#include "render/picture_internal.h"

namespace qel {

using namespace picture_detail;

// Pictures of a game are authored to be shown as stored: the samples are taken as they are in
// the file (16-bit ones scaled to 8 bits, smaller ones spread over 0..255, palettes looked up,
// tRNS made alpha), and gAMA, sRGB and colour profiles are not applied. libpng's ordinary reader
// does no colour conversion unless asked; its simplified reader converts gamma and takes 16-bit
// samples as linear light.
namespace {

constexpr uint64_t kDeflateMaxRatio = 1032;

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
  char message[200];
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > src->size - src->pos) png_error(png, "premature end of data");
  std::memcpy(out, src->data + src->pos, length);
  src->pos += length;
}

void StopOnError(png_structp png, png_const_charp message) {
  auto* src = static_cast<PngSource*>(png_get_error_ptr(png));
  std::strncpy(src->message, message ? message : "error", sizeof src->message - 1);
  src->message[sizeof src->message - 1] = '\0';
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Owns libpng's reader for one picture.
class PngReader {
 public:
  explicit PngReader(PngSource& src) {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, StopOnError, IgnoreWarning);
    if (png_) info_ = png_create_info_struct(png_);
    if (info_) png_set_read_fn(png_, &src, ReadFromMemory);
  }
  ~PngReader() { png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  bool Ready() const { return png_ && info_; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// Reads the header and asks for 8-bit B G R A rows (0xAARRGGBB in memory) with no colour
// change. Only plain values live here: libpng leaves through longjmp on errors.
bool ReadHeader(png_structp png, png_infop info, png_uint_32& width, png_uint_32& height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
  png_read_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  const int colourType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  const bool transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (depth == 16) png_set_scale_16(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (transparentColour) png_set_tRNS_to_alpha(png);
  if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  if (!(colourType & PNG_COLOR_MASK_ALPHA) && !transparentColour) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return true;
}

bool ReadPixels(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  return true;
}

bool Failed(TBitmap32& out, std::string* error, const PngSource& src) {
  out = TBitmap32{};
  if (error) *error = std::string("png: ") + src.message;
  return false;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  out = TBitmap32{};
  if (!data || size < 8) return Fail(out, error, "png: too short");
  if (png_sig_cmp(data, 0, 8) != 0) return Fail(out, error, "png: not a PNG file");
  PngSource src{data, size, 0, "error"};
  PngReader reader(src);
  if (!reader.Ready()) return Fail(out, error, "png: out of memory");
  png_uint_32 width = 0, height = 0;
  if (!ReadHeader(reader.png(), reader.info(), width, height)) return Failed(out, error, src);
  if (!SizeOk(width, height)) return Fail(out, error, "png: bad size");
  if (png_get_rowbytes(reader.png(), reader.info()) != static_cast<size_t>(width) * 4)
    return Fail(out, error, "png: unsupported format");
  // Deflate packs at most 1032 bytes into one, and every pixel takes at least one bit of the
  // filtered rows: a picture larger than its data could hold is refused before it is allocated.
  const uint64_t leastRowBytes = (static_cast<uint64_t>(width) + 7) / 8;
  if (static_cast<uint64_t>(size) * kDeflateMaxRatio < leastRowBytes * height)
    return Fail(out, error, "png: too little data for its size");
  TBitmap32 bmp;
  bmp.Resize(static_cast<int>(width), static_cast<int>(height));
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(&bmp.pixels[static_cast<size_t>(y) * width]);
  if (!ReadPixels(reader.png(), rows.data())) return Failed(out, error, src);
  out = std::move(bmp);
  return true;
}

}  // namespace qel
