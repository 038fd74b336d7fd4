// Boxes, pies and crops drawn headless; expected pixels from the shapes' geometry.
#include <cmath>

#include "draw_fixture.h"

namespace qel::test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;

// Where a pixel centre lies against an ellipse inscribed in (left, top, w, h):
// below 1 inside, above 1 outside; angle clockwise from 12 o'clock in degrees.
struct Polar {
  double radius, angle;
};
Polar PolarOf(double px, double py, double left, double top, double w, double h) {
  const double dx = (px + 0.5 - left - w / 2) / (w / 2), dy = (py + 0.5 - top - h / 2) / (h / 2);
  double a = std::atan2(dx, -dy) * 180 / M_PI;
  if (a < 0) a += 360;
  return {std::sqrt(dx * dx + dy * dy), a};
}

TEST_F(DrawTest, BoxesFillAtTheirPositionWithColourAndEffect) {
  screen->rX = 6;  // a screen's own position moves its children
  auto* box = Make<TQelShape>(screen, "TQelShape");
  box->rX = 10.5;  // 16.5 rounds to even: 16
  box->rY = 20;
  box->SizeX = 30;
  box->SizeY = 5;
  box->Color = 0xFF20A040u;
  box->hxDrawFx = 1;
  auto* glass = Make<TQelShape>(screen, "TQelShape");
  glass->rX = 10;
  glass->rY = 22;
  glass->SizeX = 3;
  glass->SizeY = 3;
  glass->Color = 0x80FFFFFFu;  // blended over the box
  Frame();
  EXPECT_TRUE(Near(At(16, 20), 0xFF20A040u, 0));
  EXPECT_TRUE(Near(At(45, 24), 0xFF20A040u, 0));
  EXPECT_TRUE(Near(At(15, 20), kBlack, 0));
  EXPECT_TRUE(Near(At(46, 20), kBlack, 0));
  EXPECT_TRUE(Near(At(16, 25), kBlack, 0));
  EXPECT_TRUE(Near(At(18, 23), 0xFF90D0A0u));  // half of white over the box
}

TEST_F(DrawTest, HostileBoxSizesAndPositionsDrawOnlyTheScreen) {
  auto* box = Make<TQelShape>(screen, "TQelShape");
  box->rX = -1e300;
  box->SizeX = INT32_MAX;
  box->SizeY = INT32_MAX;
  box->Color = kWhite;
  auto* far = Make<TQelShape>(screen, "TQelShape");
  far->rX = 2147483647.0;
  far->rY = -2147483648.0;
  far->SizeX = INT32_MAX;
  far->SizeY = INT32_MAX;
  Frame();
  EXPECT_TRUE(Near(At(0, 0), kBlack, 0));  // the huge box lies entirely left of the screen
  box->rX = -1e9;
  box->rY = -1e9;
  Frame();
  EXPECT_TRUE(Near(At(0, 0), kWhite, 0));
  EXPECT_TRUE(Near(At(1023, 767), kWhite, 0));
  // Sums past 32 bits are not wrapped: the far box does not reach back onto the screen.
  EXPECT_EQ(Hit(500, 500), box);
  EXPECT_EQ(Hit(INT32_MAX, -1), far);
}

TEST_F(DrawTest, CropClipsChildrenWhenDrawnAndWhenHit) {
  auto* crop = Make<TQelShape>(screen, "TQelShape");
  crop->rX = 100;
  crop->rY = 100;
  crop->SizeX = 50;
  crop->SizeY = 40;
  crop->Color = 0xFF0000FFu;
  crop->Crop = true;
  auto* child = Make<TQelShape>(crop, "TQelShape");
  child->rX = 30;  // relative to the crop shape: 130..229 wide, beyond its 150 edge
  child->rY = 10;
  child->Color = 0xFFFF0000u;
  auto* after = Make<TQelShape>(screen, "TQelShape");  // drawn after: the clip is restored
  after->rX = 300;
  after->SizeX = after->SizeY = 10;
  Frame();
  EXPECT_TRUE(Near(At(100, 100), 0xFF0000FFu, 0));
  EXPECT_TRUE(Near(At(149, 139), 0xFFFF0000u, 0));
  EXPECT_TRUE(Near(At(150, 120), kBlack, 0));
  EXPECT_TRUE(Near(At(140, 140), kBlack, 0));
  EXPECT_TRUE(Near(At(305, 5), kWhite, 0));
  EXPECT_EQ(Hit(140, 120), child);
  EXPECT_EQ(Hit(150, 120), child);  // the crop's bounds are included
  EXPECT_EQ(Hit(151, 120), nullptr);
  crop->Crop = false;
  EXPECT_EQ(Hit(151, 120), child);
  EXPECT_EQ(Hit(110, 105), crop);  // no child there: the shape itself
  crop->MousedVis = false;
  EXPECT_EQ(Hit(110, 105), nullptr);
}

