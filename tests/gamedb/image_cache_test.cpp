#include "gamedb/image_cache.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "base/game_paths.h"
#include "elements/qel_db.h"
#include "elements/runtime.h"
#include "gamedb/sound_cache.h"
#include "gamedb/picture_source.h"
#include "picture_files.h"
#include "render/gfx_device.h"
#include "render/gfx_images.h"
#include "render/res_db.h"

namespace qel {
namespace {

struct FakeShell {
  int64_t FrameTick = 0;
  bool ImmediateImageLoad = false;
  bool LoadingMode = false;
  int32_t ImagesForLoadCount = 0;
  int32_t ImagesForLoadPos = 0;
};
struct FakeDb {
  int32_t MaxMem = 0;
  bool AlwaysLoadIm = false;
};

uint8_t Alpha(uint32_t argb) { return static_cast<uint8_t>(argb >> 24); }
// JPEG colours come back within a step or two.
void ExpectNear(uint32_t got, uint32_t want, const char* what) {
  for (int shift : {0, 8, 16}) {
    const int g = (got >> shift) & 0xFF, w = (want >> shift) & 0xFF;
    EXPECT_NEAR(g, w, 3) << what << " channel at bit " << shift;
  }
}

class ImageCacheTest : public ::testing::Test {
 protected:
  ImageCacheTest() : dir(scratch.path() / "game"), textures(device) {
    std::filesystem::create_directories(scratch.path() / "game");
    cache = std::make_unique<ImageCache>(textures, &dir, &archive,
                                         ImageCacheGameOf(shell, db, [this] { ++progressRuns; }));
  }
  void WriteGame(const std::string& name, const std::string& bytes) { scratch.Write("game/" + name, bytes); }
  // Records are added to an archive file, then opened read-only as the game does.
  void WriteArchive(const std::vector<std::pair<std::string, std::string>>& records) {
    TResDb writer;
    writer.SetFileName((scratch.path() / "res.dat").string());
    writer.SetOpenMode(TOpenMode::opOverwrite);
    ASSERT_TRUE(writer.OpenTable());
    for (const auto& [name, bytes] : records) ASSERT_TRUE(writer.WriteRecord(name, 0, bytes));
    archive.SetFileName((scratch.path() / "res.dat").string());
  }

  test::TempDir scratch;
  GameDir dir;
  TGfxDevice device;  // never initialised: textures keep their pixels on the CPU
  TGfxImages textures;
  TResDb archive;
  FakeShell shell;
  FakeDb db;
  int progressRuns = 0;
  std::unique_ptr<ImageCache> cache;
};

TEST_F(ImageCacheTest, OneEntryPerNameInAnyCaseButTheMaskViewIsAnother) {
  WriteGame("Logo.JPG", test::EncodeJpeg(test::Solid(8, 8, 0xFF336699)));
  TQelIm* a = cache->RequestImage("Logo.JPG", true);
  TQelIm* b = cache->RequestImage("logo.jpg", false);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->name, "LOGO.JPG");
  EXPECT_EQ(a->requests, 2);
  EXPECT_NE(a->texture, nullptr);
  EXPECT_TRUE(a->pinned);

