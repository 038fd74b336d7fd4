#include "render/picture.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "render/picture_internal.h"

namespace qel {

using namespace picture_detail;

namespace {

// An end-of-picture code leaves the rest of a picture at index 0, so two bytes could
// otherwise make the reader allocate and clear the largest picture it takes. Pictures of
// up to kRleFreePixels (far beyond a screen) may be as sparse as they like; a larger one
// must bring enough data to fill itself at RLE's densest (255 pixels per two-byte run),
// which bounds the work by the data. Encoders write every pixel of every row.
constexpr uint64_t kRleFreePixels = uint64_t{1} << 22;
constexpr uint64_t kRlePixelsPerRun = 255;

bool RleCanFill(int width, int height, size_t dataBytes) {
  const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  return pixels <= kRleFreePixels || pixels <= dataBytes / 2 * kRlePixelsPerRun;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, TBitmap32& out, TIndexedRows* indices, std::string* error) {
  out = TBitmap32{};
  if (indices) *indices = TIndexedRows{};
  if (!data || size < 26 || data[0] != 'B' || data[1] != 'M') return Fail(out, error, "bmp: bad magic");
  uint32_t pixOffset = Le32(data + 10);
  uint32_t hdrSize = Le32(data + 14);
  if (hdrSize < 12 || 14 + static_cast<uint64_t>(hdrSize) > size) return Fail(out, error, "bmp: truncated header");
  const uint8_t* h = data + 14;
  int64_t w, ht;
  int bpp;
  uint32_t compression = 0, clrUsed = 0;
  uint32_t rMask = 0, gMask = 0, bMask = 0, aMask = 0;
  int palEntrySize = 4;
  if (hdrSize == 12) {
    w = Le16(h + 4);
    ht = static_cast<int16_t>(Le16(h + 6));
    bpp = Le16(h + 10);
    palEntrySize = 3;
  } else {
    if (hdrSize < 16) return Fail(out, error, "bmp: bad header");
    w = static_cast<int32_t>(Le32(h + 4));
    ht = static_cast<int32_t>(Le32(h + 8));
    bpp = Le16(h + 14);
    if (hdrSize >= 20) compression = Le32(h + 16);
    if (hdrSize >= 36) clrUsed = Le32(h + 32);
    if (hdrSize >= 52) {
      rMask = Le32(h + 40);
      gMask = Le32(h + 44);
      bMask = Le32(h + 48);
    }
    if (hdrSize >= 56) aMask = Le32(h + 52);
  }
  bool topDown = ht < 0;
  if (topDown) ht = -ht;
  if (!SizeOk(w, ht)) return Fail(out, error, "bmp: bad size");
  const int width = static_cast<int>(w), height = static_cast<int>(ht);
  if (compression == 3 && hdrSize == 40) {  // BI_BITFIELDS masks follow a 40-byte header
    if (14 + 40 + 12 > size) return Fail(out, error, "bmp: truncated masks");
    rMask = Le32(data + 54);
    gMask = Le32(data + 58);
    bMask = Le32(data + 62);
  }
  const bool palettised = bpp == 1 || bpp == 4 || bpp == 8;
  if (!(palettised || bpp == 16 || bpp == 24 || bpp == 32)) return Fail(out, error, "bmp: unsupported depth");
  if (!(compression == 0 || (compression == 1 && bpp == 8) || (compression == 2 && bpp == 4) ||
        (compression == 3 && (bpp == 16 || bpp == 32))))
    return Fail(out, error, "bmp: unsupported compression");

  // Palette. Bitmaps below 32 bits are opaque: an index past the palette's end shows black,
  // never a hole.
  uint32_t palette[256];
  std::fill(std::begin(palette), std::end(palette), 0xFF000000u);
  if (palettised) {
    uint32_t n = clrUsed ? clrUsed : (1u << bpp);
    if (n > 256) return Fail(out, error, "bmp: bad palette");
    uint64_t palStart = 14 + static_cast<uint64_t>(hdrSize) + (compression == 3 && hdrSize == 40 ? 12 : 0);
    if (palStart + static_cast<uint64_t>(n) * palEntrySize > size) return Fail(out, error, "bmp: truncated palette");
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* p = data + palStart + i * palEntrySize;
      palette[i] = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
    }
  }
  if (pixOffset >= size) return Fail(out, error, "bmp: no pixel data");
  const uint8_t* pix = data + pixOffset;
  const size_t avail = size - pixOffset;
  // Checked before the picture is allocated. RLE data may end the picture anywhere (the rest
  // keeps index 0), so it needs only its first code; plain rows must all be there.
  const bool rleData = compression == 1 || compression == 2;
  const uint64_t stride = ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4;
  if (rleData && avail < 2) return Fail(out, error, "bmp: truncated RLE data");
  if (rleData && !RleCanFill(width, height, avail))
    return Fail(out, error, "bmp: RLE data too short for the declared size");
  if (!rleData && stride * height > avail) return Fail(out, error, "bmp: truncated pixel data");

