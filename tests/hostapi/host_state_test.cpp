// The state, settings, file, sound, ending and star functions as scripts
// of a game call them, on real files in a game directory.
#include "hostapi/host_state.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "../gamedb/picture_files.h"
#include "gamedb/escaped_text.h"
#include "gamedb/image_cache.h"
#include "gamedb/sound_cache.h"
#include "hostapi/host_table.h"
#include "render/gfx_device.h"
#include "render/gfx_images.h"
#include "script/game_env.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

class HostState : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime.services.dir = &game;
    RegisterHostFunctions(calc);
    calc.SetEnv(&env);
    runtime.script.CurrentElement = db.Handle();
  }
  bool Run(const ByteString& source) { return calc.Run(calc.Prepare(source)); }
  Variant Get(const char* name) {
    TVar v;
    EXPECT_TRUE(calc.GetVariable(name, v)) << name;
    return v.Value;
  }

  test::TempDir dir;
  GameDir game{dir.path()};
  Runtime runtime;
  TQelDB db{&runtime};
  GameEnv env{runtime, db};
  TScriptCalc calc;
};

TEST_F(HostState, SettingsReadAndWrittenThroughTheSettingsFile) {
  ASSERT_TRUE(Run("A := GetIni('Game', 'Level', 'none'); SetIni('Game', 'Level', 'x');")) << calc.ErrorMessage();
  EXPECT_EQ(Get("A"), Variant::String("none"));  // no settings file: nothing read, nothing written
  db.SetIniFile("player.ini");
  ASSERT_TRUE(Run("R := SetIni('Game', 'Level', 5); B := GetIni('game', 'LEVEL', '1'); C := GetIni('Game', 'X', 'd');"))
      << calc.ErrorMessage();
  EXPECT_EQ(Get("R"), Variant::Byte(0));
  EXPECT_EQ(Get("B"), Variant::String("5"));
  EXPECT_EQ(Get("C"), Variant::String("d"));
  EXPECT_EQ(dir.Read("player.ini"), "[Game]\r\nLevel=5\r\n");
  EXPECT_FALSE(Run("X := GetIni('Game', 'Level');"));
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function GETINI");
  EXPECT_FALSE(Run("SetIni('Game', 'Level');"));
}

TEST_F(HostState, UnicodeSettingsTravelAsHexOfUtf8) {
  db.SetIniFile("player.ini");
  db.UnicodeMode = true;
  const ByteString name = Utf16ToEscaped(u"\u0416a\u4e16");
  calc.StoreVariable({"NAME", Variant::String(name)});
  ASSERT_TRUE(Run("SetIni('Game', 'Name', NAME); B := GetIni('Game', 'Name', 'unused'); "
                  "M := GetIni('Game', 'Missing', 'unused');")) << calc.ErrorMessage();
  EXPECT_EQ(dir.Read("player.ini"), "[Game]\r\nName=#$#$D09661E4B896\r\n");
  EXPECT_EQ(Get("B"), Variant::String(name));
  EXPECT_EQ(Get("M"), Variant::String(""));
  dir.Write("player.ini", "[Game]\r\nPlain=\xd0\x96!\r\nOdd=#$#$41424\r\nBad=#$#$41G242\r\n");
  ASSERT_TRUE(Run("P := GetIni('Game', 'Plain', ''); O := GetIni('Game', 'Odd', ''); V := GetIni('Game', 'Bad', '');"))
      << calc.ErrorMessage();
  EXPECT_EQ(Get("P"), Variant::String(Utf16ToEscaped(u"\u0416!")));
  EXPECT_EQ(Get("O"), Variant::String("AB"));
  EXPECT_EQ(Get("V"), Variant::String("A"));
  // Long values are cut on a character, never inside one.
  std::u16string longText(1500, u'\u0416');
  ByteString hex = HexSettingFromEscaped(Utf16ToEscaped(longText));
  EXPECT_EQ(hex.size(), 4u + 2 * 1998);
  EXPECT_EQ(EscapedFromSetting(Utf8ToUtf16(hex)), Utf16ToEscaped(std::u16string(999, u'\u0416')));
}

