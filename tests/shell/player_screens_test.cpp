// qelplayer on games with screens, boxes and pictures: input routing, keys,
// typed text, screen switches and the display mode, seen in the pictures it
// writes. Scripts paint small flag boxes; the tests know their colours.
#include "player_fixture.h"
#include "test_game.h"

namespace qel {
namespace {

using testgame::Values;

constexpr uint32_t kBack = 0x404040, kSecond = 0x208020, kLoading = 0x802080, kPicA = 0xC0C0F0, kPicB = 0xF0C080;
constexpr int kFlagY = 700;

// Flag N sits at (100 N, 700), 50 x 50, black until a script paints it
// (scripts write colours as decimal numbers).
std::string Flag(int n) {
  return testgame::Shape({{"Key", std::to_string(70 + n)}, {"Id", "\"F" + std::to_string(n) + "\""},
                          {"hxColor", "$000000"}, {"rX", std::to_string(100 * n) + ".0"},
                          {"rY", std::to_string(kFlagY) + ".0"}, {"SizeX", "50"}, {"SizeY", "50"}, {"Order", "1"}});
}

std::string Back(int key, uint32_t colour, int width = 1024) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "$%06X", colour);
  return testgame::Shape({{"Key", std::to_string(key)}, {"Id", "\"Back\""}, {"hxColor", hex},
                          {"SizeX", std::to_string(width)}, {"SizeY", "768"}, {"Order", "0"}});
}

std::string Paint(int flag, const char* colour) {
  return "PARENT.F" + std::to_string(flag) + ".hxColor := " + colour + ";";
}

class Screens : public Player {
 protected:
  // Room: the background, pictures A at (100, 100) and B at (300, 100), flags 1-5.
  void WriteRoom(Values root, Values a = {}, Values b = {}, const std::string& more = "") {
    WriteSolidPng(dir / "a.png", 100, 100, 0xFF000000u | kPicA);
    WriteSolidPng(dir / "b.png", 100, 100, 0xFF000000u | kPicB);
    a.insert({{"Key", "61"}, {"Id", "\"A\""}, {"imImage", "\"a.png\""}, {"rX", "100.0"}, {"rY", "100.0"}});
    b.insert({{"Key", "62"}, {"Id", "\"B\""}, {"imImage", "\"b.png\""}, {"rX", "300.0"}, {"rY", "100.0"}});
    std::string children = Back(10, kBack) + testgame::Image(a) + testgame::Image(b);
    for (int n = 1; n <= 5; ++n) children += Flag(n);
    WriteGame(testgame::Root(root, testgame::Screen({{"Key", "1"}, {"Id", "\"Room\""}}, children) + more));
  }
  RunResult Play(const std::string& input, const std::string& shots, int frames, const std::string& extra = "") {
    std::ofstream(dir / "input.txt") << input;
    return Run("--headless --skip-logos --frames " + std::to_string(frames) + " --replay input.txt " + shots + " " +
               extra + " game.qelf");
  }
  static uint32_t FlagPixel(const TBitmap32& shot, int n) { return shot.At(100 * n + 25, kFlagY + 25); }
};

TEST_F(Screens, HoverAndThePressProbe) {
  WriteRoom({{"exMouseUp", "ROOM.F4.hxColor := 65535;"}},
            {{"exMouseIn", Paint(1, "65280")}, {"exMouseOut", Paint(1, "16711680")},
             {"exMouseDown", Paint(2, "255")}, {"exMouseUp", Paint(3, "16776960")}});
  const RunResult r = Play("0 move 150 150\n1 move 500 500\n2 down 98 150\n2 up 98 150\n",
                           "--screenshot-at 0:s0.png --screenshot-at 1:s1.png --screenshot-at 2:s2.png", 3);
  ASSERT_EQ(r.status, 0) << r.err;
  const TBitmap32 s0 = Shot("s0.png"), s1 = Shot("s1.png"), s2 = Shot("s2.png");
  EXPECT_TRUE(Near(s0.At(150, 150), kPicA));
  EXPECT_TRUE(Near(s0.At(600, 400), kBack));
  EXPECT_TRUE(Near(FlagPixel(s0, 1), 0x00FF00));
  EXPECT_TRUE(Near(FlagPixel(s1, 1), 0xFF0000));
  // Two pixels beside the picture the press still reaches it; the release is
  // beside it, so only the root hears it.
  EXPECT_TRUE(Near(FlagPixel(s2, 2), 0x0000FF));
  EXPECT_TRUE(Near(FlagPixel(s2, 3), 0x000000));
  EXPECT_TRUE(Near(FlagPixel(s2, 4), 0x00FFFF));
}

