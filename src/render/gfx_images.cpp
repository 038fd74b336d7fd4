#include "render/gfx_images.h"

#include <algorithm>
#include <cmath>

#include "render/gfx_device.h"

namespace qel {
namespace {

uint32_t Expand(uint32_t v, int bits) {
  uint32_t maxv = (1u << bits) - 1;
  return (v * 255 + maxv / 2) / maxv;
}

}  // namespace

int FormatBytesPerPixel(int code) {
  static const int kBpp[11] = {1, 2, 4, 2, 2, 4, 2, 2, 2, 1, 1};
  return (code >= 0 && code <= 10) ? kBpp[code] : 0;
}

uint32_t FormatToArgb(int code, const uint8_t* p) {
  uint32_t v16 = p[0] | (FormatBytesPerPixel(code) >= 2 ? (p[1] << 8) : 0);
  auto argb = [](uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; };
  switch (code) {
    case fmtR3G3B2: return argb(255, Expand((p[0] >> 5) & 7, 3), Expand((p[0] >> 2) & 7, 3), Expand(p[0] & 3, 2));
    case fmtR5G6B5: return argb(255, Expand((v16 >> 11) & 31, 5), Expand((v16 >> 5) & 63, 6), Expand(v16 & 31, 5));
    case fmtX8R8G8B8:
    case fmtA8R8G8B8: return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    case fmtX1R5G5B5: return argb(255, Expand((v16 >> 10) & 31, 5), Expand((v16 >> 5) & 31, 5), Expand(v16 & 31, 5));
    case fmtA1R5G5B5:
      return argb((v16 & 0x8000) ? 255 : 0, Expand((v16 >> 10) & 31, 5), Expand((v16 >> 5) & 31, 5), Expand(v16 & 31, 5));
    case fmtX4R4G4B4:
    case fmtA4R4G4B4:
      return argb(Expand((v16 >> 12) & 15, 4), Expand((v16 >> 8) & 15, 4), Expand((v16 >> 4) & 15, 4), Expand(v16 & 15, 4));
    case fmtA8R3G3B2:
      return argb(p[1], Expand((p[0] >> 5) & 7, 3), Expand((p[0] >> 2) & 7, 3), Expand(p[0] & 3, 2));
    case fmtL8: return argb(255, p[0], p[0], p[0]);
    case fmtA8: return argb(p[0], 255, 255, 255);
    default: return 0;
  }
}

int ChooseTextureFormat(TAlphaLevel alpha, TGfxQuality quality) {
  static const int kNoneLow[] = {fmtR3G3B2, fmtR5G6B5, fmtX1R5G5B5, fmtX4R4G4B4, fmtX8R8G8B8};
  static const int kNoneMed[] = {fmtR5G6B5, fmtX8R8G8B8, fmtX1R5G5B5, fmtX4R4G4B4, fmtR3G3B2};
  static const int kNoneHigh[] = {fmtX8R8G8B8, fmtR5G6B5, fmtX1R5G5B5, fmtX4R4G4B4, fmtR3G3B2};
  static const int kMask[] = {fmtA1R5G5B5, fmtA4R4G4B4, fmtA8R8G8B8, fmtA8R3G3B2};
  static const int kFullLow[] = {fmtA4R4G4B4, fmtA8R8G8B8, fmtA1R5G5B5, fmtA8R3G3B2};
  static const int kFullMed[] = {fmtA4R4G4B4, fmtA8R8G8B8, fmtA8R3G3B2, fmtA1R5G5B5};
  static const int kFullHigh[] = {fmtA8R8G8B8, fmtA4R4G4B4, fmtA8R3G3B2, fmtA1R5G5B5};
  static const int kExcl[] = {fmtA8, fmtA8R3G3B2, fmtA8R8G8B8, fmtA4R4G4B4, fmtA1R5G5B5};
  const int* list = kFullHigh;
  size_t n = 4;
  switch (alpha) {
    case TAlphaLevel::alNone:
      list = quality == TGfxQuality::aqLow ? kNoneLow : quality == TGfxQuality::aqMedium ? kNoneMed : kNoneHigh;
      n = 5;
      break;
    case TAlphaLevel::alMask: list = kMask; break;
    case TAlphaLevel::alFull:
      list = quality == TGfxQuality::aqLow ? kFullLow : quality == TGfxQuality::aqMedium ? kFullMed : kFullHigh;
      break;
    case TAlphaLevel::alExclusive: list = kExcl; n = 5; break;
  }
  for (size_t i = 0; i < n; ++i)
    if (list[i] == fmtX8R8G8B8 || list[i] == fmtA8R8G8B8) return list[i];
  return fmtA8R8G8B8;
}

TGfxImage::TGfxImage(TGfxDevice* device) : device_(device) {}

TGfxImage::~TGfxImage() { ReleaseGL(); }

int TGfxImage::PatternsPerTexture() const {
  if (cellStrideX_ <= 0 || cellStrideY_ <= 0) return 0;
  return (TextureWidth / cellStrideX_) * (TextureHeight / cellStrideY_);
}

void TGfxImage::PatternOrigin(int p, int& texture, int& x, int& y) const {
  int per = std::max(1, PatternsPerTexture());
  int perRow = std::max(1, TextureWidth / std::max(1, cellStrideX_));
  texture = p / per;
  int cell = p % per;
  x = (cell % perRow) * cellStrideX_ + cellOffset_;
  y = (cell / perRow) * cellStrideY_ + cellOffset_;
}

GLuint TGfxImage::TextureId(int texture) const {
  if (texture < 0 || texture >= TextureCount()) return 0;
  return textures_[static_cast<size_t>(texture)].id;
}

uint32_t TGfxImage::GetPixel(int x, int y, int texture) const {
  if (texture < 0 || texture >= TextureCount() || x < 0 || y < 0 || x >= TextureWidth || y >= TextureHeight) return 0;
  return textures_[static_cast<size_t>(texture)].pixels[static_cast<size_t>(y) * TextureWidth + x];
}

uint32_t TGfxImage::GetPatternPixel(int p, int x, int y) const {
  if (p < 0 || p >= PatternCount || x < 0 || y < 0 || x >= PatternWidth || y >= PatternHeight) return 0;
  int tex, cx, cy;
  PatternOrigin(p, tex, cx, cy);
  return GetPixel(cx + x, cy + y, tex);
}

bool TGfxImage::UploadFromBitmap(const TBitmap32& bmp, bool colorKey, uint32_t keyColor, int tolerance) {
  ReleaseGL();
  textures_.clear();
  if (bmp.Empty() || PatternWidth <= 0 || PatternHeight <= 0) return false;
  if (VisibleWidth <= 0 || VisibleHeight <= 0) SetVisibleSize(PatternWidth, PatternHeight);
  // Cells of VisibleSize plus a one-pixel border on each side.
  cellStrideX_ = VisibleWidth + 2;
  cellStrideY_ = VisibleHeight + 2;
  cellOffset_ = 1;
  if (TextureWidth < cellStrideX_ || TextureHeight < cellStrideY_) {
    // Too small for one bordered cell: grow to the smallest even size that fits one.
    TextureWidth = std::max(TextureWidth, (cellStrideX_ + 1) & ~1);
    TextureHeight = std::max(TextureHeight, (cellStrideY_ + 1) & ~1);
  }
  format_ = ChooseTextureFormat(AlphaLevel, Quality);
  const int cols = bmp.width / PatternWidth, rows = bmp.height / PatternHeight;
  if (PatternCount <= 0) PatternCount = std::max(1, cols * rows);
  const int per = PatternsPerTexture();
  const int texCount = (PatternCount + per - 1) / per;
  const double keyR = ((keyColor >> 16) & 0xFF) / 255.0, keyG = ((keyColor >> 8) & 0xFF) / 255.0,
               keyB = (keyColor & 0xFF) / 255.0;
  const double T = tolerance / 57.73502692 + 0.025;
  textures_.resize(static_cast<size_t>(texCount));
  for (Tex& t : textures_) t.pixels.assign(static_cast<size_t>(TextureWidth) * TextureHeight, 0);
  for (int p = 0; p < PatternCount; ++p) {
    int tex, cx, cy;
    PatternOrigin(p, tex, cx, cy);
    const int srcX0 = (cols > 0 ? p % cols : 0) * PatternWidth;
    const int srcY0 = (cols > 0 ? p / cols : 0) * PatternHeight;
    std::vector<uint32_t>& dst = textures_[static_cast<size_t>(tex)].pixels;
    // The cell plus its border: -1 .. Visible (inclusive); beyond the pattern, repeat its edge.
    for (int y = -1; y <= VisibleHeight; ++y) {
      const int ty = cy + y;
      if (ty < 0 || ty >= TextureHeight) continue;
      const int py = std::clamp(y, 0, PatternHeight - 1);
      const int sy = srcY0 + py;
      for (int x = -1; x <= VisibleWidth; ++x) {
        const int tx = cx + x;
        if (tx < 0 || tx >= TextureWidth) continue;
        const int px = std::clamp(x, 0, PatternWidth - 1);
        const int sx = srcX0 + px;
        uint32_t c = (sx < bmp.width && sy < bmp.height) ? bmp.At(sx, sy) : 0;
        if (colorKey) {
          const double dr = ((c >> 16) & 0xFF) / 255.0 - keyR, dg = ((c >> 8) & 0xFF) / 255.0 - keyG,
                       db = (c & 0xFF) / 255.0 - keyB;
          const double d = std::sqrt(dr * dr + dg * dg + db * db);
          if (d <= T) {
            const double a = (std::sin(M_PI * d / T - M_PI / 2) + 1) / 2;
            c = (c & 0x00FFFFFFu) | (static_cast<uint32_t>(std::lround(a * 255.0)) << 24);
          }
        }
        if (format_ == fmtX8R8G8B8) c |= 0xFF000000u;  // no per-pixel alpha
        dst[static_cast<size_t>(ty) * TextureWidth + tx] = c;
      }
    }
  }
  return UploadGL();
}

bool TGfxImage::LoadFromStream(const uint8_t* data, size_t size, size_t& pos) {
  ReleaseGL();
  textures_.clear();
  auto rd32 = [&](int32_t& v) {
    if (size - pos < 4 || pos > size) return false;
    v = static_cast<int32_t>(data[pos] | (data[pos + 1] << 8) | (data[pos + 2] << 16) |
                             (static_cast<uint32_t>(data[pos + 3]) << 24));
    pos += 4;
    return true;
  };
  if (pos >= size) return false;
  const int code = data[pos++];
  int32_t vw, vh, pw, ph, pc, tw, th, tc;
  if (!rd32(vw) || !rd32(vh) || !rd32(pw) || !rd32(ph) || !rd32(pc) || !rd32(tw) || !rd32(th) || !rd32(tc)) return false;
  const int bpp = FormatBytesPerPixel(code);
  if (bpp == 0 || vw <= 0 || vh <= 0 || pw <= 0 || ph <= 0 || pc < 0 || tw <= 0 || th <= 0 || tc < 0 ||
      tw > kMaxPictureSide || th > kMaxPictureSide || vw > tw || vh > th)
    return false;
  const uint64_t texBytes = static_cast<uint64_t>(tw) * th * bpp;
  if (tc > 0 && texBytes * static_cast<uint64_t>(tc) > size - pos) return false;
  VisibleWidth = vw;
  VisibleHeight = vh;
  PatternWidth = pw;
  PatternHeight = ph;
  PatternCount = pc;
  TextureWidth = tw;
  TextureHeight = th;
  cellStrideX_ = vw;
  cellStrideY_ = vh;
  cellOffset_ = 0;
  format_ = ChooseTextureFormat(AlphaLevel, Quality);
  textures_.resize(static_cast<size_t>(tc));
  for (Tex& t : textures_) {
    t.pixels.resize(static_cast<size_t>(tw) * th);
    for (size_t i = 0; i < t.pixels.size(); ++i) {
      uint32_t c = FormatToArgb(code, data + pos + i * bpp);
      if (format_ == fmtX8R8G8B8) c |= 0xFF000000u;
      t.pixels[i] = c;
    }
    pos += static_cast<size_t>(texBytes);
  }
  return UploadGL();
}

void TGfxImage::ReleaseGL() {
  if (!device_ || !device_->Initialized()) {
    for (Tex& t : textures_) t.id = 0;
    return;
  }
  const GlFuncs& gl = device_->GL();
  bool any = false;
  for (const Tex& t : textures_) any = any || t.id != 0;
  if (any) device_->Notify(msgFlushBatch);
  for (Tex& t : textures_)
    if (t.id) {
      gl.DeleteTextures(1, &t.id);
      t.id = 0;
    }
}

bool TGfxImage::UploadGL() {
  // Without a device the CPU copy is kept; the texture list uploads it at initialisation.
  if (!device_ || !device_->Initialized()) return true;
  const GlFuncs& gl = device_->GL();
  for (Tex& t : textures_) {
    if (!t.id) gl.GenTextures(1, &t.id);
    gl.BindTexture(GL_TEXTURE_2D, t.id);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, TextureWidth, TextureHeight, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  t.pixels.data());
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  }
  gl.BindTexture(GL_TEXTURE_2D, 0);
  return gl.GetError() == GL_NO_ERROR;
}

TGfxImages::TGfxImages(TGfxDevice& device) : device_(device) { device_.Subscribe(this); }

TGfxImages::~TGfxImages() {
  Clear();
  device_.Unsubscribe(this);
}

TGfxImage* TGfxImages::Add() {
  items_.push_back(std::make_unique<TGfxImage>(&device_));
  items_.back()->Mipmapping = MipMappping;
  return items_.back().get();
}

int TGfxImages::IndexOf(const TGfxImage* image) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == image) return static_cast<int>(i);
  return -1;
}

void TGfxImages::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

void TGfxImages::Clear() { items_.clear(); }

TGfxImage* TGfxImages::Item(int index) const {
  return (index < 0 || index >= Count()) ? nullptr : items_[static_cast<size_t>(index)].get();
}

bool TGfxImages::DeviceNotify(int msg) {
  if (msg == msgDeviceInitialize) {
    bool ok = true;
    for (auto& im : items_) ok = im->UploadGL() && ok;
    return ok;
  }
  if (msg == msgDeviceFinalize)
    for (auto& im : items_) im->ReleaseGL();
  return true;
}

}  // namespace qel
