// The files of sessions and reports: the recording's lines, report.txt, the
// start files, the recorded clock, old sessions, and the size of a long
// recording.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "elements/runtime.h"
#include "shell/recorded_clock.h"
#include "shell/recording.h"
#include "shell/report_info.h"
#include "shell/session.h"
#include "shell/session_dirs.h"
#include "shell/start_files.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("qel_session_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST(Recording, EveryLineReadsBackAsWritten) {
  const Recording rec = ParseRecording(
      "# a session\n"
      "0 frame\n"
      "0 activate 1\n"
      "3 clock 0 46363.902910115739\n"
      "3 down 10 20\n"
      "3 key 66 alt ctrl\n"
      "4 paint\n"
      "4 clock 7 -0.5\n"
      "5 frame\n");
  ASSERT_TRUE(rec.problems.empty());
  ASSERT_EQ(rec.entries.size(), 6u);
  ASSERT_EQ(rec.clock.size(), 2u);
  EXPECT_EQ(rec.clock[0].value, 46363.902910115739);
  std::string entries, clock;
  for (const RecordEntry& e : rec.entries) entries += FormatEntry(e) + "\n";
  for (const ClockReading& c : rec.clock) clock += FormatClock(c) + "\n";
  EXPECT_EQ(ParseRecording(entries).entries, rec.entries);
  EXPECT_EQ(ParseRecording(clock).clock, rec.clock);
}

TEST(Recording, BadLinesAreSkippedAndNamed) {
  const Recording rec = ParseRecording(
      "2 frame extra\n"      // frames take nothing
      "2 clock 1\n"          // no value
      "2 clock x 1.5\n"      // no reading number
      "x frame\n"            // no step
      "2 jump\n"             // no such event
      "5 frame\n"
      "4 frame\n"            // steps never go down
      "5 clock 3 1\n"
      "5 clock 3 2\n"        // nor do readings
      "6 paint\n");
  EXPECT_EQ(rec.entries.size(), 2u);
  EXPECT_EQ(rec.clock.size(), 1u);
  ASSERT_EQ(rec.problems.size(), 7u);
  EXPECT_EQ(rec.problems[5].line, 7);
  EXPECT_EQ(rec.problems[6].line, 9);
}

TEST(RecordedClock, AReplayGivesEveryReadingBack) {
  // A clock that repeats itself now and then, as a millisecond clock does.
  const std::vector<double> said = {10.5, 10.5, 10.5, 11.25, 11.25, 12, 10.5, 10.5, 13};
  size_t next = 0;
  struct Source : Clock {
    const std::vector<double>& values;
    size_t& next;
    Source(const std::vector<double>& v, size_t& n) : values(v), next(n) {}
    double Now() const override { return values[next++]; }
  } source(said, next);
  std::vector<ClockReading> noted;
  RecordingClock recording(source, [&](uint64_t r, double v) { noted.push_back({0, r, v}); });
  for (double expected : said) EXPECT_EQ(recording.Now(), expected);
  EXPECT_EQ(noted.size(), 5u);  // only the changes
  ReplayClock replay(noted);
  for (double expected : said) EXPECT_EQ(replay.Now(), expected);
  EXPECT_EQ(replay.Now(), 13);  // a replay that reads more keeps the last value
}

TEST(ReportInfo, ReadsWhatItWrites) {
  ReportInfo info;
  info.player = "qelplayer 0.1";
  info.game = "game.qelf";
  info.gamePath = "/home/p/games/game one/game.qelf";
  info.gameSize = 12345;
  info.gameSha256 = std::string(64, 'a');
  info.options = "--skip-logos '/home/p/games/game one/game.qelf'";
  info.playOptions = {"--skip-logos", "--script-budget", "100", "/TESTMODE"};
  info.seed = 4000000000u;
  info.started = "2024-05-01 12:00:00";
  info.locale = "de_DE.UTF-8";
  info.reason = "script error";
  info.step = 120;
  info.errorStep = 118;
  info.error = "Invalid parameters, function MOD : Division by zero (MOD ( N , 0 )   in Test <TQelDB>) ms_Down";
  info.pictureFrame = 140;
  info.pictureStep = 121;
  const std::string text = FormatStartLines(info) + FormatReportLines(info);
  const ReportInfo back = ParseReportInfo(text + "report: crash\ncrash signal: 11\nstep: 130\nunknown: x\n");
  EXPECT_EQ(FormatStartLines(back), FormatStartLines(info));
  EXPECT_EQ(back.error, info.error);
  EXPECT_EQ(back.pictureFrame, 140);
  EXPECT_EQ(back.pictureStep, 121);
  // A crash appended later wins.
  EXPECT_EQ(back.reason, "crash");
  EXPECT_EQ(back.step, 130);
  EXPECT_EQ(back.crashSignal, 11);
}

