#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "render/picture.h"
#include "picture_samples.h"

using namespace qel;
using namespace qel::picture_samples;

namespace {

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

// PNG samples come out as stored, whatever the file says about gamma: 16-bit samples scaled
// to 8 bits (rounded), smaller ones spread over 0..255, palette colours looked up, and tRNS
// turned into alpha. Every colour type and depth, interlaced or not, with gAMA 1.0 or none.
namespace {

uint8_t To8(uint16_t v, int depth) {
  return static_cast<uint8_t>(depth == 16 ? (v * 255u + 32767u) / 65535u : v * 255u / ((1u << depth) - 1));
}

// What the samples of pixel i stand for, as 0xAARRGGBB.
uint32_t StoredColour(const test::PngSamples& p, size_t i) {
  const int channels = p.colourType == 2 ? 3 : p.colourType == 4 ? 2 : p.colourType == 6 ? 4 : 1;
  const uint16_t* s = &p.samples[i * channels];
  if (p.colourType == 3) {
    const uint32_t alpha = s[0] < p.transparent.size() ? p.transparent[s[0]] : 255;
    return alpha << 24 | p.palette[s[0]];
  }
  const bool grey = p.colourType == 0 || p.colourType == 4;
  const uint32_t r = To8(s[0], p.bitDepth), g = To8(s[grey ? 0 : 1], p.bitDepth), b = To8(s[grey ? 0 : 2], p.bitDepth);
  uint32_t a = 255;
  if (p.colourType == 4 || p.colourType == 6) a = To8(s[channels - 1], p.bitDepth);
  if (!p.transparent.empty() && std::equal(s, s + channels, p.transparent.begin())) a = 0;
  return a << 24 | r << 16 | g << 8 | b;
}

test::PngSamples PngOf(int colourType, int depth, bool interlaced, double gamma, bool transparent) {
  test::PngSamples p{13, 9, colourType, depth, interlaced, gamma, {}, {}, {}};
  const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  const uint32_t top = (1u << depth) - 1;
  for (int i = 0; i < p.width * p.height * channels; ++i)
    p.samples.push_back(static_cast<uint16_t>((i * 40503u + i / 7 * 977u) & top));
  if (colourType == 3) {
    for (uint32_t e = 0; e <= top; ++e) p.palette.push_back((e * 0x9E3779B9u) >> 8);
    if (transparent) p.transparent = {0, 64, 128, 255, 10};
  } else if (transparent && (colourType == 0 || colourType == 2)) {
    p.transparent.assign(p.samples.begin() + 5 * channels, p.samples.begin() + 6 * channels);  // pixel 5's colour
  }
  if (colourType == 3 && p.transparent.size() > p.palette.size()) p.transparent.resize(p.palette.size());
  return p;
}

}  // namespace

TEST(Picture, PngSamplesAsStored) {
  const struct {
    int colourType;
    std::vector<int> depths;
  } kinds[] = {{0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
  for (const auto& kind : kinds)
    for (int depth : kind.depths)
      for (bool interlaced : {false, true})
        for (double gamma : {0.0, 1.0})
          for (bool transparent : {false, true}) {
            if (transparent && (kind.colourType == 4 || kind.colourType == 6)) continue;
            const test::PngSamples p = PngOf(kind.colourType, depth, interlaced, gamma, transparent);
            std::vector<uint8_t> png = AsBytes(test::EncodePngSamples(p));
            SCOPED_TRACE(::testing::Message() << "type " << kind.colourType << " depth " << depth << " interlaced "
                                              << interlaced << " gamma " << gamma << " tRNS " << transparent);
            TBitmap32 out;
            std::string err;
            ASSERT_TRUE(DecodePng(png.data(), png.size(), out, &err)) << err;
            ASSERT_EQ(out.width, p.width);
            ASSERT_EQ(out.height, p.height);
            std::vector<uint32_t> want;
            for (size_t i = 0; i < out.pixels.size(); ++i) want.push_back(StoredColour(p, i));
            EXPECT_EQ(out.pixels, want);
          }
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

// Four-ink JPEGs come out as the colours they print: R = (255 - C) (255 - K) / 255 and so on.
// Files with the Adobe marker keep their inks inverted.
TEST(Picture, CmykJpegsDecodeToRgb) {
  const uint8_t inks[][4] = {{0, 128, 255, 64}, {200, 20, 90, 0}, {0, 0, 0, 0}, {30, 60, 90, 255}};
  for (bool ycck : {false, true})
    for (bool adobe : {false, true}) {
      if (ycck && !adobe) continue;  // YCCK is only told apart by the Adobe marker
      std::string pixels;
      for (int y = 0; y < 8; ++y)
        for (const auto& ink : inks)
          for (int i = 0; i < 8; ++i)  // 8x8 blocks of one colour keep the compression honest
            for (uint8_t v : ink) pixels += static_cast<char>(adobe ? 255 - v : v);
      std::vector<uint8_t> jpg = AsBytes(test::EncodeCmykJpeg(32, 8, pixels, ycck, adobe));
      TBitmap32 out;
      std::string err;
      ASSERT_TRUE(DecodeJpeg(jpg.data(), jpg.size(), out, &err)) << err << " ycck " << ycck << " adobe " << adobe;
      ASSERT_EQ(out.width, 32);
      for (int k = 0; k < 4; ++k) {
        const uint32_t p = out.At(8 * k + 3, 4);
        const int white = 255 - inks[k][3];
        EXPECT_EQ(p >> 24, 255u);
        for (int c = 0; c < 3; ++c)
          EXPECT_NEAR(static_cast<int>((p >> (16 - 8 * c)) & 0xFF), (255 - inks[k][c]) * white / 255, 3)
              << "colour " << k << " channel " << c << " ycck " << ycck << " adobe " << adobe;
      }
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

// Indices past a short palette: a bitmap below 32 bits is opaque, so they show black.
TEST(Picture, BmpIndexPastPaletteIsOpaqueBlack) {
  std::vector<uint8_t> bmp = BmpHeader(4, 1, 8, 0, 2, 4);
  Put32(bmp, 0x00FF0000u);
  Put32(bmp, 0x0000FF00u);
  bmp.insert(bmp.end(), {0, 1, 2, 255});
  TBitmap32 out;
  TIndexedRows idx;
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), out, &idx));
  EXPECT_EQ(out.pixels, (std::vector<uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF000000u, 0xFF000000u}));
  EXPECT_EQ(idx.indices, (std::vector<uint8_t>{0, 1, 2, 255}));
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
  ExpectAllPrefixesFail(AsBytes(test::EncodeCmykJpeg(8, 8, std::string(256, '\x40'), true, true)), TPictureKind::Jpeg);
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

namespace {

// RLE8 data of `rows` rows of `w` pixels, each coded at RLE's densest (runs of 255).
std::vector<uint8_t> DenseRle8(int w, int rows) {
  std::vector<uint8_t> data;
  for (int y = 0; y < rows; ++y) {
    for (int left = w; left > 0; left -= 255) data.insert(data.end(), {static_cast<uint8_t>(std::min(left, 255)), 7});
    data.insert(data.end(), {0, 0});
  }
  data.insert(data.end(), {0, 1});
  return data;
}

std::vector<uint8_t> Rle8Bmp(int w, int h, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> v = BmpHeader(w, h, 8, 1, 256, static_cast<uint32_t>(data.size()));
  for (int i = 0; i < 256; ++i) Put32(v, static_cast<uint32_t>(i * 0x010101));
  v.insert(v.end(), data.begin(), data.end());
  return v;
}

}  // namespace

TEST(Picture, RleBmpMustBringDataForItsSize) {
  TBitmap32 out;
  std::string err;
  // Two bytes (end of picture) declaring the largest picture the reader takes.
  std::vector<uint8_t> tiny = Rle8Bmp(8192, 8192, {0, 1});
  EXPECT_FALSE(DecodeBmp(tiny.data(), tiny.size(), out, nullptr, &err));
  EXPECT_EQ(err, "bmp: RLE data too short for the declared size");
  EXPECT_TRUE(out.Empty());
  // A sparse picture the size of a screen still reads: what the data skips is index 0.
  std::vector<uint8_t> sparse = Rle8Bmp(1024, 768, {3, 9, 0, 1});
  TIndexedRows idx;
  ASSERT_TRUE(DecodeBmp(sparse.data(), sparse.size(), out, &idx));
  EXPECT_EQ(idx.indices[767 * 1024 + 2], 9);  // the first file row is the bottom one
  EXPECT_EQ(idx.indices[0], 0);
  // Past the free size, a picture coded at the densest ratio reads, one declaring more rows does not.
  const std::vector<uint8_t> dense = DenseRle8(4096, 1025);
  std::vector<uint8_t> full = Rle8Bmp(4096, 1025, dense);
  ASSERT_TRUE(DecodeBmp(full.data(), full.size(), out, &idx, &err)) << err;
  EXPECT_EQ(idx.indices[5], 7);
  std::vector<uint8_t> taller = Rle8Bmp(4096, 4096, dense);
  EXPECT_FALSE(DecodeBmp(taller.data(), taller.size(), out));
}

TEST(Picture, MissingFileFails) {
  TBitmap32 out;
  std::string err;
  EXPECT_FALSE(LoadPictureFile("/nonexistent/x.png", out, &err));
  EXPECT_FALSE(err.empty());
}
