// Images from the image cache drawn headless: anchors, scales, rotation,
// patterns, tint and effect, and hit tests against the picture's pixels.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/game_paths.h"
#include "draw_fixture.h"
#include "elements/image_geometry.h"
#include "../gamedb/picture_files.h"
#include "gamedb/image_cache.h"
#include "gamedb/lang_tables.h"

namespace qel::test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

// An uncompressed 32-bit TGA with its rows stored top-down.
void WriteTga(const std::filesystem::path& path, const TBitmap32& bmp) {
  std::ofstream out(path, std::ios::binary);
  unsigned char header[18] = {0, 0, 2};
  header[12] = static_cast<unsigned char>(bmp.width & 0xFF);
  header[13] = static_cast<unsigned char>(bmp.width >> 8);
  header[14] = static_cast<unsigned char>(bmp.height & 0xFF);
  header[15] = static_cast<unsigned char>(bmp.height >> 8);
  header[16] = 32;
  header[17] = 0x28;  // top-left origin, 8 alpha bits
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  for (uint32_t p : bmp.pixels) {
    const char bgra[4] = {static_cast<char>(p & 0xFF), static_cast<char>((p >> 8) & 0xFF),
                          static_cast<char>((p >> 16) & 0xFF), static_cast<char>(p >> 24)};
    out.write(bgra, 4);
  }
}

class ImageTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    if (IsSkipped()) return;
    dir = std::filesystem::path(::testing::TempDir()) / ("qel_images_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    // 40 x 20: left half red, right half green; a transparent hole at (5, 5).
    TBitmap32 halves;
    halves.Resize(40, 20);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x) halves.At(x, y) = x < 20 ? kRed : kGreen;
    halves.At(5, 5) = 0x00FF0000u;
    WriteTga(dir / "halves.tga", halves);
    // Two patterns of 10 x 10 side by side: blue, then red.
    TBitmap32 strip;
    strip.Resize(20, 10);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) strip.At(x, y) = x < 10 ? kBlue : kRed;
    WriteTga(dir / "strip.tga", strip);
    std::ofstream(dir / "strip.an") << "2\n1\n";
    gameDir = std::make_unique<GameDir>(dir);
    cache = std::make_unique<ImageCache>(textures, gameDir.get(), nullptr, ImageCacheGameOf(db.runtime().shell, db));
    db.runtime().services.images = cache.get();
    db.runtime().shell.ImmediateImageLoad = true;
  }
  void TearDown() override {
    db.Clear();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  TQelImage* Picture(const char* name, double x, double y, TQelElement* parent = nullptr) {
    auto* im = Make<TQelImage>(parent ? parent : screen, "TQelImage");
    im->SetImImage(name);
    im->rX = x;
    im->rY = y;
    return im;
  }

  std::filesystem::path dir;
  std::unique_ptr<GameDir> gameDir;
  std::unique_ptr<ImageCache> cache;
};

TEST_F(ImageTest, EveryAnchorPlacesThePictureAndItsChildren) {
  for (int32_t hor = phLeft; hor <= phRight; ++hor)
    for (int32_t vert = pvTop; vert <= pvBottom; ++vert) {
      db.Clear();
      screen = static_cast<TQelScreen*>(db.CreateChild("TQelScreen"));
      auto* im = Picture("Halves.TGA", 100, 100);
      im->PosHor = hor;
      im->PosVert = vert;
      auto* child = Make<TQelShape>(im, "TQelShape");
      child->SizeX = child->SizeY = 2;
      child->Color = kBlue;
      child->rX = 1;
      child->rY = 1;
      Frame();
      const int left = 100 - hor * 20, top = 100 - vert * 10;
      const std::string at = std::to_string(hor) + "/" + std::to_string(vert);
      EXPECT_EQ(im->GetAbsX(), left) << at;
      EXPECT_EQ(im->GetAbsY(), top) << at;
      EXPECT_TRUE(Near(At(left + 4, top + 4), kRed, 0)) << at;
      EXPECT_TRUE(Near(At(left + 39, top + 19), kGreen, 0)) << at;
      EXPECT_TRUE(Near(At(left - 1, top + 10), kBlack, 0)) << at;
      EXPECT_TRUE(Near(At(left + 40, top + 10), kBlack, 0)) << at;
      EXPECT_TRUE(Near(At(left + 10, top - 1), kBlack, 0)) << at;
      EXPECT_TRUE(Near(At(left + 10, top + 20), kBlack, 0)) << at;
      EXPECT_TRUE(Near(At(left + 1, top + 1), kBlue, 0)) << at;  // the child starts at the corner
      EXPECT_EQ(Hit(left + 1, top + 1), child) << at;
      EXPECT_EQ(Hit(left + 30, top + 15), im) << at;
    }
}

