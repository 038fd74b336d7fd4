#include "render/picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>


namespace qel {
namespace {

bool Fail(TBitmap32& out, std::string* error, const char* msg) {
  out = TBitmap32{};
  if (error) *error = msg;
  return false;
}

bool SizeOk(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxPictureSide && h <= kMaxPictureSide && w * h <= kMaxPicturePixels;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i)
    if (Lower(s[s.size() - suffix.size() + i]) != suffix[i]) return false;
  return true;
}

// ---- JPEG ----
struct JpegErr {
  jpeg_error_mgr mgr;
  jmp_buf jump;
  bool truncated;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegErr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  longjmp(e->jump, 1);
}

void JpegEmit(j_common_ptr cinfo, int level) {
  auto* e = reinterpret_cast<JpegErr*>(cinfo->err);
  if (level < 0) {
    cinfo->err->num_warnings++;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) e->truncated = true;
  }
}

// ---- BMP ----
uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

int ShiftOf(uint32_t mask) {
  if (!mask) return 0;
  int s = 0;
  while (!(mask & 1u)) { mask >>= 1; ++s; }
  return s;
}
int BitsOf(uint32_t mask) {
  int n = 0;
  while (mask) { n += mask & 1u; mask >>= 1; }
  return n;
}
uint32_t Extract(uint32_t v, uint32_t mask) {
  if (!mask) return 0;
  uint32_t x = (v & mask) >> ShiftOf(mask);
  int bits = BitsOf(mask);
  if (bits >= 8) return x >> (bits - 8);
  // scale to 0..255
  uint32_t maxv = (1u << bits) - 1;
  return (x * 255 + maxv / 2) / maxv;
}

}  // namespace

TPictureKind PictureKindFromName(std::string_view name) {
  if (EndsWithNoCase(name, ".tga")) return TPictureKind::Tga;
  if (EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg")) return TPictureKind::Jpeg;
  if (EndsWithNoCase(name, ".png")) return TPictureKind::Png;
  return TPictureKind::Bmp;
}

bool DecodePicture(const uint8_t* data, size_t size, TPictureKind kind, TBitmap32& out, std::string* error) {
  switch (kind) {
    case TPictureKind::Png: return DecodePng(data, size, out, error);
    case TPictureKind::Jpeg: return DecodeJpeg(data, size, out, error);
    case TPictureKind::Tga: return DecodeTga(data, size, out, error);
    case TPictureKind::Bmp: return DecodeBmp(data, size, out, nullptr, error);
  }
  return Fail(out, error, "unknown picture kind");
}

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

bool DecodeJpeg(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  out = TBitmap32{};
  if (!data || size < 4) return Fail(out, error, "jpeg: too short");
  jpeg_decompress_struct cinfo;
  JpegErr jerr;
  std::memset(&jerr, 0, sizeof jerr);
  cinfo.err = jpeg_std_error(&jerr.mgr);
  jerr.mgr.error_exit = JpegErrorExit;
  jerr.mgr.emit_message = JpegEmit;
  // Everything that must survive a longjmp lives outside the protected region.
  TBitmap32* volatile target = new TBitmap32();
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete target;
    std::string msg = std::string("jpeg: ") + jerr.message;
    out = TBitmap32{};
    if (error) *error = msg;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.jpeg_color_space != JCS_YCbCr &&
      cinfo.jpeg_color_space != JCS_RGB) {
    jpeg_destroy_decompress(&cinfo);
    delete target;
    return Fail(out, error, "jpeg: unsupported colour space");
  }
  if (!SizeOk(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    delete target;
    return Fail(out, error, "jpeg: bad size");
  }
  cinfo.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  target->Resize(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  while (cinfo.output_scanline < cinfo.output_height && !jerr.truncated) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&target->pixels[static_cast<size_t>(cinfo.output_scanline) * cinfo.output_width]);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  bool truncated = jerr.truncated;
  if (!truncated) jpeg_finish_decompress(&cinfo);
  truncated = truncated || jerr.truncated;
  jpeg_destroy_decompress(&cinfo);
  if (truncated) {
    delete target;
    return Fail(out, error, "jpeg: premature end of data");
  }
  for (uint32_t& p : target->pixels) p |= 0xFF000000u;
  out = std::move(*target);
  delete target;
  return true;
}

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
  std::vector<uint32_t> cmap;
  if (cmapType == 1) {
    const size_t entry = (static_cast<size_t>(cmapBits) + 7) / 8;
    if (pos + entry * cmapLen > size) return Fail(out, error, "tga: truncated colour map");
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
    pos += entry * cmapLen;
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
  TBitmap32 bmp;
  bmp.Resize(w, h);
  const size_t total = static_cast<size_t>(w) * h;
  size_t n = 0;
  if (!rle) {
    if (pos + total * pixBytes > size) return Fail(out, error, "tga: truncated pixel data");
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

  // Palette.
  uint32_t palette[256] = {};
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

  TBitmap32 bmp;
  bmp.Resize(width, height, 0xFF000000u);
  std::vector<uint8_t> idx;
  if (palettised) idx.assign(static_cast<size_t>(width) * height, 0);
  auto rowOf = [&](int fileRow) { return topDown ? fileRow : height - 1 - fileRow; };

  if (compression == 1 || compression == 2) {
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
    const uint64_t stride = ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4;
    if (stride * height > avail) return Fail(out, error, "bmp: truncated pixel data");
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

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool LoadPictureFile(const std::string& path, TBitmap32& out, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) {
    out = TBitmap32{};
    if (error) *error = "cannot read " + path;
    return false;
  }
  return DecodePicture(bytes.data(), bytes.size(), PictureKindFromName(path), out, error);
}

}  // namespace qel