TEST_F(DrawTest, PieOfTheSamePointTwiceIsTheWholeEllipse) {
  auto* pie = Make<TQelShape>(screen, "TQelShape");
  pie->ShapeType = stCircle;
  pie->rX = 100;
  pie->rY = 50;
  pie->SizeX = 120;
  pie->SizeY = 70;
  pie->Par3 = 1;
  pie->Color = 0xFF00FF00u;
  Frame();
  int checked = 0;
  for (int y = 40; y < 130; ++y)
    for (int x = 90; x < 230; ++x) {
      const Polar p = PolarOf(x, y, 100, 50, 120, 70);
      if (std::fabs(p.radius - 1) < 0.06) continue;  // one pixel on the edge may differ
      EXPECT_TRUE(Near(At(x, y), p.radius < 1 ? 0xFF00FF00u : kBlack, 0)) << x << "," << y;
      ++checked;
    }
  EXPECT_GT(checked, 10000);
}

TEST_F(DrawTest, PieRunsCounterClockwiseFromTheFirstAngleToTheSecond) {
  auto* pie = Make<TQelShape>(screen, "TQelShape");
  pie->ShapeType = stCircle;
  pie->rX = 200;
  pie->rY = 200;
  pie->SizeX = pie->SizeY = 200;
  pie->Par1 = 0;   // from 12 o'clock, counter-clockwise over 9 and 6 o'clock to 3 o'clock
  pie->Par2 = 90;
  pie->Par3 = 1;
  auto* slice = Make<TQelShape>(screen, "TQelShape");
  slice->ShapeType = stCircle;
  slice->rX = 500;
  slice->rY = 200;
  slice->SizeX = slice->SizeY = 200;
  slice->Par1 = 135;  // from half past four back to half past one: the slice around 3 o'clock
  slice->Par2 = 45;
  slice->Par3 = 1;
  Frame();
  for (int y = 200; y < 400; y += 3)
    for (int x = 200; x < 400; x += 3) {
      const Polar p = PolarOf(x, y, 200, 200, 200, 200);
      if (std::fabs(p.radius - 1) < 0.03 || p.radius < 0.05) continue;
      if (std::fmod(p.angle + 2, 90) < 4) continue;  // near the radials
      const bool in = p.radius < 1 && !(p.angle > 0 && p.angle < 90);
      EXPECT_TRUE(Near(At(x, y), in ? kWhite : kBlack, 0)) << x << "," << y << " angle " << p.angle;
      const Polar q = PolarOf(x + 300, y, 500, 200, 200, 200);
      if (std::fabs(q.angle - 45) < 2 || std::fabs(q.angle - 135) < 2) continue;
      const bool inSlice = q.radius < 1 && q.angle > 45 && q.angle < 135;
      EXPECT_TRUE(Near(At(x + 300, y), inSlice ? kWhite : kBlack, 0)) << x + 300 << "," << y;
    }
}

TEST_F(DrawTest, PieScalesByPar3AndVanishesAtZero) {
  auto* pie = Make<TQelShape>(screen, "TQelShape");
  pie->ShapeType = stCircle;
  pie->rX = 10;
  pie->rY = 10;
  pie->SizeX = pie->SizeY = 50;
  pie->Par3 = 2;  // drawn 100 x 100
  Frame();
  EXPECT_TRUE(Near(At(60, 60), kWhite, 0));
  EXPECT_TRUE(Near(At(60, 15), kWhite, 0));
  EXPECT_TRUE(Near(At(15, 15), kBlack, 0));
  EXPECT_TRUE(Near(At(60, 112), kBlack, 0));
  EXPECT_EQ(Hit(59, 59), pie);  // the pie is tested as its unscaled rectangle
  EXPECT_EQ(Hit(61, 61), nullptr);
  pie->Par3 = 0;
  Frame();
  EXPECT_TRUE(Near(At(35, 35), kBlack, 0));
}

TEST_F(DrawTest, HugePiesAreRasterisedOnlyWhereTheScreenSeesThem) {
  auto* pie = Make<TQelShape>(screen, "TQelShape");
  pie->ShapeType = stCircle;
  pie->SizeX = pie->SizeY = 100000;
  pie->rX = 512 - 50000;  // centred on the screen: the screen lies inside the ellipse
  pie->rY = 384 - 50000;
  pie->Par3 = 1;
  Frame();
  EXPECT_TRUE(Near(At(0, 0), kWhite, 0));
  EXPECT_TRUE(Near(At(1023, 767), kWhite, 0));
  // Seen from afar (0.002): 200 pixels across, sampled coarsely but within a pixel.
  pie->rX = 100;
  pie->rY = 100;
  pie->Par3 = 0.002;
  Frame();
  for (int y = 95; y < 305; y += 2)
    for (int x = 95; x < 305; x += 2) {
      const Polar p = PolarOf(x, y, 100, 100, 200, 200);
      if (std::fabs(p.radius - 1) < 0.02) continue;
      EXPECT_TRUE(Near(At(x, y), p.radius < 1 ? kWhite : kBlack, 0)) << x << "," << y;
    }
  EXPECT_LE(textures.Item(0)->TextureWidth, 2050);
}

}  // namespace
}  // namespace qel::test
