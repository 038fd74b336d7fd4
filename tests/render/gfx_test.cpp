// Headless golden tests of the device, canvas, textures and fonts: every expected pixel is
// computed here from the blend formulas and the colours drawn (tolerance +-2 per channel).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "qeltool_render.h"
#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/gfx_fonts.h"
#include "render/gfx_images.h"
#include "render/res_db.h"

using namespace qel;

namespace {

struct Rgb {
  double r, g, b;
};

Rgb ToRgb(uint32_t c) { return {((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0}; }
double AlphaOf(uint32_t c) { return (c >> 24) / 255.0; }

// Direct3D blend factor n (index) for one colour channel; the back buffer has no alpha (1).
double Factor(int f, double s, double sa, double d) {
  const double da = 1.0;
  switch (f) {
    case 0: return 0;
    case 1: return 1;
    case 2: return s;
    case 3: return 1 - s;
    case 4: return sa;
    case 5: return 1 - sa;
    case 6: return da;
    case 7: return 1 - da;
    case 8: return d;
    case 9: return 1 - d;
    case 10: return std::min(sa, 1 - da);
  }
  return 0;
}

double BlendChannel(double s, double sa, double d, int sf, int df, int op) {
  const double S = s * Factor(sf, s, sa, d), D = d * Factor(df, s, sa, d);
  double r = 0;
  switch (op) {
    case 0: r = S + D; break;
    case 1: r = D - S; break;
    case 2: r = S - D; break;
    case 3: r = std::min(s, d); break;
    case 4: r = std::max(s, d); break;
  }
  return std::clamp(r, 0.0, 1.0);
}

uint32_t Blend(uint32_t src, uint32_t dst, uint32_t fx) {
  if (fx == fxOpaque) return src | 0xFF000000u;
  const int sf = fx & 0xFF, df = (fx >> 8) & 0xFF, op = (fx >> 16) & 0xFF;
  const Rgb s = ToRgb(src), d = ToRgb(dst);
  const double sa = AlphaOf(src);
  auto ch = [&](double sv, double dv) {
    return static_cast<uint32_t>(std::lround(BlendChannel(sv, sa, dv, sf, df, op) * 255.0));
  };
  return 0xFF000000u | (ch(s.r, d.r) << 16) | (ch(s.g, d.g) << 8) | ch(s.b, d.b);
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {  // a*(1-t) + b*t per channel, alpha too
  uint32_t out = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    const double v = ((a >> sh) & 0xFF) * (1 - t) + ((b >> sh) & 0xFF) * t;
    out |= static_cast<uint32_t>(std::lround(v)) << sh;
  }
  return out;
}

uint32_t Modulate(uint32_t a, uint32_t b) {
  uint32_t out = 0;
  for (int sh = 0; sh < 32; sh += 8)
    out |= static_cast<uint32_t>(std::lround(((a >> sh) & 0xFF) * ((b >> sh) & 0xFF) / 255.0)) << sh;
  return out;
}

::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tol = 2) {
  for (int sh = 0; sh < 24; sh += 8) {
    const int a = (actual >> sh) & 0xFF, e = (expected >> sh) & 0xFF;
    if (std::abs(a - e) > tol) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "pixel %08X, expected %08X (+-%d)", actual, expected, tol);
      return ::testing::AssertionFailure() << buf;
    }
  }
  return ::testing::AssertionSuccess();
}

class Gfx : public ::testing::Test {
 protected:
  void SetUp() override {
    device.Headless = true;
    if (!device.Initialize()) GTEST_SKIP() << "no OpenGL 3.3 core context: " << device.LastError();
  }

  const std::vector<uint32_t>& Scene(const std::function<void()>& draw, uint32_t bg = 0xFF000000u) {
    device.OnRender = [&](TGfxDevice&) { draw(); };
    EXPECT_TRUE(device.Render(bg, true));
    EXPECT_TRUE(device.ReadBackBuffer(pixels));
    return pixels;
  }
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * device.Width() + x]; }

  // An image like the cache makes one: patterns of pw x ph cut from the bitmap, one per texture.
  TGfxImage* MakeImage(const TBitmap32& bmp, int pw, int ph) {
    TGfxImage* im = images.Add();
    im->SetPatternSize(pw, ph);
    im->SetVisibleSize(pw, ph);
    im->SetTextureSize((pw + 2 + 1) & ~1, (ph + 2 + 1) & ~1);
    im->PatternCount = (bmp.width / pw) * (bmp.height / ph);
    EXPECT_TRUE(im->UploadFromBitmap(bmp));
    return im;
  }

  TGfxDevice device;
  TGfxCanvas canvas{device};
  TGfxImages images{device};
  TGfxFonts fonts{device, &canvas};
  std::vector<uint32_t> pixels;
};

