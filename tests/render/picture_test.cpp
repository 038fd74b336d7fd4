#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "render/picture.h"

using namespace qel;

namespace {

// A 7x5 test picture with distinct colours and varying alpha.
TBitmap32 Sample(bool alpha) {
  TBitmap32 b;
  b.Resize(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      b.At(x, y) = (static_cast<uint32_t>(alpha ? 40 * y + 10 : 255) << 24) | ((x * 36) << 16) | ((y * 60) << 8) |
                   static_cast<uint32_t>((x + y) * 20);
  return b;
}

std::vector<uint8_t> EncodePng(const TBitmap32& b) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(b.width);
  img.height = static_cast<png_uint_32>(b.height);
  img.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&img, nullptr, &size, 0, b.pixels.data(), 0, nullptr);
  std::vector<uint8_t> out(size);
  EXPECT_TRUE(png_image_write_to_memory(&img, out.data(), &size, 0, b.pixels.data(), 0, nullptr));
  out.resize(size);
  return out;
}

std::vector<uint8_t> EncodeJpeg(const TBitmap32& b) {
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
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(&b.pixels[static_cast<size_t>(c.next_scanline) * b.width]));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> out(mem, mem + size);
  jpeg_destroy_compress(&c);
  std::free(mem);
  return out;
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(x & 0xFF);
  v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

// TGA written by hand: 32-bit true colour, bottom-up, optionally RLE.
std::vector<uint8_t> EncodeTga(const TBitmap32& b, bool rle) {
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

std::vector<uint8_t> BmpHeader(int w, int h, int bpp, uint32_t compression, int paletteCount, uint32_t dataSize) {
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

std::vector<uint8_t> EncodeBmp24(const TBitmap32& b) {
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
uint8_t IndexAt(int x, int y) { return static_cast<uint8_t>((x * 30 + y * 7) & 0xFF); }

std::vector<uint8_t> EncodeBmp8(int w, int h) {
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
std::vector<uint8_t> EncodeBmpRle8(int w, int h) {
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

// Every prefix fails, except that one which lacks only the last `trailer` bytes (PNG's IEND
// chunk, which follows the pixel data) may decode, and then to the whole picture.
void ExpectAllPrefixesFail(const std::vector<uint8_t>& full, TPictureKind kind, size_t trailer = 0) {
  TBitmap32 whole;
  ASSERT_TRUE(DecodePicture(full.data(), full.size(), kind, whole));
  for (size_t n = 0; n < full.size(); ++n) {
    // A heap copy of exactly n bytes, so that AddressSanitizer sees any read past the end.
    std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<ptrdiff_t>(n));
    TBitmap32 out;
    std::string err;
    const bool ok = DecodePicture(cut.empty() ? nullptr : cut.data(), cut.size(), kind, out, &err);
    if (n + trailer >= full.size() && ok) {
      EXPECT_EQ(out.pixels, whole.pixels) << "prefix " << n;
      continue;
    }
    EXPECT_FALSE(ok) << "prefix " << n;
    EXPECT_TRUE(out.Empty());
  }
}

void CorruptEveryByte(const std::vector<uint8_t>& full, TPictureKind kind) {
  // Flip bytes one at a time: decoding may succeed or fail, but must never crash or read
  // past the end (the sanitizer build checks).
  for (size_t i = 0; i < full.size(); ++i) {
    for (uint8_t x : {uint8_t{0xFF}, uint8_t{0x80}, uint8_t{0x01}}) {
      std::vector<uint8_t> bad = full;
      bad[i] ^= x;
      TBitmap32 out;
      if (DecodePicture(bad.data(), bad.size(), kind, out)) {
        EXPECT_EQ(out.pixels.size(), static_cast<size_t>(out.width) * out.height);
      }
    }
  }
}

}  // namespace

TEST(Picture, KindFromName) {
  EXPECT_EQ(PictureKindFromName("a.TGA"), TPictureKind::Tga);
  EXPECT_EQ(PictureKindFromName("dir/a.jpg"), TPictureKind::Jpeg);
  EXPECT_EQ(PictureKindFromName("a.JPEG"), TPictureKind::Jpeg);
  EXPECT_EQ(PictureKindFromName("a.Png"), TPictureKind::Png);
  EXPECT_EQ(PictureKindFromName("a.bmp"), TPictureKind::Bmp);
  EXPECT_EQ(PictureKindFromName("noext"), TPictureKind::Bmp);
}

TEST(Picture, PngRoundTrip) {
  TBitmap32 src = Sample(true), out;
  std::vector<uint8_t> png = EncodePng(src);
  ASSERT_TRUE(DecodePicture(png.data(), png.size(), TPictureKind::Png, out));
  ASSERT_EQ(out.width, 7);
  ASSERT_EQ(out.height, 5);
  EXPECT_EQ(out.pixels, src.pixels);
}

TEST(Picture, JpegDecodesOpaqueApproximately) {
  TBitmap32 src = Sample(false), out;
  for (auto& p : src.pixels) p = 0xFF3080C0u;  // flat colour: JPEG keeps it closely
  std::vector<uint8_t> jpg = EncodeJpeg(src);
  ASSERT_TRUE(DecodePicture(jpg.data(), jpg.size(), TPictureKind::Jpeg, out));
  ASSERT_EQ(out.width, 7);
  ASSERT_EQ(out.height, 5);
  for (uint32_t p : out.pixels) {
    EXPECT_EQ(p >> 24, 255u);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0x30, 3);
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 0x80, 3);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 0xC0, 3);
  }
}