  std::vector<uint8_t> mask(16, 200);
  WriteGame("shadow.bmp", test::EncodeBmp8(4, 4, mask));
  EXPECT_NE(cache->RequestImage("*shadow.bmp", true), cache->RequestImage("shadow.bmp", true));
  EXPECT_EQ(cache->Count(), 3u);
  EXPECT_NE(cache->Find("*SHADOW.BMP"), nullptr);
}

TEST_F(ImageCacheTest, PatternGridFromAnFileOnDiskAndInTheArchive) {
  TBitmap32 sheet;
  sheet.Resize(256, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 256; ++x) sheet.At(x, y) = 0xFF000000u | static_cast<uint32_t>((x / 64) << 16 | (y / 64) << 8 | x % 64);
  WriteGame("anim/sheet.png", test::EncodePng(sheet));
  WriteGame("anim/sheet.an", "4\r\n2\r\n");
  WriteArchive({{"arch\\sheet.png", test::EncodePng(sheet)}, {"ARCH\\SHEET.AN", "4\n2"}});
  const auto cwdBefore = std::filesystem::current_path();

  for (const char* name : {"ANIM\\Sheet.png", "arch\\sheet.png"}) {
    SCOPED_TRACE(name);
    TGfxImage* t = cache->RequestImage(name, true)->texture;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->PatternCount, 8);
    EXPECT_EQ(t->PatternWidth, 64);
    EXPECT_EQ(t->PatternHeight, 64);
    EXPECT_EQ(t->TextureWidth, 66);
    EXPECT_EQ(t->TextureHeight, 66);
    // Pattern 6 is column 2 of row 1.
    EXPECT_EQ(t->GetPatternPixel(6, 5, 7), 0xFF000000u | 2u << 16 | 1u << 8 | 5u);
    // The border repeats the pattern's edge.
    int tex, cx, cy;
    t->PatternOrigin(6, tex, cx, cy);
    EXPECT_EQ(t->GetPixel(cx - 1, cy + 3, tex), t->GetPatternPixel(6, 0, 3));
  }
  EXPECT_EQ(cache->TotalBytes(), 2 * 256 * 128 * 4);
  // Nothing was written to read the archive's grid.
  EXPECT_FALSE(std::filesystem::exists(cwdBefore / "temp.an"));
  EXPECT_FALSE(std::filesystem::exists(scratch.path() / "game" / "temp.an"));
}

TEST_F(ImageCacheTest, GridValuesThatAreMissingOrBadMeanOne) {
  int c = 0, r = 0;
  ParsePatternGrid({'3'}, c, r);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(r, 1);
  std::string text = "0\n-4\n";
  ParsePatternGrid(std::vector<uint8_t>(text.begin(), text.end()), c, r);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);
  text = " 2 \r\nx";
  ParsePatternGrid(std::vector<uint8_t>(text.begin(), text.end()), c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 1);
}

TEST_F(ImageCacheTest, MissingOrBrokenPicturesFailOnceAndForAll) {
  TQelIm* e = cache->RequestImage("nothere.png", true);
  EXPECT_TRUE(e->failed);
  EXPECT_EQ(e->texture, nullptr);
  WriteGame("nothere.png", test::EncodePng(test::Solid(4, 4, 0xFFFFFFFF)));
  EXPECT_EQ(cache->RequestImage("NOTHERE.PNG", true)->texture, nullptr);  // never retried
  EXPECT_EQ(shell.ImagesForLoadPos, 1);

  std::string png = test::EncodePng(test::Solid(32, 32, 0xFF00FF00));
  WriteGame("cut.png", png.substr(0, png.size() / 2));
  WriteGame("junk.jpg", "not a picture at all");
  WriteGame("sheet.png", png);
  WriteGame("sheet.an", "64\n1");  // patterns narrower than a pixel
  for (const char* name : {"cut.png", "junk.jpg", "sheet.png"}) EXPECT_TRUE(cache->RequestImage(name, true)->failed) << name;
  EXPECT_EQ(textures.Count(), 0);
  EXPECT_EQ(progressRuns, 0);
}

TEST_F(ImageCacheTest, DeferredRequestsAreCountedOnceAndLoadWhenForced) {
  WriteGame("room.png", test::EncodePng(test::Solid(10, 10, 0xFF112233)));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(cache->RequestImage("room.png", false)->texture, nullptr);
  EXPECT_EQ(shell.ImagesForLoadCount, 1);
  EXPECT_EQ(shell.ImagesForLoadPos, 0);

  shell.ImmediateImageLoad = true;
  shell.FrameTick = 42;
  TQelIm* e = cache->RequestImage("room.png", false);
  ASSERT_NE(e->texture, nullptr);
  EXPECT_FALSE(e->pinned);  // pinned is decided by the first request
  EXPECT_EQ(e->lastUse, 42);
  EXPECT_EQ(e->size, 400);
  EXPECT_EQ(shell.ImagesForLoadPos, 1);
  EXPECT_EQ(shell.ImagesForLoadCount, 1);
}