// Pattern grid picture: 2x2 patterns of 8x8, colour encodes (pattern, x, y).
uint32_t GridColor(int p, int x, int y) {
  return 0xFF000000u | static_cast<uint32_t>(p * 60 + 20) << 16 | static_cast<uint32_t>(x * 30) << 8 |
         static_cast<uint32_t>(y * 30);
}
TBitmap32 GridBitmap() {
  TBitmap32 b;
  b.Resize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) b.At(x, y) = GridColor((y / 8) * 2 + x / 8, x % 8, y % 8);
  return b;
}
TBitmap32 Solid(int w, int h, uint32_t c) {
  TBitmap32 b;
  b.Resize(w, h, c);
  return b;
}

}  // namespace

TEST_F(Gfx, ClearAndOpaqueFillRect) {
  Scene([&] { canvas.FillRect(10, 20, 30, 40, TColor4(0x40FF8000u), fxOpaque); }, 0xFF102030u);
  EXPECT_TRUE(Near(At(0, 0), 0xFF102030u, 0));
  EXPECT_TRUE(Near(At(10, 20), 0xFFFF8000u, 0));  // opaque: alpha ignored
  EXPECT_TRUE(Near(At(39, 59), 0xFFFF8000u, 0));
  EXPECT_TRUE(Near(At(9, 20), 0xFF102030u, 0));
  EXPECT_TRUE(Near(At(40, 20), 0xFF102030u, 0));
  EXPECT_TRUE(Near(At(10, 19), 0xFF102030u, 0));
  EXPECT_TRUE(Near(At(10, 60), 0xFF102030u, 0));
}

TEST_F(Gfx, EveryBlendFactorPair) {
  const uint32_t src = 0x99C86432u, dst = 0xFF28B4DCu;
  Scene([&] {
    for (int sf = 0; sf <= 10; ++sf)
      for (int df = 0; df <= 10; ++df) {
        canvas.FillRect(sf * 12, df * 12, 8, 8, TColor4(dst), fxOpaque);
        canvas.FillRect(sf * 12, df * 12, 8, 8, TColor4(src), MakeFx(sf, df, 0));
      }
  });
  for (int sf = 0; sf <= 10; ++sf)
    for (int df = 0; df <= 10; ++df) {
      const uint32_t fx = MakeFx(sf, df, 0);
      if (fx == fxOpaque) continue;
      EXPECT_TRUE(Near(At(sf * 12 + 4, df * 12 + 4), Blend(src, dst, fx))) << "src " << sf << " dst " << df;
    }
}

TEST_F(Gfx, EveryBlendOperation) {
  const uint32_t src = 0x99C86432u, dst = 0xFF28B4DCu;
  const int pairs[][2] = {{4, 5}, {1, 1}, {2, 8}, {1, 0}, {4, 1}};
  Scene([&] {
    for (int op = 0; op <= 4; ++op)
      for (int k = 0; k < 5; ++k) {
        canvas.FillRect(op * 12, 200 + k * 12, 8, 8, TColor4(dst), fxOpaque);
        canvas.FillRect(op * 12, 200 + k * 12, 8, 8, TColor4(src), MakeFx(pairs[k][0], pairs[k][1], op));
      }
  });
  for (int op = 0; op <= 4; ++op)
    for (int k = 0; k < 5; ++k) {
      const uint32_t fx = MakeFx(pairs[k][0], pairs[k][1], op);
      if (fx == fxOpaque) continue;
      EXPECT_TRUE(Near(At(op * 12 + 4, 200 + k * 12 + 4), Blend(src, dst, fx))) << "op " << op << " pair " << k;
    }
}

TEST_F(Gfx, CornerColoursInterpolateOverTwoTriangles) {
  const TColor4 cs(0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu);
  const int x0 = 300, y0 = 300, n = 64;
  Scene([&] { canvas.FillRect(x0, y0, n, n, cs, fxOpaque); });
  // Triangles (TL, TR, BR) and (TL, BR, BL); the rectangle's edges lie at x0 - 0.5.
  for (int py = 0; py < n; py += 7)
    for (int px = 0; px < n; px += 7) {
      const double s = (px + 0.5) / n, t = (py + 0.5) / n;
      uint32_t e;
      if (s >= t)
        e = Mix(Mix(cs.c[0], cs.c[1], s - t), cs.c[2], t / 1.0);
      else
        e = Mix(Mix(cs.c[0], cs.c[3], t - s), cs.c[2], s);
      // Barycentric: s>=t: TL*(1-s) + TR*(s-t) + BR*t; s<t: TL*(1-t) + BL*(t-s) + BR*s.
      Rgb a = ToRgb(cs.c[0]), b = ToRgb(s >= t ? cs.c[1] : cs.c[3]), c = ToRgb(cs.c[2]);
      const double w0 = s >= t ? 1 - s : 1 - t, w1 = std::abs(s - t), w2 = s >= t ? t : s;
      auto ch = [&](double x, double y, double z) {
        return static_cast<uint32_t>(std::lround((x * w0 + y * w1 + z * w2) * 255));
      };
      e = 0xFF000000u | ch(a.r, b.r, c.r) << 16 | ch(a.g, b.g, c.g) << 8 | ch(a.b, b.b, c.b);
      EXPECT_TRUE(Near(At(x0 + px, y0 + py), e)) << px << "," << py;
    }
}