TEST_F(ImageTest, ScalesAndSize) {
  auto* im = Picture("halves.tga", 0, 0);
  im->ScaleMilli = ToThousandths(2);
  im->ScaleX = 1.5;
  im->ScaleY = 0.5;
  im->PosHor = phCenter;
  im->rX = 200;
  EXPECT_EQ(im->GetSizeX(), 120);
  EXPECT_EQ(im->GetSizeY(), 20);
  Frame();
  EXPECT_TRUE(Near(At(140, 0), kRed, 0));
  EXPECT_TRUE(Near(At(196, 19), kRed, 0));  // smoothing blends only next to the colour edge
  EXPECT_TRUE(Near(At(204, 10), kGreen, 0));
  EXPECT_TRUE(Near(At(259, 19), kGreen, 0));
  EXPECT_TRUE(Near(At(260, 10), kBlack, 0));
  EXPECT_TRUE(Near(At(150, 20), kBlack, 0));
}

TEST_F(ImageTest, RotationTurnsClockwiseAboutThePicturesCentre) {
  auto* im = Picture("halves.tga", 300, 300);
  im->PosHor = phCenter;
  im->PosVert = pvCenter;
  im->AngleMilli = ToThousandths(90);
  Frame();
  // The left (red) half turns to the top, the right (green) half to the bottom.
  EXPECT_TRUE(Near(At(300, 285), kRed, 0));
  EXPECT_TRUE(Near(At(295, 282), kRed, 0));
  EXPECT_TRUE(Near(At(300, 315), kGreen, 0));
  EXPECT_TRUE(Near(At(305, 318), kGreen, 0));
  EXPECT_TRUE(Near(At(315, 300), kBlack, 0));  // 20 wide, 40 high now
  EXPECT_TRUE(Near(At(300, 322), kBlack, 0));
  // Its hit test turns with it: the red half at the top.
  EXPECT_EQ(Hit(300, 285), im);
  EXPECT_EQ(Hit(315, 300), nullptr);
}

TEST_F(ImageTest, PatternsTintAndEffect) {
  auto* first = Picture("strip.tga", 10, 10);
  auto* second = Picture("strip.tga", 30, 10);
  second->Anim = 1;
  auto* tinted = Picture("strip.tga", 50, 10);
  tinted->Color = 0x80808080u;  // half-transparent grey: blue x 0.5, blended half over black
  auto* added = Picture("strip.tga", 70, 10);
  added->Anim = 7;  // past the last pattern: the last one
  added->hxDrawFx = 260;
  auto* under = Make<TQelShape>(screen, "TQelShape");
  under->rX = 90;
  under->rY = 10;
  under->SizeX = under->SizeY = 10;
  under->Color = kGreen;
  auto* sum = Picture("strip.tga", 90, 10);
  sum->hxDrawFx = 260;
  EXPECT_EQ(first->GetSizeX(), 10);
  Frame();
  EXPECT_TRUE(Near(At(15, 15), kBlue, 0));
  EXPECT_TRUE(Near(At(35, 15), kRed, 0));
  EXPECT_TRUE(Near(At(55, 15), 0xFF000040u, 2));
  EXPECT_TRUE(Near(At(75, 15), kRed, 0));
  EXPECT_TRUE(Near(At(95, 15), 0xFF00FFFFu, 0));
}

