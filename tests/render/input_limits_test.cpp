// Pictures and archives whose headers claim more than their bytes hold: decoders check the
// claims against the bytes present before they allocate or read, for every header field at
// its limits. The largest allocation is measured by replacing operator new in this program.
#include <gtest/gtest.h>

#include <zlib.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "picture_samples.h"
#include "render/picture.h"
#include "render/res_db.h"

namespace {
std::atomic<bool> gTracking{false};
std::atomic<size_t> gLargest{0};
}  // namespace

void* operator new(size_t n) {
  if (gTracking.load(std::memory_order_relaxed) && n > gLargest.load(std::memory_order_relaxed)) gLargest = n;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
// GCC sees through the pair and takes free() for a mismatch with the new expression.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace qel {
namespace {

using namespace picture_samples;
using Bytes = std::vector<uint8_t>;

// Largest single allocation made while it lives.
class LargestAllocation {
 public:
  LargestAllocation() {
    gLargest = 0;
    gTracking = true;
  }
  ~LargestAllocation() { gTracking = false; }
  size_t Bytes() const { return gLargest; }
};

constexpr size_t kSmall = 1 << 20;

// Decodes a heap copy of exactly the given bytes (the sanitizers see any read past the end)
// and checks a result that is either a clean failure or a whole picture, allocated within
// `allowed` bytes.
bool DecodeWithin(const Bytes& bytes, TPictureKind kind, size_t allowed) {
  Bytes exact(bytes);
  TBitmap32 out;
  TIndexedRows indices;
  bool ok;
  size_t largest;
  {
    LargestAllocation watch;
    ok = kind == TPictureKind::Bmp ? DecodeBmp(exact.data(), exact.size(), out, &indices)
                                   : DecodePicture(exact.data(), exact.size(), kind, out);
    largest = watch.Bytes();
  }
  EXPECT_LE(largest, allowed);
  if (ok) {
    EXPECT_EQ(out.pixels.size(), static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  } else {
    EXPECT_TRUE(out.Empty());
  }
  return ok;
}

void Set(Bytes& b, size_t at, int width, uint32_t v) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void SetBigEndian(Bytes& b, size_t at, int width, uint32_t v) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * (width - 1 - i)));
}

struct Field {
  const char* name;
  size_t offset;
  int width;
  std::vector<uint32_t> limits;
};

// Sets each field to each of its limits, alone and together with each limit of every other
// field, on each base picture.
void SweepFields(const std::vector<Bytes>& bases, const std::vector<Field>& fields, TPictureKind kind) {
  for (const Bytes& base : bases) {
    const size_t allowed = std::max(kSmall, base.size() * 512);
    for (size_t a = 0; a < fields.size(); ++a)
      for (uint32_t va : fields[a].limits)
        for (size_t b = a; b < fields.size(); ++b)
          for (uint32_t vb : fields[b].limits) {
            Bytes bytes = base;
            Set(bytes, fields[b].offset, fields[b].width, vb);
            Set(bytes, fields[a].offset, fields[a].width, va);
            SCOPED_TRACE(std::string(fields[a].name) + "=" + std::to_string(va) + " " + fields[b].name + "=" +
                         std::to_string(vb));
            DecodeWithin(bytes, kind, allowed);
            if (testing::Test::HasFailure()) return;
          }
  }
}

TEST(InputLimits, TgaColourMapOfTinyEntriesIsNotReadPastTheEnd) {
  // A grey RLE picture declaring a colour map of 264 entries of 0 bits: nothing but a header.
  const Bytes tga = {0x00, 0x01, 0x0b, 0x02, 0xa0, 0x08, 0x01, 0x00, 0x00,
                     0x18, 0x00, 0x00, 0x05, 0x00, 0x07, 0x00, 0x08, 0x00};
  EXPECT_FALSE(DecodeWithin(tga, TPictureKind::Tga, kSmall));
  // A true-colour picture may carry a map of small entries it does not use: stepped over.
  Bytes withMap = {0, 1, 2, 0, 0, 2, 0, 8, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0x20, 0xAA, 0xBB, 1, 2, 3};
  TBitmap32 out;
  ASSERT_TRUE(DecodeTga(withMap.data(), withMap.size(), out));
  EXPECT_EQ(out.At(0, 0), 0xFF030201u);
}