TEST_F(Gfx, PatternSelectionClampMirrorFlipAndSourceRect) {
  TGfxImage* im = MakeImage(GridBitmap(), 8, 8);
  ASSERT_EQ(im->PatternCount, 4);
  Scene([&] {
    canvas.Draw(im, 10, 10, TColor4(), 2, fxOpaque);
    canvas.Draw(im, 30, 10, TColor4(), 9, fxOpaque);   // clamps to 3
    canvas.Draw(im, 50, 10, TColor4(), -4, fxOpaque);  // clamps to 0
    TGfxPattern mirror(1);
    mirror.mirror = true;
    canvas.TexMap(im, TPoint4{{{70, 10}, {78, 10}, {78, 18}, {70, 18}}}, mirror, TColor4(), fxOpaque);
    TGfxPattern flip(1);
    flip.flip = true;
    canvas.TexMap(im, TPoint4{{{90, 10}, {98, 10}, {98, 18}, {90, 18}}}, flip, TColor4(), fxOpaque);
    TGfxPattern part(3);
    part.srcX = 2;
    part.srcY = 1;
    part.srcW = 4;
    part.srcH = 3;
    canvas.TexMap(im, TPoint4{{{110, 10}, {114, 10}, {114, 13}, {110, 13}}}, part, TColor4(), fxOpaque);
  });
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      EXPECT_TRUE(Near(At(10 + x, 10 + y), GridColor(2, x, y), 0)) << x << "," << y;
      EXPECT_TRUE(Near(At(30 + x, 10 + y), GridColor(3, x, y), 0));
      EXPECT_TRUE(Near(At(50 + x, 10 + y), GridColor(0, x, y), 0));
      EXPECT_TRUE(Near(At(70 + x, 10 + y), GridColor(1, 7 - x, y), 0)) << "mirror " << x << "," << y;
      EXPECT_TRUE(Near(At(90 + x, 10 + y), GridColor(1, x, 7 - y), 0)) << "flip " << x << "," << y;
    }
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_TRUE(Near(At(110 + x, 10 + y), GridColor(3, 2 + x, 1 + y), 0));
  EXPECT_TRUE(Near(At(114, 10), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(18, 10), 0xFF000000u, 0));
}

TEST_F(Gfx, TintModulatesTexture) {
  TGfxImage* im = MakeImage(GridBitmap(), 8, 8);
  const uint32_t tint = 0xFFFF8040u;
  Scene([&] { canvas.Draw(im, 10, 10, TColor4(tint), 0, fxOpaque); });
  for (int y = 0; y < 8; y += 3)
    for (int x = 0; x < 8; x += 3) EXPECT_TRUE(Near(At(10 + x, 10 + y), Modulate(GridColor(0, x, y), tint)));
}

TEST_F(Gfx, TextureCornerColoursBlend) {
  TGfxImage* im = MakeImage(Solid(8, 8, 0xFFFFFFFFu), 8, 8);
  // Alpha from the vertex colour, blended with SRCALPHA/INVSRCALPHA over red.
  Scene([&] { canvas.Draw(im, 10, 10, TColor4(0x800000FFu), 0, fxBlend); }, 0xFFFF0000u);
  EXPECT_TRUE(Near(At(13, 13), Blend(0x800000FFu, 0xFFFF0000u, fxBlend)));
}

TEST_F(Gfx, OpaqueEffectIgnoresAlphaAndAlphaTestDiscards) {
  TGfxImage* im = MakeImage(Solid(4, 4, 0x00C80000u), 4, 4);  // alpha 0
  const uint32_t bg = 0xFF102030u, additiveOne = MakeFx(1, 1, 0);
  Scene([&] {
    canvas.Draw(im, 10, 10, TColor4(), 0, fxOpaque);
    canvas.Draw(im, 20, 10, TColor4(), 0, additiveOne);  // alpha 0 < 1: discarded
    canvas.Flush();
    canvas.AlphaTesting = false;
    canvas.Draw(im, 30, 10, TColor4(), 0, additiveOne);  // drawn
    canvas.Flush();
    canvas.AlphaTesting = true;
  }, bg);
  EXPECT_TRUE(Near(At(11, 11), 0xFFC80000u, 0));
  EXPECT_TRUE(Near(At(21, 11), bg, 0));
  EXPECT_TRUE(Near(At(31, 11), 0xFFD82030u, 0));
}

TEST_F(Gfx, DrawScaledRoundsTheSize) {
  TGfxImage* im = MakeImage(Solid(8, 8, 0xFF00FF00u), 8, 8);
  Scene([&] { canvas.DrawScaled(im, 50, 50, 1.5, TColor4(), 0, fxOpaque); });
  EXPECT_TRUE(Near(At(50, 50), 0xFF00FF00u, 0));
  EXPECT_TRUE(Near(At(61, 61), 0xFF00FF00u, 0));
  EXPECT_TRUE(Near(At(62, 61), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(61, 62), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(49, 50), 0xFF000000u, 0));
}