TEST(Picture, TgaRoundTripPlainAndRle) {
  TBitmap32 src = Sample(true), out;
  for (bool rle : {false, true}) {
    std::vector<uint8_t> tga = EncodeTga(src, rle);
    ASSERT_TRUE(DecodePicture(tga.data(), tga.size(), TPictureKind::Tga, out)) << rle;
    EXPECT_EQ(out.pixels, src.pixels) << rle;
  }
}

TEST(Picture, TgaRleRunPacket) {
  // 3x1 grey picture, one run packet of 3 pixels of value 77, top-down.
  std::vector<uint8_t> v = {0, 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 0, 8, 0x20, 0x82, 77};
  TBitmap32 out;
  ASSERT_TRUE(DecodeTga(v.data(), v.size(), out));
  ASSERT_EQ(out.width, 3);
  for (uint32_t p : out.pixels) EXPECT_EQ(p, 0xFF4D4D4Du);
  v.back() = 0x82;
  v[18] = 0x83;  // run of 4 into a 3-pixel picture
  EXPECT_FALSE(DecodeTga(v.data(), v.size(), out));
}

TEST(Picture, Bmp24RoundTrip) {
  TBitmap32 src = Sample(false), out;
  std::vector<uint8_t> bmp = EncodeBmp24(src);
  ASSERT_TRUE(DecodePicture(bmp.data(), bmp.size(), TPictureKind::Bmp, out));
  EXPECT_EQ(out.pixels, src.pixels);
}

TEST(Picture, Bmp8KeepsIndices) {
  std::vector<uint8_t> bmp = EncodeBmp8(9, 4);
  TBitmap32 out;
  TIndexedRows idx;
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), out, &idx));
  ASSERT_EQ(idx.width, 9);
  ASSERT_EQ(idx.height, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) {
      EXPECT_EQ(idx.indices[static_cast<size_t>(y) * 9 + x], IndexAt(x, y));
      EXPECT_EQ(out.At(x, y), 0xFF000000u | IndexAt(x, y) * 0x010101u);
    }
}

TEST(Picture, BmpRle8) {
  std::vector<uint8_t> bmp = EncodeBmpRle8(9, 4);
  TBitmap32 out;
  TIndexedRows idx;
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), out, &idx));
  ASSERT_EQ(idx.width, 9);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x)
      EXPECT_EQ(idx.indices[static_cast<size_t>(y) * 9 + x], x < 2 ? IndexAt(0, y) : IndexAt(x, y)) << x << "," << y;
}

TEST(Picture, TruncatedPicturesFail) {
  TBitmap32 src = Sample(true);
  ExpectAllPrefixesFail(EncodePng(src), TPictureKind::Png, 12);
  ExpectAllPrefixesFail(EncodeJpeg(Sample(false)), TPictureKind::Jpeg);
  ExpectAllPrefixesFail(EncodeTga(src, false), TPictureKind::Tga);
  ExpectAllPrefixesFail(EncodeTga(src, true), TPictureKind::Tga);
  ExpectAllPrefixesFail(EncodeBmp24(src), TPictureKind::Bmp);
  ExpectAllPrefixesFail(EncodeBmp8(9, 4), TPictureKind::Bmp);
  ExpectAllPrefixesFail(EncodeBmpRle8(9, 4), TPictureKind::Bmp);
}

TEST(Picture, CorruptedPicturesNeverCrash) {
  TBitmap32 src = Sample(true);
  CorruptEveryByte(EncodePng(src), TPictureKind::Png);
  CorruptEveryByte(EncodeJpeg(Sample(false)), TPictureKind::Jpeg);
  CorruptEveryByte(EncodeTga(src, true), TPictureKind::Tga);
  CorruptEveryByte(EncodeBmp24(src), TPictureKind::Bmp);
  CorruptEveryByte(EncodeBmpRle8(9, 4), TPictureKind::Bmp);
}

TEST(Picture, HugeHeaderSizesAreRefused) {
  std::vector<uint8_t> bmp = BmpHeader(100000, 100000, 24, 0, 0, 0);
  TBitmap32 out;
  EXPECT_FALSE(DecodeBmp(bmp.data(), bmp.size(), out));
  std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 32, 8};
  EXPECT_FALSE(DecodeTga(tga.data(), tga.size(), out));
}

TEST(Picture, MissingFileFails) {
  TBitmap32 out;
  std::string err;
  EXPECT_FALSE(LoadPictureFile("/nonexistent/x.png", out, &err));
  EXPECT_FALSE(err.empty());
}
