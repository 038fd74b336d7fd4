// qelplayer itself, headless, on small games written by the tests: exit
// statuses, logo timing and the pictures it writes, compared with the colours
// the tests drew.
#include "player_fixture.h"
#include "test_game.h"

namespace qel {
namespace {

std::string MinimalGame(const testgame::Values& root = {}) {
  return testgame::Root(root, testgame::Screen({{"Key", "1"}}));
}

constexpr uint32_t kCorner = 0x2040C0, kLogo = 0xE0A020;

TEST_F(Player, HelpVersionAndBadLines) {
  RunResult r = Run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--screenshot-at STEP:FILE"), std::string::npos);
  EXPECT_NE(r.out.find("Ctrl+Alt+I shows or hides the inspector"), std::string::npos);
  r = Run("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("qelplayer ", 0), 0u);
  r = Run("--frames");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--frames"), std::string::npos);
}

TEST_F(Player, AMissingGameFileIsOneLineAndStatus2) {
  const RunResult r = Run("--headless --frames 1 nowhere.qelf");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "qelplayer: no game file nowhere.qelf\n");
}

TEST_F(Player, ADeviceThatCannotStartIsStatus1) {
  WriteGame(MinimalGame());
  // SDL's dummy video driver has no OpenGL.
  const RunResult r = Run("--headless --frames 1 game.qelf", "SDL_VIDEODRIVER=dummy");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("Failed initializing render device!\n", 0), 0u) << r.err;
}

TEST_F(Player, ADamagedGamePlaysWhatLoadedAndSaysWhatWasLost) {
  const fs::path game = WriteGame(MinimalGame());
  std::string bytes = Read(game);
  bytes.resize(bytes.size() - 20);
  std::ofstream(game, std::ios::binary | std::ios::trunc) << bytes;
  const RunResult r = Run("--headless --frames 3 --screenshot end.png game.qelf");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err, "");
  EXPECT_TRUE(fs::exists(dir / "end.png"));
}

TEST_F(Player, LogoFadesInHoldsAndFadesOutOnItsBackground) {
  fs::create_directories(dir / "gamedir" / "logos");
  WriteJpeg(dir / "gamedir" / "logos" / "logo1.jpg", 400, 300, kCorner, kLogo);
  const fs::path game = WriteGame(MinimalGame(), "gamedir/game");
  // Run from elsewhere: the game's folder becomes the current one.
  const RunResult r = Run("--headless --frames 100 --screenshot-at 0:s0.png --screenshot-at 6:s6.png "
                          "--screenshot-at 30:s30.png --screenshot-at 95:s95.png --screenshot last.png " +
                          game.string());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Near(Shot("s0.png").At(512, 384), 0));  // before the first step: nothing loaded
  // Step 1 loads logo 1 with LogoFrame 0; after step s it is s - 1 (alpha 15 per step).
  const TBitmap32 s6 = Shot("s6.png");
  EXPECT_TRUE(Near(s6.At(512, 384), Blend(kLogo, kCorner, 75)));
  EXPECT_TRUE(Near(s6.At(5, 5), kCorner));  // the background is the logo's top-left pixel
  EXPECT_TRUE(Near(Shot("s30.png").At(512, 384), kLogo));
  EXPECT_TRUE(Near(Shot("s95.png").At(512, 384), Blend(kLogo, kCorner, (100 - 94) * 15)));
  EXPECT_TRUE(Near(Shot("last.png").At(512, 384), Blend(kLogo, kCorner, (100 - 99) * 15)));
}

TEST_F(Player, AClickDuringTheLogoStartsItsFadeOut) {
  fs::create_directories(dir / "logos");
  WriteJpeg(dir / "logos" / "logo1.jpg", 1024, 768, kCorner, kLogo);
  WriteGame(MinimalGame());
  std::ofstream(dir / "clicks.txt") << "# pressed while the logo is fully shown\n40 down 500 400\n40 up 500 400\n";
  const RunResult r = Run("--headless --frames 50 --replay clicks.txt --screenshot-at 49:a.png --screenshot b.png "
                          "game.qelf");
  ASSERT_EQ(r.status, 0) << r.err;
  // LogoFrame 83 after the click at step 40, then one more per step.
  EXPECT_TRUE(Near(Shot("a.png").At(512, 384), Blend(kLogo, kCorner, (100 - 92) * 15)));
  EXPECT_TRUE(Near(Shot("b.png").At(512, 384), Blend(kLogo, kCorner, (100 - 93) * 15)));
}

TEST_F(Player, SkippedLogosAreNeverShown) {
  fs::create_directories(dir / "logos");
  WriteJpeg(dir / "logos" / "logo1.jpg", 64, 64, kLogo, kLogo);
  WriteGame(MinimalGame());
  const RunResult r = Run("--headless --skip-logos --frames 5 --screenshot-at 2:a.png game.qelf");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Near(Shot("a.png").At(512, 384), 0));
}