TEST_F(Gfx, DrawRotatedTurnsClockwiseAboutTheCentre) {
  TBitmap32 b = Solid(20, 10, 0xFF0000FFu);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) b.At(x, y) = 0xFFFF0000u;  // left half red
  TGfxImage* im = MakeImage(b, 20, 10);
  Scene([&] { canvas.DrawRotated(im, 400.0, 300.0, M_PI / 2, 2.0, TColor4(), 0, fxOpaque); });
  // 40x20 turned a quarter clockwise: 20 wide, 40 tall; the left (red) half now on top.
  EXPECT_TRUE(Near(At(400, 285), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(395, 282), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(400, 315), 0xFF0000FFu, 0));
  EXPECT_TRUE(Near(At(405, 318), 0xFF0000FFu, 0));
  EXPECT_TRUE(Near(At(400, 322), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(413, 300), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(386, 300), 0xFF000000u, 0));
  // A small turn: the top-left corner moves right, the bottom-left corner moves up-left.
  Scene([&] { canvas.DrawRotated(im, 400.0, 300.0, 0.3, 1.0, TColor4(), 0, fxOpaque); });
  const double c = std::cos(0.3), s = std::sin(0.3);
  auto rot = [&](double dx, double dy, uint32_t want) {
    const int x = static_cast<int>(std::lround(400 + dx * c - dy * s)), y = static_cast<int>(std::lround(300 + dx * s + dy * c));
    EXPECT_TRUE(Near(At(x, y), want, 0)) << dx << "," << dy;
  };
  rot(-7, -3, 0xFFFF0000u);
  rot(7, 3, 0xFF0000FFu);
  rot(-7, 3, 0xFFFF0000u);
  rot(7, -3, 0xFF0000FFu);
}

TEST_F(Gfx, ClipRectangle) {
  const TGfxRect r{10, 20, 30, 40};
  Scene([&] {
    canvas.SetClipRect(r);
    canvas.FillRect(0, 0, 100, 100, TColor4(0xFFFF0000u), fxOpaque);
    canvas.SetClipRect(TGfxRect{0, 0, device.Width(), device.Height()});
    canvas.FillRect(200, 0, 10, 10, TColor4(0xFF00FF00u), fxOpaque);
  });
  EXPECT_TRUE(Near(At(10, 20), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(29, 39), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(9, 20), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(30, 20), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(10, 19), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(10, 40), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(205, 5), 0xFF00FF00u, 0));
  canvas.SetClipRect(r);
  EXPECT_EQ(canvas.ClipRect(), r);
  canvas.SetClipRect(TGfxRect{-5, -5, 5000, 5000});
  EXPECT_EQ(canvas.ClipRect(), (TGfxRect{0, 0, 1024, 768}));
}

TEST_F(Gfx, FrameRectDrawsEachOutlinePixelOnce) {
  Scene([&] {
    canvas.FrameRect(500, 500, 10, 6, TColor4(0x80FFFFFFu), fxBlend);
    canvas.FillRect(600, 500, 10, 6, 0xFFFF0000u, 0xFF0000FFu, fxOpaque);
  });
  const uint32_t once = Blend(0x80FFFFFFu, 0xFF000000u, fxBlend);
  for (int x = 500; x < 510; ++x) {
    EXPECT_TRUE(Near(At(x, 500), once)) << x;
    EXPECT_TRUE(Near(At(x, 505), once)) << x;
  }
  for (int y = 500; y < 506; ++y) {
    EXPECT_TRUE(Near(At(500, y), once)) << y;
    EXPECT_TRUE(Near(At(509, y), once)) << y;
  }
  EXPECT_TRUE(Near(At(502, 502), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(510, 500), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(500, 506), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(499, 500), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(500, 499), 0xFF000000u, 0));
  // FillRect with frame: fill, then outline.
  EXPECT_TRUE(Near(At(600, 500), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(609, 505), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(603, 503), 0xFF0000FFu, 0));
}

TEST_F(Gfx, FillTriangle) {
  Scene([&] { canvas.FillTriangle(TColor4(0xFFFFFF00u), fxOpaque, 600, 100, 700, 100, 600, 200); });
  EXPECT_TRUE(Near(At(610, 110), 0xFFFFFF00u, 0));
  EXPECT_TRUE(Near(At(640, 150), 0xFFFFFF00u, 0));
  EXPECT_TRUE(Near(At(690, 190), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(660, 150), 0xFF000000u, 0));
}