  TBitmap32 bmp;
  bmp.Resize(width, height, 0xFF000000u);
  std::vector<uint8_t> idx;
  if (palettised) idx.assign(static_cast<size_t>(width) * height, 0);
  auto rowOf = [&](int fileRow) { return topDown ? fileRow : height - 1 - fileRow; };

  if (rleData) {
    // RLE8 / RLE4: absolute and encoded runs, end of line, end of picture, delta.
    // Pixels that the stream skips keep index 0.
    size_t p = 0;
    int x = 0, y = 0;  // y counts file rows (bottom-up unless top-down)
    bool done = false;
    const bool rle4 = compression == 2;
    auto put = [&](int px, int py, uint8_t v) {
      if (px >= 0 && px < width && py >= 0 && py < height) idx[static_cast<size_t>(rowOf(py)) * width + px] = v;
    };
    while (!done) {
      if (p + 2 > avail) return Fail(out, error, "bmp: truncated RLE data");
      uint8_t a = pix[p], b = pix[p + 1];
      p += 2;
      if (a > 0) {
        for (int i = 0; i < a; ++i) {
          uint8_t v = rle4 ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b;
          put(x++, y, v);
        }
      } else if (b == 0) {
        x = 0;
        ++y;
      } else if (b == 1) {
        done = true;
      } else if (b == 2) {
        if (p + 2 > avail) return Fail(out, error, "bmp: truncated RLE delta");
        x += pix[p];
        y += pix[p + 1];
        p += 2;
      } else {
        size_t bytes = rle4 ? (b + 1u) / 2u : b;
        if (p + bytes > avail) return Fail(out, error, "bmp: truncated RLE run");
        for (int i = 0; i < b; ++i) {
          uint8_t v = rle4 ? ((i & 1) ? (pix[p + i / 2] & 0x0F) : (pix[p + i / 2] >> 4)) : pix[p + i];
          put(x++, y, v);
        }
        p += (bytes + 1) & ~static_cast<size_t>(1);  // runs are word-aligned
        if (p > avail) p = avail;
      }
      if (y > height) return Fail(out, error, "bmp: RLE data past the picture");
      if (y == height && !done) {
        // Some writers omit the end-of-picture marker after the last line.
        done = true;
      }
    }
  } else {
    bool anyAlpha = false;
    if (compression == 0 && bpp == 16) {
      rMask = 0x7C00;
      gMask = 0x03E0;
      bMask = 0x001F;
    }
    for (int fy = 0; fy < height; ++fy) {
      const uint8_t* row = pix + stride * fy;
      const int y = rowOf(fy);
      uint32_t* dst = &bmp.pixels[static_cast<size_t>(y) * width];
      for (int x = 0; x < width; ++x) {
        switch (bpp) {
          case 1: idx[static_cast<size_t>(y) * width + x] = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
          case 4: idx[static_cast<size_t>(y) * width + x] = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4); break;
          case 8: idx[static_cast<size_t>(y) * width + x] = row[x]; break;
          case 16: {
            uint32_t v = Le16(row + 2 * x);
            dst[x] = 0xFF000000u | (Extract(v, rMask) << 16) | (Extract(v, gMask) << 8) | Extract(v, bMask);
            break;
          }
          case 24: dst[x] = 0xFF000000u | (row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x]; break;
          case 32: {
            uint32_t v = Le32(row + 4 * x);
            if (compression == 3) {
              uint32_t a = aMask ? Extract(v, aMask) : 0;
              dst[x] = (a << 24) | (Extract(v, rMask) << 16) | (Extract(v, gMask) << 8) | Extract(v, bMask);
            } else {
              dst[x] = v;
            }
            if (dst[x] >> 24) anyAlpha = true;
            break;
          }
        }
      }
    }
    if (bpp == 32 && !anyAlpha)
      for (uint32_t& px : bmp.pixels) px |= 0xFF000000u;
  }
  if (palettised) {
    for (size_t i = 0; i < idx.size(); ++i) bmp.pixels[i] = palette[idx[i]];
    if (indices) {
      indices->width = width;
      indices->height = height;
      indices->indices = std::move(idx);
    }
  }
  out = std::move(bmp);
  return true;
}


}  // namespace qel