TEST_F(ImageCacheTest, TheFileComesFirstThenTheArchive) {
  WriteGame("pics/both.png", test::EncodePng(test::Solid(2, 2, 0xFF0000FF)));
  WriteArchive({{"pics\\both.png", test::EncodePng(test::Solid(2, 2, 0xFFFF0000))},
                {"pics\\only.png", test::EncodePng(test::Solid(2, 2, 0xFF00FF00))}});
  TGfxImage* both = cache->RequestImage("Pics\\Both.png", true)->texture;
  TGfxImage* only = cache->RequestImage("pics/ONLY.png", true)->texture;
  ASSERT_NE(both, nullptr);
  ASSERT_NE(only, nullptr);
  EXPECT_EQ(both->GetPatternPixel(0, 1, 1), 0xFF0000FFu);
  EXPECT_EQ(only->GetPatternPixel(0, 1, 1), 0xFF00FF00u);
}

class MaskTest : public ImageCacheTest {
 protected:
  void SetUp() override {
    for (int i = 0; i < 16; ++i) mask.push_back(static_cast<uint8_t>(i * 16 + 5));
  }
  // Expects the colour with the mask as alpha, pixel by pixel.
  void ExpectMasked(const char* name, uint32_t colour) {
    SCOPED_TRACE(name);
    TGfxImage* t = cache->RequestImage(name, true)->texture;
    ASSERT_NE(t, nullptr);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        const uint32_t p = t->GetPatternPixel(0, x, y);
        EXPECT_EQ(Alpha(p), mask[static_cast<size_t>(y * 4 + x)]);
        ExpectNear(p, colour, "colour");
      }
  }
  std::vector<uint8_t> mask;
};

TEST_F(MaskTest, BitmapNamedAfterItsColourPicture) {
  WriteGame("door.jpg", test::EncodeJpeg(test::Solid(4, 4, 0xFF8040C0)));
  WriteGame("door_m.bmp", test::EncodeBmp8(4, 4, mask));
  ExpectMasked("door_m.bmp", 0xFF8040C0);
  // The mask view: each pixel its alpha in all four channels.
  TGfxImage* view = cache->RequestImage("*door_m.bmp", true)->texture;
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetPatternPixel(0, 3, 2), 0x01010101u * mask[11]);
}

TEST_F(MaskTest, BitmapWithAnUnderscoredColourPicture) {
  WriteGame("lamp_.jpg", test::EncodeJpeg(test::Solid(4, 4, 0xFF20E040)));
  WriteGame("lamp.bmp", test::EncodeBmp8(4, 4, mask));
  ExpectMasked("lamp.bmp", 0xFF20E040);
  // A mask view then shows the colour picture too: the companion comes last.
  ExpectMasked("*lamp.bmp", 0xFF20E040);
}

TEST_F(MaskTest, JpegTakesItsAlphaFromTheBitmapItNames) {
  WriteGame("glow_1.jpg", test::EncodeJpeg(test::Solid(4, 4, 0xFFFFFF00)));
  WriteGame("glow.bmp", test::EncodeBmp8(4, 4, mask));
  ExpectMasked("glow_1.jpg", 0xFFFFFF00);
}

TEST_F(MaskTest, CompanionsComeFromTheSameSourceAsThePicture) {
  // The colour picture is on disk, its mask only in the archive: no alpha.
  WriteGame("fog_2.jpg", test::EncodeJpeg(test::Solid(4, 4, 0xFF808080)));
  WriteArchive({{"fog.bmp", test::EncodeBmp8(4, 4, mask)},
                {"arch_1.jpg", test::EncodeJpeg(test::Solid(4, 4, 0xFF4080FF))},
                {"arch.bmp", test::EncodeBmp8(4, 4, mask)}});
  EXPECT_EQ(Alpha(cache->RequestImage("fog_2.jpg", true)->texture->GetPatternPixel(0, 1, 1)), 255);
  ExpectMasked("arch_1.jpg", 0xFF4080FF);
}