TEST_F(Screens, MsKeepHoldsTheHoverWhileTheButtonIsDown) {
  WriteRoom({}, {{"MsKeep", "True"}, {"exMouseOut", Paint(1, "16711680")}, {"exMouseUp", Paint(3, "16776960")},
                 {"exMouseDown", Paint(2, "255")}});
  // A picture after step S already shows the events stamped S.
  const RunResult r = Play("0 down 150 150\n1 move 500 500\n2 up 500 500\n3 move 501 500\n",
                           "--screenshot-at 1:s1.png --screenshot-at 2:s2.png --screenshot-at 3:s3.png", 4);
  ASSERT_EQ(r.status, 0) << r.err;
  const TBitmap32 s1 = Shot("s1.png"), s2 = Shot("s2.png"), s3 = Shot("s3.png");
  EXPECT_TRUE(Near(FlagPixel(s1, 2), 0x0000FF));
  EXPECT_TRUE(Near(FlagPixel(s1, 1), 0));         // moved off, still hovered
  EXPECT_TRUE(Near(FlagPixel(s2, 3), 0xFFFF00));  // released away from it: it still counts
  EXPECT_TRUE(Near(FlagPixel(s2, 1), 0));
  EXPECT_TRUE(Near(FlagPixel(s3, 1), 0xFF0000));  // the next move lets go
}

TEST_F(Screens, PressOnAReleaseOnB) {
  WriteRoom({{"exMouseUp", "ROOM.F4.hxColor := 65535;"}}, {{"exMouseUp", Paint(3, "16776960")}},
            {{"exMouseUp", Paint(3, "16711935")}});
  const RunResult r = Play("0 down 150 150\n0 move 350 150\n0 up 350 150\n", "--screenshot-at 1:s1.png", 1);
  ASSERT_EQ(r.status, 0) << r.err;
  const TBitmap32 s1 = Shot("s1.png");
  EXPECT_TRUE(Near(FlagPixel(s1, 3), 0));
  EXPECT_TRUE(Near(FlagPixel(s1, 4), 0x00FFFF));
}

TEST_F(Screens, KeysWithModifiersAndAltEnter) {
  WriteRoom({{"IniFile", "\"settings.ini\""},
             {"exKeyDown", "IF KEYDOWNED = 65 THEN ROOM.F1.hxColor := 65280; "
                           "IF KEYDOWNED = 13 THEN ROOM.F2.hxColor := 255; "
                           "IF SELF.FULLSCREEN = 1 THEN ROOM.F3.hxColor := 16776960;"}});
  std::ofstream(dir / "settings.ini") << "[Def]\r\nFS=0\r\n";
  const RunResult r = Play("0 key 65 ctrl shift\n1 key 13 alt\n", "--screenshot-at 0:s0.png --screenshot s2.png", 2);
  ASSERT_EQ(r.status, 0) << r.err;
  const TBitmap32 s0 = Shot("s0.png"), s2 = Shot("s2.png");
  EXPECT_TRUE(Near(FlagPixel(s0, 1), 0x00FF00));
  EXPECT_TRUE(Near(FlagPixel(s0, 2), 0));
  EXPECT_TRUE(Near(FlagPixel(s2, 2), 0x0000FF));
  EXPECT_TRUE(Near(FlagPixel(s2, 3), 0xFFFF00));  // Alt+Enter switched to full screen first
  EXPECT_NE(Read(dir / "settings.ini").find("FS=1"), std::string::npos);
}

TEST_F(Screens, FullScreenFromAScriptUnderTestMode) {
  WriteRoom({{"IniFile", "\"settings.ini\""},
             {"exKeyDown", "IF KEYDOWNED = 70 THEN SELF.FULLSCREEN := 1; "
                           "IF (KEYDOWNED = 71) AND (SELF.FULLSCREEN = 0) THEN ROOM.F1.hxColor := 65280;"}});
  std::ofstream(dir / "input.txt") << "0 key 70\n2 key 71\n";
  const RunResult r =
      Run("--headless --skip-logos --frames 3 --replay input.txt --screenshot s.png game.qelf /TESTMODE");
  ASSERT_EQ(r.status, 0) << r.err;
  // The setting is written, the mode stays windowed.
  EXPECT_TRUE(Near(FlagPixel(Shot("s.png"), 1), 0x00FF00));
  EXPECT_NE(Read(dir / "settings.ini").find("FS=1"), std::string::npos);
}