TEST_F(ImageTest, HitTestsFollowThePicturesAlpha) {
  auto* im = Picture("halves.tga", 50, 50);
  EXPECT_EQ(Hit(50, 50), im);
  EXPECT_EQ(Hit(89, 69), im);
  EXPECT_EQ(Hit(55, 55), nullptr);  // the transparent pixel
  EXPECT_EQ(Hit(90, 60), nullptr);
  EXPECT_EQ(Hit(49, 60), nullptr);
  im->MousedVis = false;
  EXPECT_EQ(Hit(60, 60), nullptr);
  im->MousedVis = true;
  im->Vis = false;
  EXPECT_EQ(Hit(60, 60), nullptr);
  im->MousedNotVis = true;
  EXPECT_EQ(Hit(60, 60), im);
}

TEST_F(ImageTest, MissingPictureDrawsNothingAndPlacesChildrenAtItsPosition) {
  auto* im = Picture("nothing.png", 100, 100);
  im->PosHor = phRight;
  auto* child = Make<TQelShape>(im, "TQelShape");
  child->SizeX = child->SizeY = 4;
  Frame();
  EXPECT_TRUE(Near(At(101, 101), 0xFFFFFFFFu, 0));
  EXPECT_EQ(im->GetSizeX(), 0);
  EXPECT_EQ(im->GetAbsX(), 100);
  EXPECT_EQ(Hit(101, 101), child);
  EXPECT_EQ(Hit(99, 99), nullptr);
}

TEST_F(ImageTest, FarOffPicturesAreCutToTheDrawnRange) {
  auto* im = Picture("halves.tga", -5000, 0);
  im->ScaleMilli = ToThousandths(300);  // 12000 x 6000, from -5000 to 7000
  Frame();
  EXPECT_TRUE(Near(At(0, 0), kRed, 0));      // column (5000 / 300) = 16: red
  EXPECT_TRUE(Near(At(823, 767), kRed, 0));  // column 19.4
  const ImageQuad q = CutQuad(-5000, 0, 12000, 6000, 40, 20, 0, 0);
  EXPECT_GE(q.corners.p[0].x, -1024 - 2 * 300);  // whole columns, one to spare
  EXPECT_LE(q.corners.p[1].x, 2048 + 2 * 300);
  EXPECT_EQ(q.source.srcX, 12);
}

TEST_F(ImageTest, ScreenBackgroundSetsTheSize) {
  screen->SizeX = 5;
  screen->SetImBack("halves.tga");
  EXPECT_EQ(screen->SizeX, 40);
  EXPECT_EQ(screen->SizeY, 20);
  Variant name;
  ASSERT_TRUE(screen->GetValue("IMBACK", name));
  EXPECT_EQ(name, Variant::String("HALVES.TGA"));
  screen->rX = 500;  // a screen's own position does not move its background
  Frame();
  EXPECT_TRUE(Near(At(0, 0), kRed, 0));
  EXPECT_TRUE(Near(At(39, 19), kGreen, 0));
  EXPECT_TRUE(Near(At(5, 5), 0xFFFF0000u, 0));  // effect 1: opaque even where alpha is 0
  screen->SetImBack("missing.png");
  EXPECT_EQ(screen->SizeX, 40);
}

// A unicode game: glyph 0x410 (pattern 0, red, advance 17 / 1.7 = 10) and
// 'B' (pattern 1, blue, advance 10 / 1.7 = 6) in a 20 x 10 glyph picture.
class UnicodeTest : public ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    if (IsSkipped()) return;
    std::filesystem::create_directories(dir / "unicode");
    TBitmap32 glyphs;
    glyphs.Resize(20, 10);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) glyphs.At(x, y) = x < 10 ? kRed : kBlue;
    std::ofstream(dir / "unicode" / "unicode.png", std::ios::binary) << EncodePng(glyphs);
    std::ofstream(dir / "unicode" / "unicode.an") << "2\n1\n";
    std::ofstream(dir / "unicode" / "unicode.fnt") << "2\n410 17\n42 10\nFace\n";
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", dir / "unicode" / "unicode.ttf");
    gameDir = std::make_unique<GameDir>(dir);
    cache->SetDir(gameDir.get());
    ASSERT_TRUE(db.Texts().SetUpUnicode(*gameDir));
    db.UnicodeMode = true;
  }
};

