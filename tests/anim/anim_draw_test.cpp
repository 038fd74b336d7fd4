// Animations, references and image lists drawn headless with pictures from
// the image cache.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../elements/draw_fixture.h"
#include "anim/frame_table.h"
#include "elements/particles.h"
#include "base/game_paths.h"
#include "gamedb/image_cache.h"

namespace qel::test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u, kBlue = 0xFF0000FFu, kRed = 0xFFFF0000u;

// An uncompressed 32-bit TGA of one colour, rows top-down.
void WriteTga(const std::filesystem::path& path, int w, int h, uint32_t argb) {
  std::ofstream out(path, std::ios::binary);
  unsigned char header[18] = {0, 0, 2};
  header[12] = static_cast<unsigned char>(w);
  header[14] = static_cast<unsigned char>(h);
  header[16] = 32;
  header[17] = 0x28;
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  const char bgra[4] = {static_cast<char>(argb & 0xFF), static_cast<char>((argb >> 8) & 0xFF),
                        static_cast<char>((argb >> 16) & 0xFF), static_cast<char>(argb >> 24)};
  for (int i = 0; i < w * h; ++i) out.write(bgra, 4);
}

class AnimDraw : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    if (IsSkipped()) return;
    dir = std::filesystem::path(::testing::TempDir()) / ("qel_anim_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    WriteTga(dir / "dot.tga", 10, 10, kBlue);
    WriteTga(dir / "red.tga", 10, 10, kRed);
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
  // An animation at (100, 100) whose sprite "d" moves from (0, 0) to (40, 0) over four frames.
  TQelAnim* Walk(TQelElement* parent) {
    auto* anim = Make<TQelAnim>(parent, "TQelAnim");
    anim->Key = 501;
    anim->rX = anim->rY = 100;
    anim->ShowAn = true;
    for (int k = 0; k < 2; ++k) {
      auto* key = Make<TQelAnKey>(anim, "TQelAnKey");
      key->Count = k == 0 ? 3 : 0;
      auto* img = Make<TQelImage>(key, "TQelImage");
      img->SetId(ByteString(1, 'd'));
      img->rX = 40.0 * k;
      img->SetImImage("Dot.tga");
    }
    anim->LoadRes();
    return anim;
  }

  std::filesystem::path dir;
  std::unique_ptr<GameDir> gameDir;
  std::unique_ptr<ImageCache> cache;
};

TEST_F(AnimDraw, TheCurrentFrameIsDrawnWhereTheTablePutsItsSprites) {
  TQelAnim* anim = Walk(screen);
  ASSERT_EQ(anim->FrameCount(), 5);
  anim->SetPosition(2);
  Variant x, count;
  ASSERT_TRUE(anim->GetValue("KEYX", x));
  EXPECT_EQ(x, Variant::Float(100 + 20 + 5));
  ASSERT_TRUE(anim->GetValue("KEYY[1]", x));
  EXPECT_EQ(x, Variant::Float(100 + 5));
  ASSERT_TRUE(anim->GetValue("KEYX[2]", x));
  EXPECT_EQ(x, Variant::Byte(0));
  Frame();
  EXPECT_TRUE(Near(At(125, 105), kBlue, 0));
  EXPECT_TRUE(Near(At(121, 101), kBlue));
  EXPECT_TRUE(Near(At(117, 105), kBlack, 0));
  EXPECT_TRUE(Near(At(133, 105), kBlack, 0));
  EXPECT_TRUE(Near(At(105, 105), kBlack, 0));  // where the sprite started
  anim->SetPosition(-1);
  Frame();
  EXPECT_TRUE(Near(At(125, 105), kBlack, 0));  // no frame, nothing drawn
}

TEST_F(AnimDraw, ReferencesDrawTheAnimationAtTheirPlaceWithTheirPosition) {
  TQelAnim* anim = Walk(&db);  // top-level, so references find it
  anim->SetPosition(0);
  auto* ref = Make<TQelExAnim>(screen, "TQelExAnim");
  ref->SetObAnim(501);
  ref->rX = 300;
  ref->rY = 200;
  ref->SetPosition(4);
  Frame();
  EXPECT_TRUE(Near(At(300 + 40 + 5, 200 + 5), kBlue, 0));
  EXPECT_TRUE(Near(At(300 + 5, 200 + 5), kBlack, 0));
}

TEST_F(AnimDraw, KeysAreDrawnInsteadOfFramesWhileShowAnIsOff) {
  TQelAnim* anim = Walk(screen);
  anim->ShowAn = false;
  Frame();
  EXPECT_TRUE(Near(At(105, 105), kBlue, 0));
  EXPECT_TRUE(Near(At(145, 105), kBlue, 0));
}

