#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "anim/frame_table.h"
#include "base/variant.h"

namespace qel {
namespace {

// Stand-ins for cache entries: only their identity matters to the table.
TQelIm* Entry(int n) { return reinterpret_cast<TQelIm*>(static_cast<uintptr_t>(0x1000 * n)); }

KeySprite Sprite(const char* id, double x, double y, int picture = 1, int w = 20, int h = 10) {
  KeySprite s;
  s.id = id;
  s.picture = SpritePicture{Entry(picture), w, h};
  s.x = x;
  s.y = y;
  s.drawFx = 1284;
  return s;
}

AnimKey Key(uint16_t count, std::vector<KeySprite> sprites, bool morph = false) {
  return AnimKey{count, morph, std::move(sprites)};
}

TEST(FrameTable, EachKeyGivesItsCountPlusOneFrames) {
  EXPECT_EQ(BuildFrameTable({Key(0, {})}, {}).FrameCount(), 1);
  EXPECT_EQ(BuildFrameTable({Key(4, {}), Key(9, {})}, {}).FrameCount(), 15);
  EXPECT_EQ(BuildFrameTable({}, {}).FrameCount(), 0);
}

TEST(FrameTable, LinearMovementBetweenKeysWithTheCentreCorrection) {
  KeySprite a = Sprite("a", 10, 20), b = Sprite("A", 110, 70);  // partners match ignoring case
  a.scale = 1.0;
  b.scale = 2.0;
  a.angle = 0;
  b.angle = 50;
  a.color = 0xFF102030;
  b.color = 0x00405060;
  FrameTable t = BuildFrameTable({Key(4, {a}), Key(0, {b})}, {});
  ASSERT_EQ(t.FrameCount(), 6);
  for (int q = 0; q <= 4; ++q) {
    auto f = t.Frame(q);
    ASSERT_EQ(f.size(), 1u) << q;
    const double scale = 1.0 + (2.0 - 1.0) / 5 * q;
    EXPECT_DOUBLE_EQ(f[0].Scale, scale);
    EXPECT_DOUBLE_EQ(f[0].X, 10 + 100.0 / 5 * q + 20 * 0.5 * scale);
    EXPECT_DOUBLE_EQ(f[0].Y, 20 + 50.0 / 5 * q + 10 * 0.5 * scale);
    EXPECT_DOUBLE_EQ(f[0].Angle, 10.0 * q);
    // Opacity moves towards the partner's; the colour stays the sprite's own.
    EXPECT_EQ(f[0].Color, 0x102030u | static_cast<uint32_t>(RoundHalfEven(-255.0 / 5 * q) + 255) << 24) << q;
    EXPECT_EQ(f[0].Image, Entry(1));
    EXPECT_EQ(f[0].DrawFx, 1284u);
  }
  // The last key has no partner: its sprite stands still.
  ASSERT_EQ(t.Frame(5).size(), 1u);
  EXPECT_DOUBLE_EQ(t.Frame(5)[0].X, 110 + 20 * 0.5 * 2);
}

TEST(FrameTable, LastKeyStandsStillOrWrapsToTheFirst) {
  KeySprite a = Sprite("", 0, 0), b = Sprite("", 40, 0);  // unnamed: never paired
  KeySprite c = Sprite("c", 0, 0), d = Sprite("c", 40, 0);
  std::vector<AnimKey> keys = {Key(1, {a, c}), Key(3, {b, d})};
  FrameTable still = BuildFrameTable(keys, {});
  ASSERT_EQ(still.FrameCount(), 6);
  // Without Rep the last key has no partner: its sprites stand still.
  for (int q = 2; q < 6; ++q) {
    ASSERT_EQ(still.Frame(q).size(), 2u);
    EXPECT_DOUBLE_EQ(still.Frame(q)[0].X, 40 + 10);
    EXPECT_DOUBLE_EQ(still.Frame(q)[1].X, 40 + 10);
  }
  FrameOptions rep;
  rep.rep = true;
  FrameTable wrap = BuildFrameTable(keys, rep);
  for (int q = 0; q < 4; ++q) {
    auto f = wrap.Frame(2 + q);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_DOUBLE_EQ(f[0].X, 40 + 10);                        // unnamed: still
    EXPECT_DOUBLE_EQ(f[1].X, 40 + (0 - 40) / 4.0 * q + 10);  // named: back towards the first key
  }
}

TEST(FrameTable, NamedSpritesWithoutPartnerLeaveUnnamedOnesStay) {
  FrameTable t = BuildFrameTable({Key(2, {Sprite("gone", 0, 0), Sprite("", 5, 0)}), Key(0, {Sprite("x", 0, 0)})}, {});
  for (int q = 0; q <= 2; ++q) {
    ASSERT_EQ(t.Frame(q).size(), 1u);
    EXPECT_DOUBLE_EQ(t.Frame(q)[0].X, 5 + 10);
  }
}

TEST(FrameTable, SpritesWithoutLoadedPicturesAreLeftOut) {
  KeySprite a = Sprite("a", 0, 0), b = Sprite("a", 10, 0), lone = Sprite("", 5, 5);
  b.picture.reset();  // the partner has no picture: the sprite is dropped
  lone.picture.reset();
  FrameTable t = BuildFrameTable({Key(2, {a, lone}), Key(0, {b})}, {});
  for (int i = 0; i < t.FrameCount(); ++i) EXPECT_TRUE(t.Frame(i).empty()) << i;
}

// A cubic spline whose end segments are parabolas (equal second derivatives
// at the first two and the last two knots), solved densely.
class ReferenceSpline {
 public:
  ReferenceSpline(std::vector<double> x, std::vector<double> y) : x_(std::move(x)), y_(std::move(y)), m_(x_.size()) {
    const size_t n = x_.size();
    if (n < 3 || n > 64) return;  // two knots: a straight line; the tests use a handful
    std::vector<std::vector<double>> a(n, std::vector<double>(n + 1, 0.0));
    a[0][0] = 1, a[0][1] = -1;
    a[n - 1][n - 1] = 1, a[n - 1][n - 2] = -1;
    for (size_t i = 1; i + 1 < n; ++i) {
      const double h0 = x_[i] - x_[i - 1], h1 = x_[i + 1] - x_[i];
      a[i][i - 1] = h0;
      a[i][i] = 2 * (h0 + h1);
      a[i][i + 1] = h1;
      a[i][n] = 6 * ((y_[i + 1] - y_[i]) / h1 - (y_[i] - y_[i - 1]) / h0);
    }
    for (size_t c = 0; c < n; ++c) {
      size_t p = c;
      for (size_t r = c + 1; r < n; ++r)
        if (std::abs(a[r][c]) > std::abs(a[p][c])) p = r;
      std::swap(a[c], a[p]);
      for (size_t r = 0; r < n; ++r)
        if (r != c) {
          const double f = a[r][c] / a[c][c];
          for (size_t k = c; k <= n; ++k) a[r][k] -= f * a[c][k];
        }
    }
    for (size_t i = 0; i < n; ++i) m_[i] = a[i][n] / a[i][i];
  }
  double At(double t) const {
    size_t i = 0;
    while (i + 2 < x_.size() && t > x_[i + 1]) ++i;
    const double h = x_[i + 1] - x_[i], l = x_[i + 1] - t, r = t - x_[i];
    return m_[i] * l * l * l / (6 * h) + m_[i + 1] * r * r * r / (6 * h) + (y_[i] / h - m_[i] * h / 6) * l +
           (y_[i + 1] / h - m_[i + 1] * h / 6) * r;
  }