TEST_F(Gfx, ColourKeyMakesKeyPixelsTransparent) {
  TBitmap32 b;
  b.Resize(4, 1);
  b.At(0, 0) = 0xFF000000u;  // the key
  b.At(1, 0) = 0xFF030303u;  // close to it: partly transparent
  b.At(2, 0) = 0xFFC80A0Au;  // far: alpha stays
  b.At(3, 0) = 0x7F000000u | 0x00FFFFFFu;
  TGfxImage* im = images.Add();
  im->SetPatternSize(4, 1);
  im->SetTextureSize(6, 4);
  im->PatternCount = 1;
  ASSERT_TRUE(im->UploadFromBitmap(b, true, 0x000000u, 0));
  const double T = 0.025, d = std::sqrt(3.0) * 3 / 255.0;
  const int a1 = static_cast<int>(std::lround((std::sin(M_PI * d / T - M_PI / 2) + 1) / 2 * 255));
  EXPECT_EQ(im->GetPatternPixel(0, 0, 0) >> 24, 0u);
  EXPECT_NEAR(static_cast<int>(im->GetPatternPixel(0, 1, 0) >> 24), a1, 1);
  EXPECT_EQ(im->GetPatternPixel(0, 2, 0), 0xFFC80A0Au);
  EXPECT_EQ(im->GetPatternPixel(0, 3, 0), 0x7FFFFFFFu);
  // Drawn blended over green: the key pixel leaves the background.
  Scene([&] { canvas.Draw(im, 10, 10, TColor4(), 0, fxBlend); }, 0xFF00FF00u);
  EXPECT_TRUE(Near(At(10, 10), 0xFF00FF00u, 0));
  EXPECT_TRUE(Near(At(12, 10), 0xFFC80A0Au));
  // Without the flag nothing changes.
  TGfxImage* plain = images.Add();
  plain->SetPatternSize(4, 1);
  plain->SetTextureSize(6, 4);
  ASSERT_TRUE(plain->UploadFromBitmap(b));
  EXPECT_EQ(plain->GetPatternPixel(0, 0, 0), 0xFF000000u);
}

TEST_F(Gfx, CellsRepeatTheBorderAndGetPixel) {
  TGfxImage* im = MakeImage(GridBitmap(), 8, 8);
  EXPECT_EQ(im->TextureCount(), 4);
  EXPECT_EQ(im->TextureWidth, 10);
  for (int p = 0; p < 4; ++p) {
    int tex, cx, cy;
    im->PatternOrigin(p, tex, cx, cy);
    EXPECT_EQ(im->GetPixel(cx, cy, tex), GridColor(p, 0, 0));
    EXPECT_EQ(im->GetPixel(cx - 1, cy - 1, tex), GridColor(p, 0, 0));
    EXPECT_EQ(im->GetPixel(cx + 8, cy + 3, tex), GridColor(p, 7, 3));
    EXPECT_EQ(im->GetPixel(cx + 3, cy + 8, tex), GridColor(p, 3, 7));
    EXPECT_EQ(im->GetPatternPixel(p, 5, 6), GridColor(p, 5, 6));
  }
  EXPECT_EQ(im->GetPixel(100, 0, 0), 0u);
  EXPECT_EQ(im->GetPixel(0, 0, 9), 0u);
  // Several patterns in one texture.
  TGfxImage* many = images.Add();
  many->SetPatternSize(8, 8);
  many->SetTextureSize(64, 64);
  many->PatternCount = 4;
  ASSERT_TRUE(many->UploadFromBitmap(GridBitmap()));
  EXPECT_EQ(many->TextureCount(), 1);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(many->GetPatternPixel(p, 7, 7), GridColor(p, 7, 7));
  Scene([&] {
    for (int p = 0; p < 4; ++p) canvas.Draw(many, 10 + p * 10, 10, TColor4(), p, fxOpaque);
  });
  for (int p = 0; p < 4; ++p) EXPECT_TRUE(Near(At(10 + p * 10 + 7, 17), GridColor(p, 7, 7), 0));
}

TEST_F(Gfx, AlphaLevelNoneHasNoPerPixelAlpha) {
  TGfxImage* im = images.Add();
  im->AlphaLevel = TAlphaLevel::alNone;
  im->SetPatternSize(2, 2);
  ASSERT_TRUE(im->UploadFromBitmap(Solid(2, 2, 0x10203040u)));
  EXPECT_EQ(im->GetPatternPixel(0, 1, 1), 0xFF203040u);
  EXPECT_EQ(im->Format(), fmtX8R8G8B8);
}

TEST_F(Gfx, BatchingFlushesOnlyOnStateChanges) {
  TGfxImage* a = MakeImage(Solid(4, 4, 0xFFFF0000u), 4, 4);
  TGfxImage* b = MakeImage(Solid(4, 4, 0xFF0000FFu), 4, 4);
  uint64_t calls = 0;
  Scene([&] {
    const uint64_t c0 = canvas.DrawCallCount();
    canvas.Draw(a, 0, 0, TColor4(), 0, fxBlend);
    canvas.Draw(a, 10, 0, TColor4(), 0, fxBlend);
    canvas.Draw(b, 20, 0, TColor4(), 0, fxBlend);
    canvas.Draw(b, 30, 0, TColor4(), 0, fxBlend);
    canvas.Draw(a, 40, 0, TColor4(), 0, fxBlend);
    canvas.Draw(a, 50, 0, TColor4(), 0, fxAdd);  // effect change
    canvas.FillRect(60, 0, 4, 4, TColor4(0xFF00FF00u), fxAdd);  // texture change (none)
    canvas.FrameRect(70, 0, 4, 4, TColor4(0xFF00FF00u), fxAdd);  // lines
    canvas.FillRect(80, 0, 4, 4, TColor4(0xFF00FF00u), fxAdd);
    canvas.Flush();
    calls = canvas.DrawCallCount() - c0;
  });
  EXPECT_EQ(calls, 7u);
  EXPECT_TRUE(Near(At(1, 1), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(21, 1), 0xFF0000FFu, 0));
  EXPECT_TRUE(Near(At(41, 1), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(81, 1), 0xFF00FF00u, 0));
}

