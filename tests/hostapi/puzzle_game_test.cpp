// The puzzle routines in a running game: stars into the root's pool from a
// real picture, line bands drawn on the canvas.
#include "../elements/draw_fixture.h"
#include "../gamedb/picture_files.h"
#include "support/temp_dir.h"
#include "base/game_paths.h"
#include "gamedb/image_cache.h"
#include "hostapi/puzzle_routines.h"

namespace qel::test {
namespace {

class GamePuzzles : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    if (IsSkipped()) return;
    // 20 x 20: the left half opaque, the right half clear.
    TBitmap32 gem = Solid(20, 20, 0);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 10; ++x) gem.At(x, y) = 0xFF123456u;
    dir.Write("gem.png", EncodePng(gem));
    gameDir = std::make_unique<GameDir>(dir.path());
    cache = std::make_unique<ImageCache>(textures, gameDir.get(), nullptr, ImageCacheGameOf(db.runtime().shell, db));
    db.runtime().services.images = cache.get();
    db.runtime().shell.ImmediateImageLoad = true;
  }
  void TearDown() override { db.Clear(); }

  TempDir dir;
  std::unique_ptr<GameDir> gameDir;
  std::unique_ptr<ImageCache> cache;
};

TEST_F(GamePuzzles, CoverStarsGoIntoTheRootsPoolInThePixelsColours) {
  auto* gem = Make<TQelImage>(screen, "TQelImage");
  gem->rX = 100;
  gem->rY = 50;
  gem->SetImImage("gem.png");
  gem->LoadRes();
  ASSERT_NE(gem->Picture(), nullptr);
  SparkCover(*gem, 10, GameOutlets());
  ASSERT_EQ(db.Stars().ActiveCount(), 2);  // (0, 0) and (0, 10)
  const StarRecord& s = db.Stars()[1];
  EXPECT_EQ(s.x, 100);
  EXPECT_EQ(s.y, 60);
  EXPECT_EQ(s.colour, 0x123456u);
  EXPECT_EQ(s.pattern, 2);
  EXPECT_EQ(s.layer, 1000);
  EXPECT_EQ(s.scaleStep, -0.015);
}

TEST_F(GamePuzzles, LineBandsAreDrawnGreenThenLitGrey) {
  auto* web = Make<TQelImage>(screen, "TQelImage");
  auto* nodes = Make<TQelImage>(web, "TQelImage");
  const int at[9][2] = {{100, 100}, {300, 100}, {400, 200}, {400, 400}, {300, 500},
                        {100, 500}, {0, 400},   {0, 200},   {200, 300}};
  for (const auto& p : at) {
    auto* node = Make<TQelImage>(nodes, "TQelImage");
    node->rX = p[0];
    node->rY = p[1];
  }
  device.OnRender = [&](TGfxDevice&) { WebDraw(*web, WebGraph::OneHub, GameOutlets()); };
  ASSERT_TRUE(device.Render(0xFF000000u, true));
  ASSERT_TRUE(device.ReadBackBuffer(pixels));
  // The first line runs from (113, 113) to (313, 113): half green over
  // black, then grey 112 added.
  EXPECT_TRUE(Near(At(213, 113), 0xFF000000u | 112u << 16 | (127u + 112u) << 8 | 112u, 3));
  EXPECT_TRUE(Near(At(213, 120), 0xFF000000u, 0));
  EXPECT_TRUE(canvas.Antialias());
}

}  // namespace
}  // namespace qel::test
