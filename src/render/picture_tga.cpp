#include "render/picture.h"

#include <algorithm>
#include <cstring>

#include "render/picture_internal.h"

namespace qel {

using namespace picture_detail;

bool DecodeTga(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  out = TBitmap32{};
  if (!data || size < 18) return Fail(out, error, "tga: too short");
  const uint8_t idLen = data[0], cmapType = data[1], imgType = data[2];
  const int cmapFirst = Le16(data + 3), cmapLen = Le16(data + 5), cmapBits = data[7];
  const int w = Le16(data + 12), h = Le16(data + 14), bpp = data[16], desc = data[17];
  const bool rle = imgType >= 9;
  const int base = rle ? imgType - 8 : imgType;  // 1 colour-mapped, 2 true colour, 3 grey
  if (cmapType > 1 || !(base == 1 || base == 2 || base == 3) || imgType > 11) return Fail(out, error, "tga: bad header");
  if (!SizeOk(w, h)) return Fail(out, error, "tga: bad size");
  if (base == 1 && (cmapType != 1 || bpp != 8 || !(cmapBits == 15 || cmapBits == 16 || cmapBits == 24 || cmapBits == 32)))
    return Fail(out, error, "tga: bad colour map");
  if (base == 2 && !(bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32)) return Fail(out, error, "tga: bad depth");
  if (base == 3 && !(bpp == 8 || bpp == 16)) return Fail(out, error, "tga: bad depth");
  size_t pos = 18 + idLen;
  if (pos > size) return Fail(out, error, "tga: truncated image id");
  std::vector<uint32_t> cmap;
  if (cmapType == 1) {
    // Sized by its own header fields, whatever they are; decoded only when the picture uses
    // it (entry sizes 15, 16, 24, 32 are checked above), otherwise stepped over.
    const size_t entry = (static_cast<size_t>(cmapBits) + 7) / 8;
    const size_t mapBytes = entry * static_cast<size_t>(cmapLen);
    if (mapBytes > size - pos) return Fail(out, error, "tga: truncated colour map");
    if (base == 1) {
      cmap.resize(static_cast<size_t>(cmapLen));
      for (int i = 0; i < cmapLen; ++i) {
        const uint8_t* p = data + pos + entry * i;
        if (entry == 2) {
          uint32_t v = Le16(p);
          cmap[i] = 0xFF000000u | (Extract(v, 0x7C00) << 16) | (Extract(v, 0x03E0) << 8) | Extract(v, 0x001F);
        } else {
          cmap[i] = (entry == 4 ? static_cast<uint32_t>(p[3]) << 24 : 0xFF000000u) | (p[2] << 16) | (p[1] << 8) | p[0];
        }
      }
    }
    pos += mapBytes;
  }
  const size_t pixBytes = (static_cast<size_t>(bpp) + 7) / 8;
  auto decode = [&](const uint8_t* p, uint32_t& c) {
    switch (base) {
      case 1: {
        const int i = p[0] - cmapFirst;
        if (i < 0 || i >= static_cast<int>(cmap.size())) return false;
        c = cmap[static_cast<size_t>(i)];
        return true;
      }
      case 3:
        c = (bpp == 16 ? static_cast<uint32_t>(p[1]) << 24 : 0xFF000000u) | (p[0] << 16) | (p[0] << 8) | p[0];
        return true;
      default:
        if (pixBytes == 2) {
          uint32_t v = Le16(p);
          c = 0xFF000000u | (Extract(v, 0x7C00) << 16) | (Extract(v, 0x03E0) << 8) | Extract(v, 0x001F);
        } else {
          c = (pixBytes == 4 ? static_cast<uint32_t>(p[3]) << 24 : 0xFF000000u) | (p[2] << 16) | (p[1] << 8) | p[0];
        }
        return true;
    }
  };
  // The pixel data must be able to fill the picture before the picture is allocated: raw
  // data holds every pixel, an RLE packet (a head byte and at least one pixel value) at most 128.
  const size_t total = static_cast<size_t>(w) * h;
  if (!rle && total * pixBytes > size - pos) return Fail(out, error, "tga: truncated pixel data");
  if (rle && total > (size - pos) / (1 + pixBytes) * 128) return Fail(out, error, "tga: truncated RLE data");
  TBitmap32 bmp;
  bmp.Resize(w, h);
  size_t n = 0;
  if (!rle) {
    for (; n < total; ++n)
      if (!decode(data + pos + n * pixBytes, bmp.pixels[n])) return Fail(out, error, "tga: bad colour index");
  } else {
    while (n < total) {
      if (pos >= size) return Fail(out, error, "tga: truncated RLE data");
      const uint8_t hdr = data[pos++];
      const size_t count = (hdr & 0x7F) + 1u;
      if (n + count > total) return Fail(out, error, "tga: RLE packet past the picture");
      if (hdr & 0x80) {
        if (pos + pixBytes > size) return Fail(out, error, "tga: truncated RLE packet");
        uint32_t c;
        if (!decode(data + pos, c)) return Fail(out, error, "tga: bad colour index");
        pos += pixBytes;
        for (size_t k = 0; k < count; ++k) bmp.pixels[n++] = c;
      } else {
        if (pos + count * pixBytes > size) return Fail(out, error, "tga: truncated raw packet");
        for (size_t k = 0; k < count; ++k, pos += pixBytes)
          if (!decode(data + pos, bmp.pixels[n++])) return Fail(out, error, "tga: bad colour index");
      }
    }
  }
  // Descriptor bit 5: top-down rows; bit 4: right-to-left columns.
  const bool topDown = desc & 0x20, rightToLeft = desc & 0x10;
  if (!topDown)
    for (int y = 0; y < h / 2; ++y)
      std::swap_ranges(&bmp.pixels[static_cast<size_t>(y) * w], &bmp.pixels[static_cast<size_t>(y) * w] + w,
                       &bmp.pixels[static_cast<size_t>(h - 1 - y) * w]);
  if (rightToLeft)
    for (int y = 0; y < h; ++y) std::reverse(&bmp.pixels[static_cast<size_t>(y) * w], &bmp.pixels[static_cast<size_t>(y) * w] + w);
  out = std::move(bmp);
  return true;
}


}  // namespace qel