 private:
  std::vector<double> x_, y_, m_;
};

TEST(FrameTable, InterpolatedSpritesFollowTheSplineThroughTheirKeys) {
  const std::vector<uint16_t> counts = {3, 5, 2, 0};
  const std::vector<double> xs = {0, 100, 40, 300}, ys = {0, 80, 200, 10}, scales = {1, 2, 0.5, 1}, angles = {0, 90, 30, 0};
  std::vector<AnimKey> keys;
  std::vector<double> knots, cx, cy;
  double s = 0;
  for (size_t k = 0; k < counts.size(); ++k) {
    KeySprite sp = Sprite("ball", xs[k], ys[k], 1, 16, 8);
    sp.scale = scales[k];
    sp.angle = angles[k];
    KeySprite still = Sprite("ball2", xs[k], ys[k], 1, 16, 8);
    still.interpol = false;  // this one moves in straight lines
    keys.push_back(Key(counts[k], {sp, still}));
    knots.push_back(s);
    cx.push_back(xs[k] + scales[k] * 16 / 2);
    cy.push_back(ys[k] + scales[k] * 8 / 2);
    s += counts[k] + 1;
  }
  FrameOptions o;
  o.interpol = true;
  FrameTable t = BuildFrameTable(keys, o);
  ReferenceSpline rx(knots, cx), ry(knots, cy), rs(knots, scales), ra(knots, angles);
  ASSERT_EQ(t.FrameCount(), 14);
  for (int frame = 0; frame <= 11; ++frame) {
    auto f = t.Frame(frame);
    ASSERT_EQ(f.size(), 2u) << frame;
    EXPECT_NEAR(f[0].X, rx.At(frame), 1e-9) << frame;
    EXPECT_NEAR(f[0].Y, ry.At(frame), 1e-9) << frame;
    EXPECT_NEAR(f[0].Scale, rs.At(frame), 1e-9) << frame;
    EXPECT_NEAR(f[0].Angle, ra.At(frame), 1e-9) << frame;
  }
  // Between the first two keys the straight sprite is where linear motion puts it.
  EXPECT_DOUBLE_EQ(t.Frame(2)[1].X, 0 + 100.0 / 4 * 2 + 16 * 0.5);
  // Without the animation's switch nobody follows a spline.
  FrameTable lin = BuildFrameTable(keys, {});
  EXPECT_DOUBLE_EQ(lin.Frame(2)[0].X, 0 + 100.0 / 4 * 2 + 16 * 0.5 * (1 + 1.0 / 4 * 2));
}

TEST(FrameTable, TwoKnotsGiveAStraightLine) {
  FrameOptions o;
  o.interpol = true;
  FrameTable t = BuildFrameTable({Key(4, {Sprite("a", 0, 0)}), Key(0, {Sprite("a", 50, 25)})}, o);
  for (int q = 0; q <= 4; ++q) EXPECT_NEAR(t.Frame(q)[0].X, 10 + 50.0 / 5 * q, 1e-9);
}

TEST(FrameTable, PictureChangeStandsStillAndCrossFadesWithMorph) {
  KeySprite f = Sprite("door", 10, 10, 1, 20, 20), m = Sprite("door", 90, 10, 2, 40, 40);
  f.color = 0xC0AABBCC;
  m.color = 0x80112233;
  m.scale = 0.5;
  m.drawFx = 260;
  FrameTable still = BuildFrameTable({Key(4, {f}), Key(0, {m})}, {});
  for (int q = 0; q <= 4; ++q) {
    ASSERT_EQ(still.Frame(q).size(), 1u);
    EXPECT_DOUBLE_EQ(still.Frame(q)[0].X, 20);
    EXPECT_EQ(still.Frame(q)[0].Color, 0xC0AABBCCu);
  }
  for (int count : {4, 5}) {
    FrameTable t = BuildFrameTable({Key(static_cast<uint16_t>(count), {f}, true), Key(0, {m})}, {});
    const double h = count / 2.0, tF = 0xC0, tM = 0x80;
    for (int q = 0; q <= count; ++q) {
      auto fr = t.Frame(q);
      ASSERT_EQ(fr.size(), 2u);
      double fa, ma;
      if (q <= h) {
        fa = tF * (255 - 32 * q / h) / 255;
        ma = tM * (223 * q / h) / 255;
      } else {
        fa = tF * (223 - (q - h) * 223 / h) / 255;
        ma = tM * ((q - h) * 32 / h + 223) / 255;
      }
      EXPECT_EQ(fr[0].Color >> 24, RoundHalfEven(fa)) << count << " " << q;
      EXPECT_EQ(fr[1].Color >> 24, RoundHalfEven(ma)) << count << " " << q;
      EXPECT_EQ(fr[0].Color & 0xFFFFFF, 0xAABBCCu);
      EXPECT_EQ(fr[1].Color & 0xFFFFFF, 0x112233u);
      EXPECT_EQ(fr[1].Image, Entry(2));
      EXPECT_DOUBLE_EQ(fr[1].X, 90 + 40 * 0.5 * 0.5);
      EXPECT_EQ(fr[1].DrawFx, 260u);
    }
    // The old picture fades out completely, the new one in completely.
    EXPECT_EQ(t.Frame(count)[0].Color >> 24, 0u);
    EXPECT_EQ(t.Frame(count)[1].Color >> 24, 0x80u);
  }
  // Without in-between frames the key shows its own picture only.
  FrameTable single = BuildFrameTable({Key(0, {f}, true), Key(0, {m})}, {});
  EXPECT_EQ(single.Frame(0)[0].Color >> 24, 0xC0u);
  EXPECT_EQ(single.Frame(0)[1].Color >> 24, 0u);
}

TEST(FrameTable, DirectionPatternsFromTheCombinedAngle) {
  AnimSprite sp;
  sp.Frame = -1;
  sp.Angle = 359.96;
  ChooseDirection(sp, 0);
  EXPECT_EQ(sp.Frame, 15);
  EXPECT_NEAR(sp.Angle, 359.96 - 337.5, 1e-9);
  sp = AnimSprite{};
  sp.Frame = -1;
  sp.Angle = 30;
  ChooseDirection(sp, -400);  // -370 -> 350
  EXPECT_EQ(sp.Frame, 15);
  EXPECT_NEAR(sp.Angle, 350 - 337.5, 1e-9);
  sp.Frame = 3;
  sp.Angle = 500;
  ChooseDirection(sp, 0);
  EXPECT_EQ(sp.Frame, 3);
  EXPECT_EQ(sp.Angle, 500);  // ordinary sprites keep their angle
  sp.Frame = -1;
  sp.Angle = 1e9;  // out of any sensible range: straight up
  ChooseDirection(sp, 0);
  EXPECT_EQ(sp.Frame, 0);
  EXPECT_EQ(sp.Angle, 0);
}

TEST(FrameTable, HostileKeysAreCutAtTheBounds) {
  std::vector<KeySprite> many;
  for (int i = 0; i < 3000; ++i) many.push_back(Sprite("", i, 0));
  std::vector<AnimKey> keys(4, Key(65535, many));
  FrameTable t = BuildFrameTable(keys, {});
  EXPECT_TRUE(t.Truncated());
  EXPECT_LE(t.SpriteCount(), kMaxAnimSprites);
  EXPECT_EQ(t.FrameCount(), static_cast<int32_t>(kMaxAnimSprites / 3000));
  for (int32_t i = 0; i < t.FrameCount(); i += 97) EXPECT_EQ(t.Frame(i).size(), 3000u);

  std::vector<AnimKey> empty(40, Key(65535, {}));
  FrameTable frames = BuildFrameTable(empty, {});
  EXPECT_TRUE(frames.Truncated());
  EXPECT_EQ(static_cast<size_t>(frames.FrameCount()), kMaxAnimFrames);
}

// Random keys built with and without the spline shortcut give the same table.
TEST(FrameTable, SplineShortcutMatchesTheFullComputation) {
  uint32_t seed = 99;
  auto next = [&](int n) { seed = seed * 1664525u + 1013904223u; return static_cast<int>((seed >> 8) % n); };
  for (int round = 0; round < 50; ++round) {
    std::vector<AnimKey> keys;
    const int nKeys = 1 + next(6);
    for (int k = 0; k < nKeys; ++k) {
      AnimKey key{static_cast<uint16_t>(next(8)), next(2) == 0, {}};
      for (int i = 0; i < next(6); ++i) {
        const char* ids[] = {"", "a", "b", "A", "c"};
        KeySprite sp = Sprite(ids[next(5)], next(300), next(300), 1 + next(2), 1 + next(40), 1 + next(40));
        sp.scale = 0.5 + next(20) / 10.0;
        sp.angle = next(720) - 360;
        sp.scaleX = 0.5 + next(4) / 2.0;
        sp.anim = next(3) - 1;
        sp.interpol = next(4) != 0;
        sp.interpolSc = next(3) != 0;
        sp.color = static_cast<uint32_t>(next(256)) << 24 | 0x123456;
        if (next(8) == 0) sp.picture.reset();
        key.sprites.push_back(sp);
      }
      keys.push_back(std::move(key));
    }
    FrameOptions fast, full;
    fast.interpol = full.interpol = true;
    fast.rep = full.rep = next(2) == 0;
    fast.angle = full.angle = next(90);
    full.splineShortcut = false;
    FrameTable a = BuildFrameTable(keys, fast), b = BuildFrameTable(keys, full);
    ASSERT_EQ(a.FrameCount(), b.FrameCount());
    for (int32_t i = 0; i < a.FrameCount(); ++i) {
      ASSERT_EQ(a.Frame(i).size(), b.Frame(i).size());
      for (size_t j = 0; j < a.Frame(i).size(); ++j) {
        const AnimSprite &x = a.Frame(i)[j], &y = b.Frame(i)[j];
        EXPECT_TRUE(x.Image == y.Image && x.Frame == y.Frame && x.X == y.X && x.Y == y.Y && x.Scale == y.Scale &&
                    x.Angle == y.Angle && x.ScaleX == y.ScaleX && x.ScaleY == y.ScaleY && x.Color == y.Color &&
                    x.DrawFx == y.DrawFx)
            << round << " " << i << " " << j;
      }
    }
  }
}

}  // namespace
}  // namespace qel