TEST_F(AnimDraw, PictureChangesCrossFade) {
  TQelAnim* anim = Walk(screen);
  auto* key = static_cast<TQelAnKey*>(anim->Child(1));
  static_cast<TQelImage*>(key->Child(0))->SetImImage("red.tga");
  static_cast<TQelAnKey*>(anim->Child(0))->Morph = true;
  static_cast<TQelAnKey*>(anim->Child(0))->SetCount(2);
  ASSERT_EQ(anim->FrameCount(), 4);
  anim->SetPosition(2);  // the end of the fade: the old picture gone, the new one whole
  Frame();
  EXPECT_TRUE(Near(At(105, 105), kBlack, 0));
  EXPECT_TRUE(Near(At(145, 105), kRed, 0));
  anim->SetPosition(1);  // half way: both at 223 / 255
  Frame();
  EXPECT_TRUE(Near(At(105, 105), 0xFF0000DFu));
  EXPECT_TRUE(Near(At(145, 105), 0xFFDF0000u));
}

TEST_F(AnimDraw, ImageListsFitEachPictureIntoItsCell) {
  auto* list = Make<TQelImList>(screen, "TQelImList");
  list->rX = 200;
  list->rY = 100;
  list->SetSizeX(65);
  list->SetSizeY(30);
  list->SetColCount(2);
  list->SetRowCount(1);
  list->SetSpace(5);
  auto* holder = Make<TQelImage>(screen, "TQelImage");
  holder->Vis = false;
  for (const char* name : {"dot.tga", "red.tga"}) {
    auto* img = Make<TQelImage>(holder, "TQelImage");
    img->SetImImage(name);
    list->AddEntry(img);
  }
  Frame();
  // Cells of 30 x 30 at 200 and 235: the 10 x 10 pictures grow threefold.
  EXPECT_TRUE(Near(At(201, 101), kBlue, 0));
  EXPECT_TRUE(Near(At(228, 128), kBlue, 0));
  EXPECT_TRUE(Near(At(232, 115), kBlack, 0));
  EXPECT_TRUE(Near(At(236, 101), kRed, 0));
  EXPECT_TRUE(Near(At(263, 128), kRed, 0));
}

// A 24-bit BMP of one colour, w a multiple of 4.
void WriteBmp(const std::filesystem::path& path, int w, int h, uint32_t rgb) {
  std::string b(54, '\0');
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B', b[1] = 'M';
  put(2, static_cast<uint32_t>(54 + w * h * 3), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(w), 4);
  put(22, static_cast<uint32_t>(h), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int i = 0; i < w * h; ++i) b += std::string{static_cast<char>(rgb & 0xFF), static_cast<char>((rgb >> 8) & 0xFF), static_cast<char>((rgb >> 16) & 0xFF)};
  std::ofstream(path, std::ios::binary) << b;
}

TEST_F(AnimDraw, ParticlesAreDrawnWithTheParticlePictureAndTheEffectsColourMask) {
  WriteBmp(dir / "Particles.bmp", 8, 8, 0xFFFFFF);
  ParticleManager manager;
  db.runtime().services.particles = &manager;
  auto* effect = Make<TQelEffect>(screen, "TQelEffect");
  effect->SetPos(200, 150);
  effect->SetEffectFN("none.eff");
  std::string record(EffectRecord::kSize, '\0');
  const float lifetime = 10, life = 5, size = 2;
  const uint32_t fx = 1284, emission = 30, white = 0xFFFFFFFFu;
  std::memcpy(&record[12], &fx, 4);
  std::memcpy(&record[16], &emission, 4);
  std::memcpy(&record[20], &lifetime, 4);
  std::memcpy(&record[24], &life, 4);
  std::memcpy(&record[28], &life, 4);
  for (size_t at : {76, 80, 84}) std::memcpy(&record[at], &size, 4);
  for (size_t at : {108, 112, 116}) std::memcpy(&record[at], &white, 4);
  effect->System()->Load(record);
  effect->hxColor = 0x00FF00;
  effect->DAnim = 1;
  effect->SetActive(true);
  effect->Process();
  ASSERT_EQ(effect->System()->Count(), 1);
  Frame();
  // An 8 x 8 picture at twice its size about the emitter, masked to green.
  EXPECT_TRUE(Near(At(200, 150), 0xFF00FF00u));
  EXPECT_TRUE(Near(At(193, 143), 0xFF00FF00u));
  EXPECT_TRUE(Near(At(190, 150), kBlack, 0));
  EXPECT_TRUE(Near(At(210, 150), kBlack, 0));
  db.runtime().services.particles = nullptr;
}

}  // namespace
}  // namespace qel::test
