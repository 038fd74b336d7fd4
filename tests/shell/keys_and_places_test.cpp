#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "render/picture.h"
#include "shell/discovery.h"
#include "shell/event_source.h"
#include "shell/key_codes.h"
#include "shell/player_run.h"
#include "shell/screenshot.h"

namespace fs = std::filesystem;

namespace qel {
namespace {

TEST(KeyCodes, WindowsVirtualKeys) {
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN, SDL_SCANCODE_RETURN), 13);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 13);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 27);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE), 32);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT, SDL_SCANCODE_LEFT), 37);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP, SDL_SCANCODE_UP), 38);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RIGHT, SDL_SCANCODE_RIGHT), 39);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN, SDL_SCANCODE_DOWN), 40);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), 48);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), 57);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), 65);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), 90);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1, SDL_SCANCODE_F1), 112);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), 123);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), 16);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL, SDL_SCANCODE_RCTRL), 17);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), 8);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_5, SDL_SCANCODE_KP_5), 101);
  // A Cyrillic layout's letter key still gives the Latin letter of its place.
  EXPECT_EQ(VirtualKeyFromSdl(0x0444, SDL_SCANCODE_A), 65);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON), 186);
}

TEST(KeyCodes, TypedTextAsCodeUnitsAndAsTheRootReceivesThem) {
  EXPECT_EQ(Utf16UnitsOf("A\xD1\x8F"), (std::vector<uint16_t>{65, 0x44F}));
  EXPECT_EQ(Utf16UnitsOf("\xF0\x9F\x98\x80"), (std::vector<uint16_t>{0xD83D, 0xDE00}));
  EXPECT_EQ(CharForRoot(0x44F, true), 0x44F);
  EXPECT_EQ(CharForRoot(0x44F, false), 0xFF);  // я in Windows-1251
  EXPECT_EQ(CharForRoot('x', false), 'x');
  EXPECT_EQ(CharForRoot(0x4E2D, false), '?');
}

TEST(KeyCodes, CtrlAltSAndIAreThePlayersOwnKeys) {
  struct Case {
    SDL_Keycode key;
    Uint16 mod;
    bool screenshot, inspector;
    size_t gameEvents;
  };
  for (const Case& c : {Case{SDLK_i, KMOD_LCTRL | KMOD_LALT, false, true, 0},
                        Case{SDLK_i, KMOD_RCTRL | KMOD_RALT | KMOD_SHIFT, false, true, 0},
                        Case{SDLK_s, KMOD_LCTRL | KMOD_RALT, true, false, 0}, Case{SDLK_i, KMOD_LCTRL, false, false, 1},
                        Case{SDLK_i, KMOD_LALT, false, false, 1}, Case{SDLK_i, KMOD_NONE, false, false, 1}}) {
    SDL_Event ev{};
    ev.type = SDL_KEYDOWN;
    ev.key.keysym.sym = c.key;
    ev.key.keysym.mod = c.mod;
    const SdlTranslation t = TranslateSdlEvent(ev, nullptr, 1024, 768);
    EXPECT_EQ(t.screenshotKey, c.screenshot) << c.key << " " << c.mod;
    EXPECT_EQ(t.inspectorKey, c.inspector) << c.key << " " << c.mod;
    EXPECT_EQ(t.events.size(), c.gameEvents) << c.key << " " << c.mod;
  }
}

TEST(WindowMapping, PositionsLandInTheBackBuffer) {
  int x = 0, y = 0;
  WindowToBackBuffer(100, 200, 1024, 768, 1024, 768, x, y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 200);
  // 1920x1080 full screen: 1440x1080 picture with bars of 240 at the sides.
  WindowToBackBuffer(240, 0, 1920, 1080, 1024, 768, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  WindowToBackBuffer(240 + 720, 540, 1920, 1080, 1024, 768, x, y);
  EXPECT_EQ(x, 512);
  EXPECT_EQ(y, 384);
  WindowToBackBuffer(100, 5, 1920, 1080, 1024, 768, x, y);
  EXPECT_LT(x, 0);
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("qel_shell_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  void Touch(const fs::path& p, const std::string& text = "x") {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
  }
  fs::path dir;
};

using Discovery = TempDir;

TEST_F(Discovery, OwnNameFirstThenTheFirstGameByNameThenTheEditorsIni) {
  DiscoveryPlaces places{dir / "bin" / "game", dir / "cwd", dir / "config"};
  Touch(dir / "cwd" / "zeta.qelf");
  Touch(dir / "cwd" / "Alpha.QELF");
  Touch(dir / "bin" / "other.qelf");
  Touch(dir / "bin" / "game.qelf");
  EXPECT_EQ(DiscoverGame(places), dir / "bin" / "game.qelf");
  fs::remove(dir / "bin" / "game.qelf");
  EXPECT_EQ(DiscoverGame(places), dir / "cwd" / "Alpha.QELF");
  fs::remove_all(dir / "cwd");
  fs::create_directories(dir / "cwd");
  EXPECT_EQ(DiscoverGame(places), dir / "bin" / "other.qelf");
  fs::remove(dir / "bin" / "other.qelf");
  EXPECT_EQ(DiscoverGame(places), std::nullopt);
  Touch(dir / "config" / "QelMaker.ini", "[Other]\nPath=wrong\n[main]\r\n path = games\\quest\\quest.qelf \r\n");
  EXPECT_EQ(DiscoverGame(places), dir / "config" / "games" / "quest" / "quest.qelf");
  Touch(dir / "config" / "QelMaker.ini", "[Main]\nPath=\n");
  EXPECT_EQ(DiscoverGame(places), std::nullopt);
}

using Screenshots = TempDir;

TEST_F(Screenshots, RgbPngOfTheGivenPixels) {
  std::vector<uint32_t> pixels = {0x80FF0000u, 0xFF00FF00u, 0x000000FFu, 0xFF123456u, 0xFFFFFFFFu, 0xFF000000u};
  ASSERT_TRUE(WritePngRgb(dir / "s.png", pixels, 3, 2));
  TBitmap32 back;
  ASSERT_TRUE(LoadPictureFile((dir / "s.png").string(), back));
  ASSERT_EQ(back.width, 3);
  ASSERT_EQ(back.height, 2);
  for (size_t i = 0; i < pixels.size(); ++i) EXPECT_EQ(back.pixels[i], pixels[i] | 0xFF000000u) << i;
  EXPECT_FALSE(WritePngRgb(dir / "missing" / "s.png", pixels, 3, 2));
  EXPECT_FALSE(WritePngRgb(dir / "t.png", pixels, 4, 2));
}

TEST_F(Screenshots, NewNamesNeverOverwrite) {
  const fs::path a = NewScreenshotName(dir);
  Touch(a);
  const fs::path b = NewScreenshotName(dir);
  EXPECT_NE(a, b);
  EXPECT_EQ(b.parent_path(), dir);
  EXPECT_EQ(b.extension(), ".png");
}

}  // namespace
}  // namespace qel