TEST_F(Player, ARecordedRunReplaysPictureForPicture) {
  fs::create_directories(dir / "logos");
  WriteJpeg(dir / "logos" / "logo1.jpg", 640, 480, kCorner, kLogo);
  WriteJpeg(dir / "logos" / "logo2.jpg", 320, 200, kLogo, kCorner);
  WriteGame(MinimalGame());
  std::ofstream(dir / "input.txt") << "3 move 10 10\n25 down 100 100\n25 up 100 100\n"
                                      "  130   down 7 8  # second logo\n131 key 65 shift\n131 char 97\n";
  std::string shots;
  for (int step : {20, 30, 110, 135, 150}) shots += " --screenshot-at " + std::to_string(step) + ":%" + std::to_string(step) + ".png";
  auto named = [&](const char* run) {
    std::string s = shots;
    for (size_t at; (at = s.find('%')) != std::string::npos;) s.replace(at, 1, run);
    return s;
  };
  RunResult r = Run("--headless --frames 150 --replay input.txt --record rec.txt" + named("a") + " game.qelf");
  ASSERT_EQ(r.status, 0) << r.err;
  r = Run("--headless --frames 150 --replay rec.txt" + named("b") + " game.qelf");
  ASSERT_EQ(r.status, 0) << r.err;
  for (int step : {20, 30, 110, 135, 150}) {
    const std::string n = std::to_string(step);
    const TBitmap32 pa = Shot(std::string("a").append(n).append(".png"));
    const TBitmap32 pb = Shot(std::string("b").append(n).append(".png"));
    EXPECT_TRUE(pa.pixels == pb.pixels) << step;
  }
  // The click shortened logo 1: at step 30 it is fading out already.
  EXPECT_TRUE(Near(Shot("a30.png").At(512, 384), Blend(kLogo, kCorner, (100 - 88) * 15)));
  const std::string recorded = Read(dir / "rec.txt");
  EXPECT_NE(recorded.find("130 down 7 8\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find("131 key 65 shift\n131 char 97\n"), std::string::npos) << recorded;
}

TEST_F(Player, TheInspectorNeverReachesTheGameItsSaveOrItsScreenshots) {
  const std::string game = testgame::Root(
      {{"FileRS", "\"save.dat\""}, {"exInit", "N := 0;"}},
      testgame::Screen({{"Key", "1"}, {"exProcess", "QELDB.N := QELDB.N + 1; IF QELDB.N = 40 THEN SAVESTATE;"}},
                       testgame::Shape({{"SizeX", "300"}, {"SizeY", "200"}, {"hxColor", "$3060A0"},
                                        {"exMouseIn", "QELDB.N := QELDB.N + Random(5);"},
                                        {"exMouseMove", "QELDB.N := QELDB.N + Random(3);"},
                                        {"exMouseDown", "QELDB.N := QELDB.N div 0;"}})));
  std::ofstream(dir / "input.txt") << "3 move 50 50\n10 down 60 60\n10 up 60 60\n20 move 900 700\n25 move 40 40\n";
  for (const std::string run : {"plain", "inspected"}) {
    fs::create_directories(dir / run);
    WriteGame(game, run + "/game");
    // The same seed: only the inspector may differ between the runs.
    const RunResult r = Run("--headless --skip-logos --seed 7 --frames 45 --replay input.txt --screenshot " + run +
                            ".png " + (run == "inspected" ? "--inspector " : "") + run + "/game.qelf");
    ASSERT_EQ(r.status, 0) << r.err;
  }
  EXPECT_GT(Read(dir / "plain" / "save.dat").size(), 20u);
  EXPECT_TRUE(Read(dir / "inspected" / "save.dat") == Read(dir / "plain" / "save.dat"));
  EXPECT_TRUE(Read(dir / "inspected.png") == Read(dir / "plain.png"));
}

TEST_F(Player, HeadlessAudioIsMixedStepByStepIntoTheFile) {
  WriteGame(MinimalGame());
  const RunResult r = Run("--headless --frames 30 --audio-out run.wav game.qelf");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string wav = Read(dir / "run.wav");
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 4), "WAVE");
  // One step of 44100 / 30 stereo 16-bit frames per process step, and silence.
  const size_t data = wav.size() - 44;
  EXPECT_EQ(data, 30u * 1470 * 4);
  EXPECT_EQ(wav.find_first_not_of('\0', 44), std::string::npos);
}

TEST_F(Player, BadReplayLinesAreNamedAndSkipped) {
  WriteGame(MinimalGame());
  std::ofstream(dir / "input.txt") << "1 move 1\n2 move 3 4\n";
  const RunResult r = Run("--headless --frames 3 --replay input.txt game.qelf");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("input.txt:1:"), std::string::npos) << r.err;
  EXPECT_EQ(Run("--headless --frames 3 --replay missing.txt game.qelf").status, 2);
}

}  // namespace
}  // namespace qel