TEST(InputLimits, HeadersClaimingHugePicturesFailBeforeAllocating) {
  TBitmap32 sample = Sample(true);
  Bytes tga = EncodeTga(sample, false);
  tga.resize(18);
  for (int type : {2, 3, 10, 11}) {
    Bytes t = tga;
    t[2] = static_cast<uint8_t>(type);
    t[16] = type == 3 || type == 11 ? 8 : 32;
    Set(t, 12, 2, 8192);
    Set(t, 14, 2, 8192);
    t.push_back(0x80);  // one RLE head byte, or one stray byte of raw data
    SCOPED_TRACE(type);
    EXPECT_FALSE(DecodeWithin(t, TPictureKind::Tga, kSmall));
  }
  for (auto [bpp, compression, palette] : {std::tuple{24, 0, 0}, {8, 0, 256}, {8, 1, 256}, {4, 2, 16}, {1, 0, 2}}) {
    Bytes b = BmpHeader(8192, 8192, bpp, static_cast<uint32_t>(compression), palette, 0);
    b.resize(b.size() + static_cast<size_t>(palette) * 4 + 1);  // the palette and one byte of pixels
    SCOPED_TRACE(bpp * 10 + compression);
    EXPECT_FALSE(DecodeWithin(b, TPictureKind::Bmp, kSmall));
  }
  // PNG and JPEG: small pictures whose headers are patched to 16384 x 4096.
  Bytes png = EncodePng(sample);
  SetBigEndian(png, 16, 4, 16384);
  SetBigEndian(png, 20, 4, 4096);
  SetBigEndian(png, 29, 4, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
  EXPECT_FALSE(DecodeWithin(png, TPictureKind::Png, kSmall));
  Bytes jpeg = EncodeJpeg(Sample(false));
  for (size_t i = 0; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      SetBigEndian(jpeg, i + 5, 2, 4096);
      SetBigEndian(jpeg, i + 7, 2, 16384);
    }
  EXPECT_FALSE(DecodeWithin(jpeg, TPictureKind::Jpeg, kSmall));
}

TEST(InputLimits, TgaHeaderFieldsAtTheirLimits) {
  TBitmap32 sample = Sample(true);
  Bytes mapped = {0, 1, 1, 0, 0, 2, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0, 1, 2, 3, 4, 5, 6, 0, 1};
  Bytes greyRle = {0, 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 0, 8, 0x20, 0x82, 77};
  std::vector<Field> fields = {
      {"idLength", 0, 1, {0, 1, 254, 255}},
      {"mapType", 1, 1, {0, 1, 2, 255}},
      {"imageType", 2, 1, {0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 255}},
      {"mapFirst", 3, 2, {0, 1, 0x7FFF, 0xFFFF}},
      {"mapLength", 5, 2, {0, 1, 256, 0xFFFF}},
      {"mapBits", 7, 1, {0, 1, 7, 8, 15, 16, 24, 32, 33, 255}},
      {"xOrigin", 8, 2, {0, 0xFFFF}},
      {"width", 12, 2, {0, 1, 16384, 16385, 0xFFFF}},
      {"height", 14, 2, {0, 1, 16384, 16385, 0xFFFF}},
      {"bits", 16, 1, {0, 1, 8, 15, 16, 24, 32, 33, 255}},
      {"descriptor", 17, 1, {0, 0x10, 0x20, 0x30, 0xFF}},
  };
  SweepFields({EncodeTga(sample, false), EncodeTga(sample, true), mapped, greyRle}, fields, TPictureKind::Tga);
}

TEST(InputLimits, BmpHeaderFieldsAtTheirLimits) {
  TBitmap32 sample = Sample(false);
  const uint32_t kMin = 0x80000000u, kMax = 0x7FFFFFFFu;
  std::vector<Field> fields = {
      {"pixelOffset", 10, 4, {0, 14, 54, 1078, 0xFFFFFFFFu}},
      {"headerSize", 14, 4, {0, 11, 12, 16, 39, 40, 52, 56, 108, 124, 0xFFFFFFFFu}},
      {"width", 18, 4, {0, 1, 0xFFFFFFFFu, 16384, 16385, kMin, kMax}},
      {"height", 22, 4, {0, 1, 0xFFFFFFFFu, 16384, 16385, static_cast<uint32_t>(-16384), kMin, kMax}},
      {"bits", 28, 2, {0, 1, 2, 4, 8, 15, 16, 24, 32, 33, 0xFFFF}},
      {"compression", 30, 4, {0, 1, 2, 3, 4, 5, 0xFFFFFFFFu}},
      {"colours", 46, 4, {0, 1, 2, 16, 255, 256, 257, 0xFFFFFFFFu}},
  };
  SweepFields({EncodeBmp24(sample), EncodeBmp8(9, 4), EncodeBmpRle8(9, 4)}, fields, TPictureKind::Bmp);
}

TEST(InputLimits, PngAndJpegHeaderFieldsAtTheirLimits) {
  Bytes png = EncodePng(Sample(true));
  struct PngField {
    size_t offset;
    int width;
    std::vector<uint32_t> limits;
  };
  for (const PngField& f : {PngField{16, 4, {0, 1, 16384, 16385, 0x7FFFFFFFu, 0xFFFFFFFFu}},
                            PngField{20, 4, {0, 1, 16384, 16385, 0x7FFFFFFFu, 0xFFFFFFFFu}},
                            PngField{24, 1, {0, 1, 2, 3, 4, 8, 16, 255}}, PngField{25, 1, {0, 1, 2, 3, 4, 5, 6, 7, 255}},
                            PngField{26, 1, {0, 1, 255}}, PngField{27, 1, {0, 1, 255}}, PngField{28, 1, {0, 1, 2, 255}}})
    for (uint32_t v : f.limits) {
      Bytes p = png;
      SetBigEndian(p, f.offset, f.width, v);
      SetBigEndian(p, 29, 4, static_cast<uint32_t>(crc32(0, p.data() + 12, 17)));
      SCOPED_TRACE(std::to_string(f.offset) + "=" + std::to_string(v));
      DecodeWithin(p, TPictureKind::Png, kSmall);
    }
  Bytes jpeg = EncodeJpeg(Sample(false));
  size_t sof = 0;
  for (size_t i = 0; i + 9 < jpeg.size() && !sof; ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) sof = i;
  ASSERT_NE(sof, 0u);
  // Precision, height, width, component count of the frame header.
  for (auto [offset, width, limits] : {std::tuple{sof + 4, 1, std::vector<uint32_t>{0, 1, 8, 12, 16, 255}},
                                       {sof + 5, 2, {0, 1, 16384, 16385, 0xFFFF}},
                                       {sof + 7, 2, {0, 1, 16384, 16385, 0xFFFF}},
                                       {sof + 9, 1, {0, 1, 2, 3, 4, 255}}})
    for (uint32_t v : limits) {
      Bytes j = jpeg;
      SetBigEndian(j, offset, width, v);
      SCOPED_TRACE(std::to_string(offset - sof) + "=" + std::to_string(v));
      DecodeWithin(j, TPictureKind::Jpeg, kSmall);
    }
}

// An archive of one record whose stored and unpacked sizes can be overridden.
std::string OneRecordArchive(int32_t unpacked, int32_t stored) {
  std::string payload = "hello, archive";
  uLongf bound = compressBound(static_cast<uLong>(payload.size()));
  std::string packed(bound, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &bound, reinterpret_cast<const Bytef*>(payload.data()),
            static_cast<uLong>(payload.size()), 9);
  packed.resize(bound);
  ByteString out;
  ByteWriter w(out);
  w.WriteBytes("ASDb");
  w.WriteInt32(1);
  w.WriteInt32(0);
  w.WriteUInt16(0);
  w.WriteInt32(unpacked >= 0 ? unpacked : static_cast<int32_t>(payload.size()));
  w.WriteInt32(stored >= 0 ? stored : static_cast<int32_t>(packed.size()));
  w.WriteBytes(std::string(8 + 16 + 2 + 8, '\0'));
  w.WriteBytes(packed);
  w.PatchInt32(8, static_cast<int32_t>(out.size()));
  w.WriteString("rec");
  w.WriteInt32(12);
  return out;
}

TEST(InputLimits, ArchiveRecordSizesAreCheckedBeforeAllocating) {
  const auto dir = std::filesystem::path(testing::TempDir()) / "qel_input_limits";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "one.res").string();
  for (auto [unpacked, stored, readable] :
       {std::tuple{-1, -1, true}, {-1, 512 * 1024 * 1024, false}, {512 * 1024 * 1024, -1, false},
        {-1, 0x7FFFFFFF, false}, {0x7FFFFFFF, -1, false}}) {
    SCOPED_TRACE(std::to_string(unpacked) + " " + std::to_string(stored));
    const std::string bytes = OneRecordArchive(unpacked, stored);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    TResDb fromFile, fromMemory;
    fromFile.SetFileName(path);
    ASSERT_TRUE(fromFile.OpenTable());
    ASSERT_TRUE(fromMemory.OpenFromMemory(bytes));
    for (TResDb* db : {&fromFile, &fromMemory}) {
      std::vector<uint8_t> data;
      LargestAllocation watch;
      EXPECT_EQ(db->ReadRecord("REC", data), readable);
      EXPECT_LE(watch.Bytes(), kSmall);
      if (readable) {
        EXPECT_EQ(std::string(data.begin(), data.end()), "hello, archive");
      }
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qel