TEST_F(HostState, SaveAndLoadThroughScripts) {
  auto* screen = db.CreateChild("TQelScreen");
  screen->Key = 1;
  screen->SetId("Room");
  ASSERT_TRUE(Run("SaveState; LoadState(1, 2); TimerReset('x');")) << calc.ErrorMessage();  // no save file: nothing
  db.SetFileRS("slot.sav");
  screen->rX = 7;
  ASSERT_TRUE(Run("SaveState();")) << calc.ErrorMessage();
  screen->rX = 1;
  int resets = 0;
  db.hooks.resetClock = [&] { ++resets; };
  ASSERT_TRUE(Run("LoadState(); TimerReset;")) << calc.ErrorMessage();
  EXPECT_EQ(screen->X(), 7);
  EXPECT_EQ(resets, 2);
}

TEST_F(HostState, DelFileDeletesOnlyFilesOfTheGame) {
  test::TempDir outside;
  outside.Write("keep.txt", "x");
  dir.Write("Saves/Slot1.SAV", "x");
  dir.Write("folder/inner.txt", "x");
  const std::string away = outside.path().string();
  calc.StoreVariable({"AWAY", Variant::String(away + "/keep.txt")});
  calc.StoreVariable({"UP", Variant::String("../" + outside.path().filename().string() + "/keep.txt")});
  ASSERT_TRUE(Run("R := DelFile('saves\\slot1.sav'); DelFile(AWAY); DelFile(UP); DelFile('folder'); "
                  "DelFile('nothing.txt');")) << calc.ErrorMessage();
  EXPECT_EQ(Get("R"), Variant::Byte(0));
  EXPECT_FALSE(dir.Exists("Saves/Slot1.SAV"));
  EXPECT_TRUE(outside.Exists("keep.txt"));
  EXPECT_TRUE(dir.Exists("folder/inner.txt"));
  EXPECT_FALSE(Run("DelFile();"));
}

TEST_F(HostState, SoundsGoThroughTheSoundTable) {
  SoundCache sounds(nullptr, &game, nullptr);
  runtime.services.sounds = &sounds;
  dir.Write("sounds.ini", "[Sfx]\r\nDoor=50:door.wav\r\n[Default]\r\nTheme=theme.mp3\r\n");
  db.SetSoundFile("sounds.ini");
  ASSERT_TRUE(Run("PlaySnd('Sfx.Door'); PlaySnd('Unknown'); PlayMuz('Theme'); StopMuz(0);")) << calc.ErrorMessage();
  ASSERT_EQ(sounds.Sounds().size(), 2u);
  EXPECT_EQ(sounds.Sounds()[0].name, "DOOR.WAV");
  EXPECT_EQ(sounds.Sounds()[1].name, "DOOR.OGG");
  ASSERT_EQ(sounds.Music().size(), 2u);
  EXPECT_EQ(sounds.Music()[0].name, "THEME.MP3");
  EXPECT_FALSE(Run("StopMuz;"));
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function STOPMUZ");
  EXPECT_FALSE(Run("PlaySnd('a', 'b');"));
}