TEST_F(Gfx, BatchingPastTheVertexCache) {
  ASSERT_EQ(canvas.VertexCache(), 4096);
  uint64_t calls = 0;
  Scene([&] {
    const uint64_t c0 = canvas.DrawCallCount();
    for (int i = 0; i < 2000; ++i)
      canvas.FillRect((i % 50) * 20, (i / 50) * 19, 3, 3, TColor4(0xFF000000u | static_cast<uint32_t>(i)), fxBlend);
    canvas.Flush();
    calls = canvas.DrawCallCount() - c0;
  });
  // 6 indices per quad: 682 quads fill the 4096 indices.
  EXPECT_EQ(calls, 3u);
  for (int i : {0, 681, 682, 1364, 1999})
    EXPECT_TRUE(Near(At((i % 50) * 20 + 1, (i / 50) * 19 + 1), 0xFF000000u | static_cast<uint32_t>(i), 0)) << i;
}

TEST_F(Gfx, BatchesAcrossTextureChangesKeepOrder) {
  TGfxImage* a = MakeImage(Solid(4, 4, 0x80FF0000u), 4, 4);
  TGfxImage* b = MakeImage(Solid(4, 4, 0x800000FFu), 4, 4);
  Scene([&] {
    for (int i = 0; i < 3000; ++i) canvas.Draw((i / 1000) % 2 ? b : a, 100, 100, TColor4(), 0, fxBlend);
  });
  // 1000 half-transparent red, then 1000 blue, then 1000 red: red wins (it was last).
  uint32_t c = 0xFF000000u;
  for (int i = 0; i < 3000; ++i) c = Blend((i / 1000) % 2 ? 0x800000FFu : 0x80FF0000u, c, fxBlend);
  EXPECT_TRUE(Near(At(101, 101), c, 3));
}

TEST_F(Gfx, FreeingATextureDrawsThePendingBatchFirst) {
  TGfxImage* a = MakeImage(Solid(4, 4, 0xFFFF0000u), 4, 4);
  Scene([&] {
    canvas.Draw(a, 10, 10, TColor4(), 0, fxOpaque);
    images.Remove(a);  // the pending quad still refers to the texture
    canvas.FillRect(20, 10, 4, 4, TColor4(0xFF00FF00u), fxOpaque);
  });
  EXPECT_TRUE(Near(At(11, 11), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(21, 11), 0xFF00FF00u, 0));
  EXPECT_EQ(images.Count(), 0);
}

TEST_F(Gfx, AntialiasSelectsFiltering) {
  TBitmap32 bw = Solid(2, 1, 0xFF000000u);
  bw.At(1, 0) = 0xFFFFFFFFu;
  TGfxImage* im = MakeImage(bw, 2, 1);
  auto count_mid = [&] {
    int mid = 0;
    for (int x = 10; x < 30; ++x) {
      const int v = At(x, 12) & 0xFF;
      if (v > 20 && v < 235) ++mid;
    }
    return mid;
  };
  Scene([&] {
    canvas.SetAntialias(false);
    canvas.DrawScaled(im, 10, 10, 10, TColor4(), 0, fxOpaque);
  });
  EXPECT_EQ(count_mid(), 0);
  Scene([&] {
    canvas.SetAntialias(true);
    canvas.DrawScaled(im, 10, 10, 10, TColor4(), 0, fxOpaque);
    canvas.SetAntialias(false);
  });
  EXPECT_GE(count_mid(), 4);
  EXPECT_FALSE(canvas.Antialias());
}

namespace {

// A font record written by hand: first char 'A', glyphs 'A' and 'B' of 4x4,
// advances 5 and 6, texture 8x4 in A8R8G8B8, every glyph pixel opaque white.
std::string TinyFontRecord() {
  std::string out;
  ByteWriter w(out);
  w.WriteInt32('A');
  w.WriteInt32(0);
  w.WriteInt32(0);
  w.WriteInt32(2);
  w.WriteInt32(5);
  w.WriteInt32(4);
  w.WriteInt32(6);
  w.WriteInt32(4);
  w.WriteUInt8(5);
  for (int v : {4, 4, 4, 4, 2, 8, 4, 1}) w.WriteInt32(v);
  for (int i = 0; i < 32; ++i) w.WriteInt32(static_cast<int32_t>(0xFFFFFFFFu));
  return out;
}

}  // namespace