TEST_F(TempDir, StartFilesComeBackAndWhatWasMissingStaysMissing) {
  const fs::path game = dir / "game", data = dir / "data", report = dir / "report" / "start";
  Write(game / "game.qelf", "the game");
  Write(game / "Settings.INI", "[Def]\nFS=0\n");
  Write(game / "save" / "slot.sav", "state");
  Write(game / "save" / "slot.sav.bak", "older state");
  Write(game / "pictures" / "a.png", "not a player file");
  Write(data / "slot.sav", "the data folder's state");
  Write(data / "deep" / "x.ini", "x");
  const auto files = CaptureStartFiles(game, {game / "save" / "slot.sav", game / "none.sav"}, data, report);
  EXPECT_EQ(files, ParseStartManifest(Read(report / "files.txt")));
  EXPECT_EQ(files.size(), 7u);  // slot.sav, none.sav (absent), their .bak, Settings.INI, two of data
  EXPECT_FALSE(fs::exists(report / "game" / "pictures"));

  // Another machine's copy of the game, with its own settings and a save the run did not have.
  const fs::path other = dir / "other", otherData = dir / "otherdata";
  Write(other / "Settings.INI", "[Def]\nFS=1\n");
  Write(other / "none.sav", "a save the report's run did not have");
  std::string why;
  ASSERT_TRUE(RestoreStartFiles(report, other, otherData, &why)) << why;
  EXPECT_EQ(Read(other / "Settings.INI"), "[Def]\nFS=0\n");
  EXPECT_EQ(Read(other / "save" / "slot.sav.bak"), "older state");
  EXPECT_FALSE(fs::exists(other / "none.sav"));
  EXPECT_EQ(Read(otherData / "deep" / "x.ini"), "x");
}

TEST(StartFiles, NamesThatLeaveTheirFolderAreNotRead) {
  const auto files = ParseStartManifest(
      "present game ../outside\n"
      "present game /etc/passwd\n"
      "present game a//b\n"
      "absent data x\n"       // the data folder starts empty: nothing to remove
      "present data a/./b\n"
      "present elsewhere x\n"
      "present game ok/name with blanks.ini\r\n"
      "absent game gone.sav\n");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].name, "ok/name with blanks.ini");
  EXPECT_FALSE(files[1].present);
}

TEST_F(TempDir, OldSessionsGoCrashedOnesBecomeReportsRunningOnesStay) {
  const fs::path sessions = dir / "sessions", reports = dir / "reports";
  for (int i = 1; i <= 8; ++i)
    Write(sessions / ("2024010" + std::to_string(i)) / "report.txt", "qelplayer 0.1\n");
  Write(sessions / "20240102" / "report.txt", "qelplayer 0.1\nreport: crash\nstep: 3\n");
  const int running = ::open((sessions / "20240101" / "report.txt").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(running, LOCK_EX), 0);
  const PruneResult r = PruneSessions(sessions, reports, 4, 20);
  ::close(running);
  ASSERT_EQ(r.movedCrashes.size(), 1u);
  EXPECT_EQ(r.movedCrashes[0], reports / "20240102-crash");
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(sessions)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"20240101", "20240105", "20240106", "20240107", "20240108"}));
}

// A long session with input, a frame and a new clock reading every step.
TEST_F(TempDir, TwoHundredThousandStepsRecordInUnderTwentyMegabytes) {
  setenv("XDG_STATE_HOME", dir.c_str(), 1);
  auto session = Session::Begin({dir / "game.qelf", {"game.qelf"}, {}, 1});
  ASSERT_NE(session, nullptr);
  Runtime runtime;
  session->Attach(runtime, {}, {});
  struct Ticking : Clock {
    const int64_t& step;
    explicit Ticking(const int64_t& s) : step(s) {}
    double Now() const override { return 46363.5 + static_cast<double>(step) / (30 * 86400.0); }
  } source(runtime.shell.FrameTick);
  const Clock& clock = session->RecordClock(source);
  InputEvent move;
  for (int64_t& step = runtime.shell.FrameTick; step < 200000; ++step) {
    move.step = step;
    move.x = 1000 - static_cast<int32_t>(step % 1000);
    move.y = 700 - static_cast<int32_t>(step % 700);
    session->Input(move);
    clock.Now();
    session->Frame(step);
  }
  session->Detach();
  const auto size = fs::file_size(session->Folder() / "recording.txt");
  EXPECT_LT(size, 20u * 1000 * 1000);
  RecordProperty("recording_bytes", std::to_string(size));
  const Recording rec = ParseRecording(Read(session->Folder() / "recording.txt"));
  EXPECT_EQ(rec.entries.size(), 400000u);
  EXPECT_EQ(rec.clock.size(), 200000u);
  unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace qel
