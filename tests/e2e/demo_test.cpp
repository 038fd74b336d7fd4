// Plays the built demo headless, one case file of cases/ a test: each run
// replays the case's input into a fresh copy of the demo, then the case's
// checks read the pictures, files and sound the player left behind.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "../shell/player_fixture.h"
#include "case_file.h"
#include "game_files.h"

namespace qel::e2e {
namespace {

// Files the build leaves beside the demo that are no part of the game, and
// files a player run writes there (settings, saved state, error log).
bool PartOfTheGame(const fs::path& p) {
  static const char* kNot[] = {"CMakeFiles", "Makefile", "cmake_install.cmake", "CTestTestfile.cmake",
                               "make_demo_assets", "demo.ini", "demo.sav", "brannoc.err"};
  const std::string name = p.filename().string();
  return std::none_of(std::begin(kNot), std::end(kNot), [&](const char* n) { return name == n; }) &&
         name.find("screenshots") == std::string::npos;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(QEL_E2E_CASES))
    if (e.path().extension() == ".case") names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ShotFile(int run, const std::string& step) {
  return "run" + std::to_string(run + 1) + "_" + step + ".png";
}

class Demo : public Player, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("qel_e2e_" + std::to_string(::getpid()) + "_" + GetParam());
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& e : fs::directory_iterator(QEL_DEMO_DIR))
      if (PartOfTheGame(e.path())) fs::copy(e.path(), dir / e.path().filename(), fs::copy_options::recursive);
  }

  // QEL_E2E_KEEP=1 keeps the folder of a failed case (pictures, capture, files) to look at.
  void TearDown() override {
    if (HasFailure() && std::getenv("QEL_E2E_KEEP")) {
      std::printf("kept %s\n", dir.c_str());
      return;
    }
    Player::TearDown();
  }

  void Play(int index, const RunSpec& run) {
    std::map<std::string, std::string> files;
    for (const auto& [file, line] : run.writes) files[file] += line + "\n";
    for (const auto& [file, text] : files) std::ofstream(dir / file, std::ios::binary | std::ios::trunc) << text;
    std::string args = "--headless " + run.options;
    if (run.options.find("--seed") == std::string::npos) args += " --seed 1";  // the same run every time
    if (!run.replayFile.empty()) args += " --replay '" + ReplayPath(run.replayFile) + "'";
    if (!run.input.empty()) {
      const std::string input = "input" + std::to_string(index + 1) + ".txt";
      std::ofstream(dir / input) << run.input;
      args += " --replay " + input;
    }
    for (const std::string& step : run.shots)
      args += step == "end" ? " --screenshot " + ShotFile(index, step)
                            : " --screenshot-at " + step + ":" + ShotFile(index, step);
    if (run.audio) args += " --audio-out " + Wav(index);
    const RunResult r = Run(args + " demo.qelf", "SDL_VIDEODRIVER=offscreen" + run.env);
    EXPECT_EQ(r.status, run.status) << "run at line " << run.line << ": " << args << "\n" << r.err;
    for (const Check& check : run.checks) Verify(index, check, r);
  }

  // A replay the game folder has, else one kept beside the demo's source.
  std::string ReplayPath(const std::string& name) {
    if (fs::exists(dir / name)) return name;
    return (fs::path(QEL_DEMO_SOURCE) / name).string();
  }

  static std::string Wav(int run) { return "run" + std::to_string(run + 1) + ".wav"; }

  const TBitmap32& Picture(const ShotRef& ref) {
    const std::string name = ShotFile(ref.run, ref.step);
    auto it = pictures_.find(name);
    if (it == pictures_.end()) it = pictures_.emplace(name, Shot(name)).first;
    return it->second;
  }

  void Verify(int run, const Check& c, const RunResult& r) {
    SCOPED_TRACE("case line " + std::to_string(c.line));
    switch (c.kind) {
      case CheckKind::Pixel:
      case CheckKind::NotPixel: return VerifyPixel(c);
      case CheckKind::Some: return VerifySome(c);
      case CheckKind::Changed:
      case CheckKind::Unchanged: return VerifyChange(c);
      case CheckKind::Ini: return VerifyIni(c);
      case CheckKind::File: return VerifyFile(c);
      case CheckKind::Silent:
      case CheckKind::Sound:
      case CheckKind::Peak: return VerifySound(run, c);
      case CheckKind::Like: return VerifyLike(run, c);
      case CheckKind::SameSound:
        EXPECT_TRUE(Read(dir / Wav(run)) == Read(dir / Wav(c.otherRun)))
            << "the captured audio differs from run " << c.otherRun + 1 << "'s";
        return;
      case CheckKind::NoErrors:
        EXPECT_EQ(Read(dir / "brannoc.err"), "") << "in the error log";
        EXPECT_EQ(r.err, "") << "on stderr";
        return;
      case CheckKind::Stderr:
        EXPECT_NE(r.err.find(c.words[0]), std::string::npos) << "stderr:\n" << r.err;
        return;
    }
  }

  bool Inside(const TBitmap32& bmp, const Check& c) {
    const bool inside = c.x >= 0 && c.y >= 0 && c.x + c.w <= bmp.width && c.y + c.h <= bmp.height;
    EXPECT_TRUE(inside) << "the rectangle leaves the picture";
    return inside;
  }

  void VerifyPixel(const Check& c) {
    const TBitmap32& bmp = Picture(c.a);
    if (!Inside(bmp, c)) return;
    const uint32_t at = bmp.At(c.x, c.y) & 0xFFFFFF;
    if (Near(at, c.colour, c.tolerance) != (c.kind == CheckKind::Pixel))
      ADD_FAILURE() << "at " << c.x << "," << c.y << " after step " << c.a.step << ": " << std::hex << "pixel " << at
                    << (c.kind == CheckKind::Pixel ? ", expected " : ", not expected ") << c.colour;
  }

  void VerifySome(const Check& c) {
    const TBitmap32& bmp = Picture(c.a);
    if (!Inside(bmp, c)) return;
    bool found = false;
    for (int y = c.y; y < c.y + c.h && !found; ++y)
      for (int x = c.x; x < c.x + c.w && !found; ++x) found = Near(bmp.At(x, y), c.colour, c.tolerance);
    EXPECT_TRUE(found) << "no pixel near " << std::hex << c.colour << " in the rectangle after step " << c.a.step;
  }

  void VerifyChange(const Check& c) {
    const TBitmap32& a = Picture(c.a);
    const TBitmap32& b = Picture(c.b);
    if (!Inside(a, c) || !Inside(b, c)) return;
    int differing = 0;
    for (int y = c.y; y < c.y + c.h; ++y)
      for (int x = c.x; x < c.x + c.w; ++x) differing += (a.At(x, y) & 0xFFFFFF) != (b.At(x, y) & 0xFFFFFF);
    if (c.kind == CheckKind::Changed)
      EXPECT_GT(differing, 0) << "the rectangle is the same in both pictures";
    else
      EXPECT_EQ(differing, 0) << "pixels of the rectangle differ";
  }

  void VerifyIni(const Check& c) {
    std::string expected;
    for (size_t i = 3; i < c.words.size(); ++i) expected += (i > 3 ? " " : "") + c.words[i];
    const std::optional<std::string> value = ReadIniKey(dir / c.words[0], c.words[1], c.words[2]);
    ASSERT_TRUE(value) << c.words[0] << " has no key " << c.words[2] << " in [" << c.words[1] << "]:\n"
                       << Read(dir / c.words[0]);
    EXPECT_EQ(*value, expected) << c.words[0] << " [" << c.words[1] << "] " << c.words[2];
  }

  void VerifyFile(const Check& c) {
    const fs::path p = dir / c.words[0];
    const std::string& state = c.words[1];
    const bool exists = fs::exists(p), empty = exists && fs::file_size(p) == 0;
    if (state == "missing") {
      EXPECT_FALSE(exists) << p;
    } else {
      EXPECT_TRUE(exists && empty == (state == "empty")) << p << (exists ? " has the wrong size" : " is missing");
    }
  }

  void VerifySound(int run, const Check& c) {
    const std::optional<e2e::Wav> wav = ReadWav(dir / Wav(run));
    ASSERT_TRUE(wav) << "no captured audio";
    const std::optional<int> peak = PeakOfSteps(*wav, c.from, c.to);
    ASSERT_TRUE(peak) << "the capture ends before step " << c.to;
    const std::string steps = "steps " + std::to_string(c.from) + ".." + std::to_string(c.to - 1);
    const bool ok = c.kind == CheckKind::Silent ? *peak == 0
                    : c.kind == CheckKind::Sound ? *peak > 0
                                                 : c.min <= *peak && *peak <= c.max;
    EXPECT_TRUE(ok) << "the loudest sample of " << steps << " is " << *peak;
  }

  void VerifyLike(int run, const Check& c) {
    const std::optional<e2e::Wav> wav = ReadWav(dir / Wav(run)), other = ReadWav(dir / Wav(c.otherRun));
    ASSERT_TRUE(wav && other) << "no captured audio";
    const std::optional<double> r = CorrelationOfSteps(*wav, *other, c.from, c.to);
    ASSERT_TRUE(r) << "a capture is silent or ends before step " << c.to;
    EXPECT_TRUE(c.low <= *r && *r <= c.high) << "steps " << c.from << ".." << c.to - 1 << " correlate " << *r
                                             << " with run " << c.otherRun + 1;
  }

  std::map<std::string, TBitmap32> pictures_;
};

TEST_P(Demo, Plays) {
  const DemoCase demo = ParseCase(Read(fs::path(QEL_E2E_CASES) / (GetParam() + ".case")));
  for (const std::string& p : demo.problems) ADD_FAILURE() << GetParam() << ".case:" << p;
  if (!demo.problems.empty()) return;
  for (size_t i = 0; i < demo.runs.size(); ++i) {
    SCOPED_TRACE(GetParam() + ".case, run " + std::to_string(i + 1));
    Play(static_cast<int>(i), demo.runs[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Demo, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace qel::e2e