TEST_F(Gfx, FontMetrics) {
  const std::string rec = TinyFontRecord();
  TGfxFont* f = fonts.AddFromRecord(reinterpret_cast<const uint8_t*>(rec.data()), rec.size());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Name, "Font00");
  EXPECT_EQ(f->GlyphCount(), 2);
  EXPECT_DOUBLE_EQ(f->TextWidth(""), 0.0);
  EXPECT_DOUBLE_EQ(f->TextWidth("AB"), 11.0);
  EXPECT_DOUBLE_EQ(f->TextWidth("A#$FFFF0000B"), 11.0);
  EXPECT_DOUBLE_EQ(f->TextWidth(" "), 4 * 0.3);  // below the first code: space width
  EXPECT_DOUBLE_EQ(f->TextHeight("AB"), 4.0);
  EXPECT_DOUBLE_EQ(f->TextHeight(" "), 0.0);
  f->Scale = 2;
  f->Spacing = 1;
  EXPECT_DOUBLE_EQ(f->TextWidth("AB"), (6 + 7) * 2.0);
  EXPECT_DOUBLE_EQ(f->TextHeight("A"), 8.0);
  f->InlineCodes = false;
  EXPECT_DOUBLE_EQ(f->TextWidth("#$FFFF0000"), 10 * (4 * 0.3 + 1) * 2);
  EXPECT_EQ(fonts.Find("FONT00"), f);
  EXPECT_EQ(fonts.Find("nothing"), nullptr);
}

TEST_F(Gfx, FontTextOutWithInlineCodes) {
  const std::string rec = TinyFontRecord();
  TGfxFont* f = fonts.AddFromRecord(reinterpret_cast<const uint8_t*>(rec.data()), rec.size());
  ASSERT_NE(f, nullptr);
  Scene([&] {
    f->TextOut("A#$FFFF0000B", 10, 10, 0xFF00FF00u, 0xFF00FF00u, fxBlend);
    f->TextOut("0xFF0000FFA&$FFFFFFFFA", 10, 30, 0xFF00FF00u, 0xFF00FF00u, fxBlend);
  });
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_TRUE(Near(At(10 + x, 10 + y), 0xFF00FF00u, 0));
  // 'B' at x 15: red at the top corners, green at the bottom ones.
  for (int y = 0; y < 4; ++y) {
    const double t = (y + 0.5) / 4;
    EXPECT_TRUE(Near(At(16, 10 + y), Mix(0xFFFF0000u, 0xFF00FF00u, t))) << y;
  }
  EXPECT_TRUE(Near(At(14, 11), 0xFF000000u, 0));
  EXPECT_TRUE(Near(At(21, 11), 0xFF000000u, 0));
  // "0x" sets both colours (blue); then "&$" sets the bottom to white.
  EXPECT_TRUE(Near(At(11, 31), 0xFF0000FFu, 0));
  for (int y = 0; y < 4; ++y)
    EXPECT_TRUE(Near(At(16, 30 + y), Mix(0xFF0000FFu, 0xFFFFFFFFu, (y + 0.5) / 4))) << y;
}

TEST_F(Gfx, FontShadowAndEmboss) {
  const std::string rec = TinyFontRecord();
  TGfxFont* f = fonts.AddFromRecord(reinterpret_cast<const uint8_t*>(rec.data()), rec.size());
  ASSERT_NE(f, nullptr);
  const uint32_t white = 0xFFFFFFFFu, green = 0xFF00FF00u;
  f->Style = fsShadow;
  Scene([&] { f->TextOut("A", 10, 10, green, green, fxBlend); }, white);
  const uint32_t shadow = Blend(0x80000000u, white, fxBlend);
  EXPECT_TRUE(Near(At(14, 14), shadow));
  EXPECT_TRUE(Near(At(12, 15), shadow));
  EXPECT_TRUE(Near(At(11, 11), green, 0));
  EXPECT_TRUE(Near(At(13, 13), green, 0));
  EXPECT_TRUE(Near(At(16, 16), white, 0));
  // Emboss: the glyph moves by (-1,-1); a copy in the emboss colour (alpha 204) at +1,+1 from it.
  f->Style = fsEmboss;
  Scene([&] { f->TextOut("A", 10, 10, green, green, fxBlend); }, white);
  const uint32_t emb = static_cast<uint32_t>(std::lround(0.8 * 255)) << 24;
  EXPECT_TRUE(Near(At(9, 9), green, 0));
  EXPECT_TRUE(Near(At(11, 11), Blend(emb, green, fxBlend)));
  EXPECT_TRUE(Near(At(13, 13), Blend(emb, white, fxBlend)));
  EXPECT_TRUE(Near(At(13, 9), white, 0));
  // Shadow distance factor and colour, bold shadow offset (3,2).
  f->Style = fsShadow | fsBold;
  f->ShadowColor = 0x12FF0000u;  // only the low 24 bits count
  f->ShadowOpacity = 1.0;
  Scene([&] { f->TextOut("A", 10, 10, green, green, fxBlend); }, white);
  EXPECT_TRUE(Near(At(15, 13), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(16, 12), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(9, 11), green, 0));  // bold copy at -1
}