TEST_F(UnicodeTest, GlyphsComeFromTheGlyphPictureScaledToTheFont) {
  auto* t = Make<TQelText>(screen, "TQelText");
  t->SetFont("Test");  // "W" stands 4 high: glyphs are drawn at 4 / 10
  t->rX = 100;
  t->rY = 50;
  // U+0410, 'B', 'Z' (in the table, no advance), U+0500 (past the table), 'B'.
  t->SetText(std::string("\x01\x10\x04" "BZ" "\x01\x00\x05" "B", 9));
  Frame();
  EXPECT_TRUE(Near(At(101, 51), kRed, 8));
  EXPECT_TRUE(Near(At(105, 51), kBlue, 8));    // x + 10 x 0.4
  EXPECT_TRUE(Near(At(107, 52), kBlue, 8));
  EXPECT_TRUE(Near(At(109, 51), kBlue, 8));    // x + 16 x 0.4: the codes between draw nothing, take no room
  EXPECT_TRUE(Near(At(113, 51), kBlack, 8));
  // Alignment measures with the glyph advances.
  t->PosHor = phRight;
  Frame();
  const double left = 100 + 100 - (10 + 6 + 6) * 0.4;
  EXPECT_TRUE(Near(At(static_cast<int>(left) + 2, 52), kRed, 8));
  EXPECT_TRUE(Near(At(static_cast<int>(left) - 2, 52), kBlack, 8));
}

TEST_F(UnicodeTest, FocusedAndUniTextsUseTheTrueTypeFont) {
  auto* t = Make<TQelText>(screen, "TQelText");
  t->SetFont("Test");
  t->rX = 200;
  t->rY = 200;
  t->PosHor = phCenter;
  t->PosVert = pvCenter;
  t->SetText("HHHHHHHHHH");
  Variant width;
  ASSERT_TRUE(t->GetValue("TEXTSZ", width));
  EXPECT_GT(*width.ToDouble(), 0);  // the bitmap font's width
  t->Uni = true;
  ASSERT_TRUE(t->GetValue("TEXTSZ", width));
  EXPECT_EQ(width, Variant::Byte(0));  // nothing rendered yet
  Frame();
  ASSERT_NE(t->SystemTexture, nullptr);
  ASSERT_TRUE(t->GetValue("TEXTSZ", width));
  const double w = *width.ToDouble();
  EXPECT_GT(w, 10);
  // Centred on the box's centre (250, 250), as wide as TEXTSZ.
  int inked = 0, leftmost = 1024, rightmost = 0;
  for (int y = 240; y < 260; ++y)
    for (int x = 200; x < 300; ++x)
      if ((At(x, y) & 0xFF) > 0x80) {
        ++inked;
        leftmost = std::min(leftmost, x);
        rightmost = std::max(rightmost, x);
      }
  EXPECT_GT(inked, 10);
  EXPECT_NEAR((leftmost + rightmost) / 2.0, 250, 3);
  EXPECT_LE(rightmost - leftmost, w + 1);
  TGfxImage* before = t->SystemTexture;
  Frame();
  EXPECT_EQ(t->SystemTexture, before);  // rebuilt only when the text changes
  t->Uni = false;
  db.runtime().shell.FocusedText = t->Handle();
  t->SetText("H");
  Frame();
  EXPECT_EQ(textures.IndexOf(before), -1);
}

}  // namespace
}  // namespace qel::test

// A picture without per-pixel alpha is solid in its grown rectangle.
TEST(PixelHit, MarginGrowsASolidPictureAboutItsCentre) {
  qel::TGfxImage im;
  im.AlphaLevel = qel::TAlphaLevel::alNone;
  im.PatternWidth = im.PatternHeight = 20;
  im.PatternCount = 1;
  for (int x = -2; x <= 32; ++x)
    EXPECT_EQ(qel::PixelHit(&im, x, 10, 0, 0, 0, 0, 1000, 0, 5, 0), x >= 0 && x <= 29) << x;
  EXPECT_FALSE(qel::PixelHit(&im, 10, 10, 0, 0, 0, 0, 0, 0, 5, 0));
  EXPECT_FALSE(qel::PixelHit(nullptr, 10, 10, 0, 0, 0, 0, 1000, 0, 5, 0));
  EXPECT_FALSE(qel::PixelHit(&im, INT64_MAX / 4, 10, 0, 0, 0, 0, INT32_MAX, 0, INT32_MAX, 0));
}
