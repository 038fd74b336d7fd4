// Star emitters over a picture given by the recording outlets.
#include "hostapi/puzzle_routines.h"
#include "puzzle_fixture.h"

namespace qel::test {
namespace {

class Sparks : public PuzzleScene {
 protected:
  void SetUp() override {
    image = Make(Make(screen, "Frame", 100, 40), "Gem", 20, 10);  // at (120, 50) on the screen
    outlets.size = {20, 20};
  }
  // Rows 0-4 clear, 5-9 opaque, 10 and down faint: the same in every column.
  void Banded() {
    outlets.pixel = [](int32_t, int32_t y) -> uint32_t { return y < 5 ? 0 : y < 10 ? 0xFF123456u : 0x32000000u; };
  }
  void ExpectRising(const PuzzleStar& s, double y) const {
    EXPECT_GE(s.x, 120);
    EXPECT_LT(s.x, 140);
    EXPECT_EQ(s.y, 50 + y);
    EXPECT_EQ(s.pattern, 2);
    EXPECT_EQ(s.layer, 1000);
    EXPECT_EQ(s.effect, 260);
    EXPECT_EQ(s.xStep, 0);
    EXPECT_EQ(s.yStep, -1);
    EXPECT_EQ(s.scaleStep, -0.02);
    EXPECT_GE(s.scale, 0.5);
    EXPECT_LE(s.scale, 0.99);
    EXPECT_GE(s.angle, 0);
    EXPECT_LE(s.angle, 359);
    EXPECT_GE(s.angleStep, -5);
    EXPECT_LE(s.angleStep, 4);
    EXPECT_EQ(s.colourText, "");  // a random colour
  }
  TQelImage* image = nullptr;
};

TEST_F(Sparks, RisingStarsStartAtTheLowerEdgeOrTheTopOfTheOpaquePart) {
  Banded();
  SparkRiseEdge(*image, outlets);
  ASSERT_EQ(outlets.stars.size(), 1u);
  ExpectRising(outlets.stars[0], 10);  // the first faint row below the opaque band
  SparkRiseTop(*image, outlets);
  ASSERT_EQ(outlets.stars.size(), 2u);
  ExpectRising(outlets.stars[1], 5);  // the first fully opaque row
}

TEST_F(Sparks, NoStarWithoutTheEdgeOrAFullyOpaquePixel) {
  outlets.pixel = [](int32_t, int32_t y) -> uint32_t { return y < 5 ? 0 : 0xF0000000u; };  // opaque to the bottom
  SparkRiseEdge(*image, outlets);
  SparkRiseTop(*image, outlets);  // 240 is never 255
  EXPECT_TRUE(outlets.stars.empty());
  outlets.pixel = nullptr;  // no picture
  SparkRiseEdge(*image, outlets);
  SparkCover(*image, 10, outlets);
  EXPECT_TRUE(outlets.stars.empty());
}

TEST_F(Sparks, CoverStarsSitOnTheGridOverTheOpaquePixelsInTheirColours) {
  // Opaque in the left half, faint in the right.
  outlets.pixel = [](int32_t x, int32_t y) -> uint32_t {
    return x < 10 ? 0xC8000000u | static_cast<uint32_t>(x * 256 + y) : 0x64FFFFFFu;
  };
  SparkCover(*image, 10, outlets);
  ASSERT_EQ(outlets.stars.size(), 2u);  // (0, 0) and (0, 10)
  EXPECT_EQ(outlets.stars[1].x, 120);
  EXPECT_EQ(outlets.stars[1].y, 60);
  EXPECT_EQ(outlets.stars[1].colourText, "10");
  EXPECT_GE(outlets.stars[1].scale, 1.5);
  EXPECT_LE(outlets.stars[1].scale, 1.99);
  EXPECT_EQ(outlets.stars[1].scaleStep, -0.015);
  EXPECT_EQ(outlets.stars[1].yStep, 0);

  outlets.stars.clear();
  SparkCover(*image, 3, outlets);
  EXPECT_EQ(outlets.stars.size(), 4u * 7);  // x 0, 3, 6, 9; y 0, 3, ..., 18
  EXPECT_EQ(outlets.stars.back().colourText, std::to_string(9 * 256 + 18));
  EXPECT_LE(outlets.stars.back().scale, 0.99);
}

}  // namespace
}  // namespace qel::test