TEST_F(Screens, TypedCharactersReachTheCheatDetector) {
  // Cheat codes are 8-bit text: "я" is one byte of the game's code page.
  WriteRoom({{"Cheats", "\"XY;яZ\""}, {"exCheat", "IF CHEAT = 'яZ' THEN ROOM.F1.hxColor := 65280;"}});
  const RunResult r = Play("0 char 1103\n0 char 90\n", "--screenshot s.png", 1);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Near(FlagPixel(Shot("s.png"), 1), 0x00FF00));
}

std::string SecondScreen() {
  return testgame::Screen({{"Key", "2"}, {"Id", "\"Second\""}}, Back(20, kSecond));
}

TEST_F(Screens, AFullSwitchWithoutALoadingScreen) {
  WriteRoom({{"exKeyDown", "SetScreen(Second);"}}, {}, {}, SecondScreen());
  const RunResult r = Play("0 key 32\n", "--screenshot-at 0:s0.png --screenshot-at 1:s1.png", 2);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Near(Shot("s0.png").At(600, 400), kBack));  // switching: the old screen
  EXPECT_TRUE(Near(Shot("s1.png").At(600, 400), kSecond));
}

TEST_F(Screens, AFullSwitchThroughTheLoadingScreen) {
  const std::string loading = testgame::Screen(
      {{"Key", "3"}, {"Id", "\"Loading\""}, {"exInit", "N := 0;"},
       {"exProcess", "N := N + 1; IF N >= 3 THEN BEGIN LoadIm; EndLoadIm; END;"}},
      Back(30, kLoading, 512));
  WriteRoom({{"LoadingScreen", "3"}, {"exKeyDown", "SetScreen(Second);"}}, {}, {}, SecondScreen() + loading);
  const RunResult r = Play("0 key 32\n", "--screenshot-at 2:s2.png --screenshot-at 3:s3.png", 4);
  ASSERT_EQ(r.status, 0) << r.err;
  const TBitmap32 s2 = Shot("s2.png"), s3 = Shot("s3.png");
  EXPECT_TRUE(Near(s2.At(100, 400), kLoading));  // the loading screen over the old one
  EXPECT_TRUE(Near(s2.At(600, 400), kBack));
  EXPECT_TRUE(Near(s3.At(100, 400), kSecond));
  EXPECT_TRUE(Near(s3.At(600, 400), kSecond));
}

TEST_F(Screens, ExitGameClosesAfterTheExitScript) {
  WriteRoom({{"IniFile", "\"settings.ini\""},
             {"exKeyDown", "ROOM.F1.hxColor := 65280; ExitGame;"},
             {"exExit", "SetIni('Def', 'Bye', IntToStr(ROOM.F1.hxColor));"}});
  std::ofstream(dir / "settings.ini") << "[Def]\r\nFS=0\r\n";
  const RunResult r = Play("4 key 27\n", "--screenshot-at 3:s3.png --screenshot-at 6:s6.png --screenshot end.png", 50);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir / "s3.png"));
  // The step after the key closed the game: nothing later was drawn.
  EXPECT_FALSE(fs::exists(dir / "s6.png"));
  EXPECT_FALSE(fs::exists(dir / "end.png"));
  EXPECT_NE(Read(dir / "settings.ini").find("Bye=65280"), std::string::npos) << Read(dir / "settings.ini");
}

TEST_F(Screens, ARecordedRunReplaysPictureForPicture) {
  WriteRoom({{"exMouseDown", "ROOM.F5.hxColor := Random(16777216);"}},
            {{"exMouseIn", Paint(1, "65280")}, {"exMouseOut", Paint(1, "16711680")}});
  std::ofstream(dir / "in.txt") << "0 move 150 150\n3 down 10 10\n3 up 10 10\n5 move 500 500\n";
  RunResult r = Run("--headless --skip-logos --seed 5 --frames 8 --replay in.txt --record rec.txt "
                    "--screenshot-at 4:a4.png --screenshot a8.png game.qelf");
  ASSERT_EQ(r.status, 0) << r.err;
  r = Run("--headless --skip-logos --seed 5 --frames 8 --replay rec.txt --screenshot-at 4:b4.png "
          "--screenshot b8.png game.qelf");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Shot("a4.png").pixels == Shot("b4.png").pixels);
  EXPECT_TRUE(Shot("a8.png").pixels == Shot("b8.png").pixels);
  EXPECT_TRUE(Near(FlagPixel(Shot("a8.png"), 1), 0xFF0000));
}

}  // namespace
}  // namespace qel