TEST_F(Gfx, TrueTypeFontThroughTheArchive) {
  std::string record, error;
  ASSERT_TRUE(BuildFontRecord("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 20, 32, 224, record, error)) << error;
  const std::string arc = ::testing::TempDir() + "/gfx_font_" + std::to_string(::getpid()) + ".asdb";
  std::remove(arc.c_str());
  ASSERT_TRUE(AddArchiveRecord(arc, "Fonts\\Sans20", TResDb::kTypeFont, record, error)) << error;
  ASSERT_TRUE(AddArchiveRecord(arc, "other", 0, "not a font", error));
  TResDb db;
  db.SetFileName(arc);
  EXPECT_EQ(fonts.LoadFromArchive(db), 1);
  TGfxFont* f = fonts.Find("FONTS\\SANS20");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Name, "Fonts\\Sans20");
  EXPECT_GT(f->TextWidth("Hello"), 30.0);
  EXPECT_GE(f->TextHeight("Hello"), 20.0);
  const int w = static_cast<int>(f->TextWidth("Hello"));
  Scene([&] { f->TextOut("Hello", 100, 100, 0xFFFFFFFFu, 0xFFFFFFFFu, fxBlend); });
  int lit = 0, outside = 0;
  for (int y = 90; y < 140; ++y)
    for (int x = 90; x < 100 + w + 10; ++x) {
      const bool in = x >= 100 && x < 100 + w + 2 && y >= 100 && y < 100 + f->Texture().PatternHeight;
      if ((At(x, y) & 0xFF) > 128) (in ? lit : outside)++;
    }
  EXPECT_GT(lit, 60);
  EXPECT_EQ(outside, 0);
  std::remove(arc.c_str());
}

namespace {
struct Recorder : TGfxSubscriber {
  std::vector<int> msgs;
  bool answer = true;
  bool DeviceNotify(int msg) override {
    msgs.push_back(msg);
    return answer;
  }
};
}  // namespace

TEST_F(Gfx, WindowedSwitchKeepsTextures) {
  TGfxImage* im = MakeImage(GridBitmap(), 8, 8);
  Recorder rec;
  device.Subscribe(&rec);
  device.SetWindowed(false);
  device.SetWindowed(true);
  EXPECT_EQ(rec.msgs, (std::vector<int>{msgDeviceLost, msgDeviceReset, msgDeviceLost, msgDeviceReset}));
  rec.msgs.clear();
  Scene([&] { canvas.Draw(im, 10, 10, TColor4(), 1, fxOpaque); });
  EXPECT_EQ(rec.msgs, (std::vector<int>{msgBeginScene, msgEndScene}));
  EXPECT_TRUE(Near(At(13, 14), GridColor(1, 3, 4), 0));
  EXPECT_TRUE(device.Flip());
  device.Unsubscribe(&rec);
}

TEST_F(Gfx, RenderNeedsOnRender) {
  device.OnRender = nullptr;
  EXPECT_FALSE(device.Render(0, true));
}

TEST(GfxDevice, InitialisationFailureIsReported) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  {
    TGfxDevice d;
    d.Headless = true;
    bool called = false;
    d.OnInitialize = [&](TGfxDevice&, bool& success) {
      called = true;
      success = false;
    };
    if (!d.Initialize() && !called) GTEST_SKIP() << "no OpenGL context: " << d.LastError();
    EXPECT_TRUE(called);
    EXPECT_FALSE(d.Initialized());
    EXPECT_FALSE(d.LastError().empty());
  }
  {
    TGfxDevice d;
    d.Headless = true;
    Recorder rec;
    rec.answer = false;
    d.Subscribe(&rec);
    EXPECT_FALSE(d.Initialize());
    EXPECT_FALSE(d.Initialized());
    // Refused at 256, then finalised (257).
    EXPECT_EQ(rec.msgs, (std::vector<int>{msgDeviceInitialize, msgDeviceFinalize}));
  }
  {
    TGfxDevice d;
    d.Headless = true;
    EXPECT_TRUE(d.Initialize());
    std::vector<uint32_t> px;
    EXPECT_TRUE(d.ReadBackBuffer(px));
    EXPECT_EQ(px.size(), 1024u * 768u);
    d.Finalize();
    EXPECT_FALSE(d.Initialized());
    EXPECT_FALSE(d.ReadBackBuffer(px));
  }
  EXPECT_STREQ(kDeviceInitFailedText, "Failed initializing render device!");
}

TEST(GfxDevice, NoVideoDriverFailsCleanly) {
  // A driver that has no OpenGL: Initialize fails with a message instead of crashing.
  const char* old = getenv("SDL_VIDEODRIVER");
  std::string saved = old ? old : "";
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  {
    TGfxDevice d;
    d.Headless = true;
    EXPECT_FALSE(d.Initialize());
    EXPECT_FALSE(d.LastError().empty());
  }
  if (old)
    setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
  else
    unsetenv("SDL_VIDEODRIVER");
}