TEST_F(HostState, StarsAndTheEnd) {
  runtime.script.RandSeed = 1;
  ASSERT_TRUE(Run("R := AddStar(0, 10, 20, 1, 5, -0.5, 1, 1); AddStar(0, 1, 2, 1, 0, 0, 0, 0, 3, '$FF', 7, 1);"))
      << calc.ErrorMessage();
  EXPECT_EQ(Get("R"), Variant::Byte(0));
  const StarRecord& first = db.Stars()[0];
  EXPECT_TRUE(first.active);
  EXPECT_EQ(first.pattern, 0);
  EXPECT_EQ(first.layer, 1000);
  EXPECT_EQ(first.effect, 260);
  EXPECT_LE(first.colour, 0xFFFFFEu);
  EXPECT_EQ(first.x, 10);
  EXPECT_EQ(first.scaleStep, -0.5);
  const StarRecord& second = db.Stars()[1];
  EXPECT_EQ(second.pattern, 3);
  EXPECT_EQ(second.colour, 0xFFu);
  EXPECT_EQ(second.layer, 7);
  EXPECT_EQ(second.effect, 1);
  EXPECT_FALSE(Run("AddStar(0, 1, 2, 1, 0, 0, 0);"));
  EXPECT_FALSE(Run("AddStar(0, 1, 2, 1, 0, 0, 0, 'x');"));
  EXPECT_FALSE(Run("AddStar(0, 1, 2, 1, 0, 0, 0, 0, 0, '', 0, 0, 0);"));
  EXPECT_EQ(db.Stars().ActiveCount(), 2);
  EXPECT_FALSE(runtime.shell.ExitRequested);
  ASSERT_TRUE(Run("ExitGame(1, 2, 3);"));
  EXPECT_TRUE(runtime.shell.ExitRequested);
}

TEST_F(HostState, ImageStarsLandOnlyOnOpaqueEnoughPixels) {
  TGfxDevice device;  // never initialised: pictures stay on the CPU
  TGfxImages textures(device);
  ImageCache images(textures, &game, nullptr, ImageCacheGameOf(runtime.shell, db));
  runtime.services.images = &images;
  runtime.shell.ImmediateImageLoad = true;
  TBitmap32 sheet = test::Solid(8, 4, 0x00FFFFFF);
  for (int y = 0; y < 4; ++y) sheet.pixels[static_cast<size_t>(y * 8 + 1)] = 0xC0FFFFFF;  // column 1 only
  dir.Write("spark.png", test::EncodePng(sheet));
  auto* screen = db.CreateChild("TQelScreen");
  auto* image = static_cast<TQelImage*>(screen->CreateChild("TQelImage"));
  image->SetId("Spark");
  image->rX = 100;
  image->rY = 50;
  image->SetImImage("spark.png");
  ASSERT_NE(image->Picture(), nullptr);
  calc.StoreVariable({"IMG", Variant::LongWord(image->Handle())});
  calc.StoreVariable({"SCR", Variant::LongWord(screen->Handle())});
  ASSERT_TRUE(Run("ImStarsR(IMG, 0, 1, 1, 0, 0, 0, 0, 0, 0); ImStarsR(SCR, 50, 1, 1, 0, 0, 0, 0, 0, 0);"))
      << calc.ErrorMessage();
  EXPECT_EQ(db.Stars().ActiveCount(), 0);
  ASSERT_TRUE(Run("ImStarsR(IMG, 200, 192, 2, 10, -0.1, 45, 1, 0, 0, 4, '$10', 3);")) << calc.ErrorMessage();
  const int added = db.Stars().ActiveCount();
  EXPECT_GT(added, 0);
  EXPECT_LT(added, 200);
  for (int i = 0; i < added; ++i) {
    const StarRecord& s = db.Stars()[i];
    EXPECT_EQ(s.x, image->GetAbsX() + 1);
    EXPECT_GE(s.y, image->GetAbsY());
    EXPECT_LT(s.y, image->GetAbsY() + 4);
    EXPECT_GE(s.scale, 2.0);
    EXPECT_LT(s.scale, 2.1);
    EXPECT_EQ(s.angle, 45);
    EXPECT_EQ(s.pattern, 4);
    EXPECT_EQ(s.colour, 0x10u);
    EXPECT_EQ(s.layer, 3);
  }
  ASSERT_TRUE(Run("ImStarsR(IMG, 100, 193, 1, 0, 0, 0, 0, 0, 0);")) << calc.ErrorMessage();
  EXPECT_EQ(db.Stars().ActiveCount(), added);  // no pixel reaches 193
  EXPECT_FALSE(Run("ImStarsR(1, 1, 1, 1, 0, 0, 0, 0, 0, 0);"));
  EXPECT_FALSE(Run("ImStarsR(IMG, 1, 1, 1, 0, 0, 0, 0, 0);"));
}

}  // namespace
}  // namespace qel