TEST_F(MaskTest, PlainBitmapAndAMaskSmallerThanItsPicture) {
  WriteGame("plain.bmp", test::EncodeBmp8(4, 4, mask));
  TGfxImage* plain = cache->RequestImage("plain.bmp", true)->texture;
  EXPECT_EQ(plain->GetPatternPixel(0, 1, 0), 0xFF000000u | 0x010101u * mask[1]);
  EXPECT_EQ(cache->RequestImage("*plain.bmp", true)->texture->GetPatternPixel(0, 1, 0), 0xFFFFFFFFu);

  WriteGame("big.jpg", test::EncodeJpeg(test::Solid(8, 8, 0xFF000000)));
  WriteGame("big_s.bmp", test::EncodeBmp8(4, 4, mask));
  TGfxImage* big = cache->RequestImage("big_s.bmp", true)->texture;
  EXPECT_EQ(Alpha(big->GetPatternPixel(0, 3, 3)), mask[15]);
  EXPECT_EQ(Alpha(big->GetPatternPixel(0, 6, 6)), 255);  // outside the mask: opaque
}

TEST_F(ImageCacheTest, DropKeepsRequestedAndPinnedPictures) {
  shell.ImmediateImageLoad = true;
  for (const char* n : {"a.png", "b.png", "c.png"}) WriteGame(n, test::EncodePng(test::Solid(4, 4, 0xFF000000)));
  TQelIm* pinned = cache->RequestImage("a.png", true);
  TQelIm* used = cache->RequestImage("b.png", false);
  TQelIm* unused = cache->RequestImage("c.png", false);
  cache->ResetImageRequests();
  cache->RequestImage("b.png", false);
  cache->DropUnusedImages();
  EXPECT_NE(pinned->texture, nullptr);
  EXPECT_NE(used->texture, nullptr);
  EXPECT_EQ(unused->texture, nullptr);
  EXPECT_EQ(textures.Count(), 2);
  EXPECT_EQ(cache->TotalBytes(), 2 * 64);
}

TEST_F(ImageCacheTest, TrimmingUnloadsTheLeastRecentlyUsedFirst) {
  shell.ImmediateImageLoad = true;
  std::vector<TQelIm*> e;
  for (int i = 0; i < 5; ++i) {
    std::string name = "p";
    name += std::to_string(i) + ".png";
    WriteGame(name, test::EncodePng(test::Solid(16, 16, 0xFF000000)));  // 1024 bytes each
    e.push_back(cache->RequestImage(name, i == 0));
  }
  const int64_t uses[] = {0, 30, 10, 10, 20};  // p0 is pinned
  for (int i = 0; i < 5; ++i) {
    shell.FrameTick = uses[i];
    cache->TextureOf(e[static_cast<size_t>(i)]);
  }
  shell.FrameTick = 40;
  db.MaxMem = 2000;  // p2 and p3 (tick 10) leave 2048, then p4 (tick 20) goes too
  cache->TrimImageMemory();
  EXPECT_NE(e[0]->texture, nullptr);
  EXPECT_NE(e[1]->texture, nullptr);
  EXPECT_EQ(e[2]->texture, nullptr);
  EXPECT_EQ(e[3]->texture, nullptr);
  EXPECT_EQ(e[4]->texture, nullptr);
  EXPECT_EQ(cache->TotalBytes(), 2048);

  // Reloaded at tick 40: p1 (tick 30) goes first, then p2 is enough and p3,
  // of the same age but later in the cache, stays.
  cache->RequestImage("p2.png", true);
  cache->RequestImage("p3.png", true);
  db.MaxMem = 1500;
  cache->TrimImageMemory();
  EXPECT_EQ(e[1]->texture, nullptr);
  EXPECT_EQ(e[2]->texture, nullptr);
  EXPECT_NE(e[3]->texture, nullptr);
  EXPECT_EQ(cache->TotalBytes(), 2048);
}

