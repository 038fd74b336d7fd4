// Bug reports end to end: a run of the player in a window, with input from
// the window system, leaves a report; the report plays back headless to the
// same error, step and picture, and touches nothing outside its own folder.
#include <map>
#include <regex>

#include "player_fixture.h"
#include "test_game.h"

namespace qel {
namespace {

// Clicks count on from the settings file; each moves the box to a place taken
// from Random and the clock's milliseconds; the click that makes it 3 fails
// (or, with crash, the one that makes it 2 crashes the player).
std::string ClickGame(bool crash = false) {
  const std::string click =
      "N := N + 1; SetIni('Def', 'Clicks', IntToStr(N));"
      "ROOM.BOX.rX := Random(900); ROOM.BOX.rY := Trunc(Frac(Now * 86400) * 600);" +
      std::string(crash ? "IF N = 2 THEN TestCrash();" : "IF N = 3 THEN N := Mod(N, 0);");
  return testgame::Root({{"IniFile", "\"game.ini\""}, {"SaveErr", "True"},
                         {"exInit", "N := StrToInt(GetIni('Def', 'Clicks', '0'));"}, {"exMouseDown", click}},
                        testgame::Screen({{"Key", "1"}}, testgame::Shape({{"Key", "50"}, {"hxColor", "$20C040"}})));
}

class Reports : public Player {
 protected:
  RunResult Hooked(const std::string& args, const std::string& env = "SDL_VIDEODRIVER=offscreen") {
    return Run(args, env, QELPLAYER_HOOKED);
  }

  // The folder a line on stderr names after `what`.
  static fs::path Named(const std::string& err, const std::string& what) {
    std::smatch m;
    if (!std::regex_search(err, m, std::regex(what + "([^\n]+)"))) return {};
    return m[1].str();
  }

  // Every file under dir but the run's own output, with its contents.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      if (e.is_regular_file() && e.path().filename() != "out.txt" && e.path().filename() != "err.txt" &&
          e.path().filename() != "replay.png")
        files[e.path().string()] = Read(e.path());
    return files;
  }
};

TEST_F(Reports, AScriptErrorInAWindowReplaysToTheSameErrorStepAndPicture) {
  WriteGame(ClickGame());
  std::ofstream(dir / "game.ini") << "[Def]\nClicks=1\nFS=0\n";
  // Pressed and released while the window runs in real time: the report
  // stamps them with the step the window was at. A slow frame runs up to 32
  // steps, so the run goes on well past the last of them.
  std::ofstream(dir / "clicks.txt") << "8 down 100 100\n9 up 100 100\n20 move 300 200\n"
                                       "20 down 300 200\n21 up 300 200\n30 down 10 10\n";
  RunResult r = Hooked("--windowed --skip-logos --frames 70 game.qelf",
                       "SDL_VIDEODRIVER=offscreen QEL_TEST_SDL_EVENTS=clicks.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  const fs::path report = Named(r.err, "the report is in ");
  ASSERT_FALSE(report.empty()) << r.err;
  const std::string info = Read(report / "report.txt");
  EXPECT_NE(info.find("report: script error\n"), std::string::npos) << info;
  EXPECT_NE(info.find("error: Invalid parameters, function MOD"), std::string::npos) << info;
  EXPECT_NE(Read(report / "recording.txt").find(" clock 0 "), std::string::npos);
  EXPECT_EQ(Read(report / "start" / "game" / "game.ini"), "[Def]\nClicks=1\nFS=0\n");
  EXPECT_NE(Read(report / "brannoc.err").find("function MOD"), std::string::npos);
  EXPECT_TRUE(fs::exists(report / "screenshot.png"));

  // The settings file moved on; the replay starts from the report's copy.
  std::ofstream(dir / "game.ini") << "[Def]\nClicks=7\n";
  const auto before = Files();
  r = Run("--replay-report '" + report.string() + "' --screenshot replay.png");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const std::string step = std::regex_replace(info, std::regex("(.|\n)*\nerror step: ([0-9]+)\n(.|\n)*"), "$2");
  EXPECT_NE(r.out.find("the same script error came back at step " + step + ": Invalid parameters, function MOD"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("the picture is the report's"), std::string::npos) << r.out;
  EXPECT_TRUE(Shot("replay.png").pixels == Shot((report / "screenshot.png").string()).pixels);
  EXPECT_TRUE(Files() == before);
}

TEST_F(Reports, ACrashLeavesAReportWhoseReplayCrashesAtTheSameStep) {
  WriteGame(ClickGame(true));
  std::ofstream(dir / "clicks.txt") << "3 down 10 10\n3 up 10 10\n6 down 10 10\n";
  // Under the address sanitizer its own fault handler would end the player with status 1.
  const std::string env = "SDL_VIDEODRIVER=offscreen ASAN_OPTIONS=\"$ASAN_OPTIONS:handle_segv=0\"";
  RunResult r = Hooked("--headless --skip-logos --frames 20 --replay clicks.txt game.qelf", env);
  EXPECT_EQ(r.signal, SIGSEGV) << r.status << r.err;
  const fs::path session = Named(r.err, "crashed \\(signal 11\\) at step 6; the report is in ");
  ASSERT_FALSE(session.empty()) << r.err;
  EXPECT_NE(Read(session / "report.txt").find("report: crash\ncrash signal: 11\nstep: 6\n"), std::string::npos);

  r = Hooked("--replay-report '" + session.string() + "'", env);
  EXPECT_EQ(r.signal, SIGSEGV) << r.out << r.err;
  EXPECT_NE(r.err.find("the replay crashed (signal 11) at step 6 (the report's crash: step 6)"), std::string::npos)
      << r.err;

  // The next run keeps the crashed session among the reports.
  r = Run("--headless --frames 1 game.qelf");
  const fs::path moved = Named(r.err, "an earlier run crashed; its report is in ");
  EXPECT_TRUE(fs::exists(moved / "recording.txt")) << r.err;
  EXPECT_NE(Read(moved / "report.txt").find("game sha256: "), std::string::npos);
  EXPECT_FALSE(fs::exists(session));
}

TEST_F(Reports, TheReportKeyReportsWithoutReachingTheGame) {
  WriteGame(testgame::Root({{"exKeyDown", "ROOM.BOX.hxColor := 255;"}},
                           testgame::Screen({{"Key", "1"}}, testgame::Shape({{"Key", "50"}}))));
  std::ofstream(dir / "keys.txt") << "5 key 66 ctrl alt\n";
  RunResult r = Hooked("--windowed --skip-logos --frames 45 game.qelf",
                       "SDL_VIDEODRIVER=offscreen QEL_TEST_SDL_EVENTS=keys.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  const fs::path report = Named(r.err, "report saved in ");
  ASSERT_FALSE(report.empty()) << r.err;
  EXPECT_NE(Read(report / "report.txt").find("report: key\n"), std::string::npos);
  EXPECT_EQ(Read(report / "recording.txt").find(" key "), std::string::npos);
  r = Run("--replay-report '" + report.string() + "'");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("the picture is the report's"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace qel