TEST_F(ImageCacheTest, LoadsPastTheBudgetTrimAtOnce) {
  shell.ImmediateImageLoad = true;
  db.MaxMem = 25'000'001;
  WriteGame("old.png", test::EncodePng(test::Solid(2048, 2048, 0xFF000000)));  // 16.8 MB decoded
  WriteGame("new.png", test::EncodePng(test::Solid(2048, 2048, 0xFFFFFFFF)));
  TQelIm* old = cache->RequestImage("old.png", false);
  shell.FrameTick = 1;
  TQelIm* fresh = cache->RequestImage("new.png", false);
  EXPECT_EQ(old->texture, nullptr);
  EXPECT_NE(fresh->texture, nullptr);
  EXPECT_EQ(cache->TotalBytes(), 2048 * 2048 * 4);
}

TEST_F(ImageCacheTest, TextureOfStampsAndReloadsOnlyWhenAlwaysLoad) {
  shell.ImmediateImageLoad = true;
  WriteGame("x.png", test::EncodePng(test::Solid(4, 4, 0xFF000000)));
  TQelIm* e = cache->RequestImage("x.png", false);
  cache->ResetImageRequests();
  cache->DropUnusedImages();
  shell.FrameTick = 9;
  EXPECT_EQ(cache->TextureOf(e), nullptr);
  EXPECT_EQ(e->lastUse, 9);
  db.AlwaysLoadIm = true;
  shell.FrameTick = 11;
  EXPECT_NE(cache->TextureOf(e), nullptr);
  EXPECT_EQ(e->lastUse, 11);
  EXPECT_EQ(cache->TextureOf(nullptr), nullptr);
}

TEST_F(ImageCacheTest, LoadingModeRunsTheProgressScriptAfterEachTexture) {
  shell.LoadingMode = true;
  for (const char* n : {"a.png", "b.png"}) WriteGame(n, test::EncodePng(test::Solid(4, 4, 0xFF000000)));
  cache->RequestImage("a.png", false);  // deferred: no load, no progress
  EXPECT_EQ(progressRuns, 0);
  cache->RequestImage("a.png", true);
  cache->RequestImage("b.png", true);
  cache->RequestImage("missing.png", true);
  EXPECT_EQ(progressRuns, 2);
  EXPECT_EQ(shell.ImagesForLoadPos, 3);
}

TEST_F(ImageCacheTest, ReloadKeepsStampsAndCountsAgain) {
  WriteGame("a.png", test::EncodePng(test::Solid(4, 4, 0xFF000000)));
  shell.FrameTick = 5;
  TQelIm* e = cache->RequestImage("a.png", true);
  shell.FrameTick = 50;
  cache->ReloadTextures();
  ASSERT_NE(e->texture, nullptr);
  EXPECT_EQ(e->lastUse, 5);
  EXPECT_EQ(cache->TotalBytes(), 64);
  EXPECT_EQ(textures.Count(), 1);
}

TEST_F(ImageCacheTest, BindsToTheRuntimeAndTheDatabase) {
  Runtime runtime;
  TQelDB root(&runtime);
  ImageCache bound(textures, &dir, nullptr, ImageCacheGameOf(runtime.shell, root));
  WriteGame("a.png", test::EncodePng(test::Solid(4, 4, 0xFF000000)));
  bound.RequestImage("a.png", false);
  EXPECT_EQ(runtime.shell.ImagesForLoadCount, 1);
  runtime.shell.ImmediateImageLoad = true;
  runtime.shell.FrameTick = 7;
  EXPECT_EQ(bound.RequestImage("a.png", false)->lastUse, 7);
  EXPECT_EQ(runtime.shell.ImagesForLoadPos, 1);
  SoundCache sounds(nullptr, &dir, nullptr, SoundCacheGameOf(runtime.shell));
  EXPECT_EQ(sounds.LoadSample("none.wav"), 0u);
}

}  // namespace
}  // namespace qel
