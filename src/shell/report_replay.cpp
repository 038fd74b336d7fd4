#include "shell/report_replay.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "render/picture.h"
#include "shell/crash_guard.h"
#include "shell/event_source.h"
#include "shell/file_digest.h"
#include "shell/form_main.h"
#include "shell/recorded_clock.h"
#include "shell/recording.h"
#include "shell/report_info.h"
#include "shell/screenshot.h"
#include "shell/session.h"
#include "shell/start_files.h"

namespace fs = std::filesystem;

namespace qel {
namespace {

int Fail(const std::string& why) {
  std::fprintf(stderr, "qelplayer: %s\n", why.c_str());
  return 2;
}

std::optional<std::string> ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Inside(const fs::path& p, const fs::path& dir) {
  const fs::path rel = p.lexically_relative(dir);
  return !rel.empty() && *rel.begin() != "..";
}

// The game folder's files and folders, symbolic links read through (a
// linked folder is left out), the folders in `skip` too.
bool CopyFolder(const fs::path& from, const fs::path& to, const std::vector<fs::path>& skip) {
  std::error_code ec;
  fs::create_directories(to, ec);
  auto it = fs::recursive_directory_iterator(from, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::path& p = it->path();
    const fs::path target = to / p.lexically_relative(from);
    std::error_code e2;
    const bool link = it->is_symlink(e2);
    if (it->is_directory(e2)) {
      bool skipped = link;
      for (const fs::path& s : skip) skipped = skipped || p == s || Inside(p, s);
      if (skipped)
        it.disable_recursion_pending();
      else
        fs::create_directories(target, e2);
    } else if (it->is_regular_file(e2)) {
      if (!fs::copy_file(p, target, fs::copy_options::overwrite_existing, e2)) return false;
    }
  }
  return !ec;
}

// A fresh folder of its own under the system's temporary folder, removed with this object.
class TempFolder {
 public:
  TempFolder() {
    std::string name = (fs::temp_directory_path() / "qelplayer-replay-XXXXXX").string();
    if (::mkdtemp(name.data())) path_ = fs::canonical(name);
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Where the replay stops: after the frame of the report's screenshot, else
// after its step (every input of that step delivered).
struct StopPoint {
  std::optional<int64_t> frame;
  int64_t step = 0;
};

StopPoint StopOf(const ReportInfo& info, const PlayerOptions& o, const Recording& rec) {
  StopPoint stop;
  if (o.frames) {
    stop.step = *o.frames;
  } else if (info.pictureFrame && info.pictureStep) {
    stop.frame = info.pictureFrame;
    stop.step = *info.pictureStep;
  } else if (info.step) {
    stop.step = *info.step;
  } else if (!rec.entries.empty()) {
    stop.step = rec.entries.back().step;
  }
  return stop;
}

// What stderr says after the step of a crash in the replay.
std::string CrashTail(const ReportInfo& info) {
  std::ostringstream tail;
  if (info.reason == "crash" && info.step) tail << " (the report's crash: step " << *info.step << ")";
  tail << '\n';
  return tail.str();
}

class ReportReplay {
 public:
  ReportReplay(const PlayerOptions& o, const PlayerHooks& hooks) : o_(o), hooks_(hooks) {}
  int Run();

 private:
  int Load();
  int Prepare();
  int Play();
  bool Apply(const RecordEntry& e);
  void Picture();
  int Verdict();
  int64_t Tick() const { return form_->runtime().shell.FrameTick; }

  const PlayerOptions& o_;
  const PlayerHooks& hooks_;
  fs::path dir_;
  ReportInfo info_;
  Recording rec_;
  fs::path game_;
  TempFolder temp_;
  fs::path playedGame_;
  std::unique_ptr<ReplayClock> clock_;
  std::unique_ptr<TFormMain> form_;
  StopPoint stop_;
  int64_t frames_ = 0;
  std::optional<int64_t> errorStep_;
  std::string error_;
  std::string crashTail_;
  bool pictureSame_ = false, pictureCompared_ = false;
};

int ReportReplay::Load() {
  dir_ = fs::absolute(o_.replayReport);
  const auto report = ReadText(dir_ / "report.txt");
  if (!report) return Fail("no report in " + dir_.string() + " (report.txt cannot be read)");
  info_ = ParseReportInfo(*report);
  const auto recording = ReadText(dir_ / "recording.txt");
  if (!recording) return Fail("cannot read " + (dir_ / "recording.txt").string());
  rec_ = ParseRecording(*recording);
  for (const InputProblem& p : rec_.problems)
    std::fprintf(stderr, "recording.txt:%d: %s (line skipped)\n", p.line, p.message.c_str());
  std::vector<fs::path> places;
  if (!o_.game.empty()) {
    places.push_back(fs::absolute(o_.game));
  } else if (!info_.game.empty() && fs::path(info_.game).filename() == fs::path(info_.game)) {
    places = {dir_.parent_path() / info_.game, dir_ / info_.game};
    if (!info_.gamePath.empty()) places.push_back(info_.gamePath);
  }
  std::error_code ec;
  for (const fs::path& p : places)
    if (fs::is_regular_file(p, ec)) {
      game_ = p;
      break;
    }
  if (game_.empty())
    return Fail(info_.game.empty() ? "the report names no game; give it with --game"
                                   : "cannot find the game " + info_.game + " of the report; give it with --game");
  if (!info_.gameSha256.empty() && FileSha256(game_) != info_.gameSha256)
    std::fprintf(stderr, "qelplayer: %s is not the game file of the report (its SHA-256 differs); playing it anyway\n",
                 game_.c_str());
  stop_ = StopOf(info_, o_, rec_);
  return 0;
}

// The temporary game folder, the report's start files in it, and an
// environment that keeps every file of the run inside the temporary folder.
int ReportReplay::Prepare() {
  if (temp_.Path().empty()) return Fail("cannot make a temporary folder");
  const fs::path tmp = temp_.Path();
  const fs::path gameDir = tmp / "game";
  std::error_code ec;
  if (!CopyFolder(fs::weakly_canonical(game_.parent_path(), ec), gameDir, {tmp, fs::weakly_canonical(dir_, ec)}))
    return Fail("cannot copy the game's folder " + game_.parent_path().string());
  playedGame_ = gameDir / game_.filename();
  setenv("XDG_DATA_HOME", (tmp / "data").c_str(), 1);
  setenv("XDG_STATE_HOME", (tmp / "state").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (tmp / "config").c_str(), 1);
  setenv("XDG_PICTURES_DIR", (tmp / "pictures").c_str(), 1);
  std::string why;
  const fs::path dataDir = tmp / "data" / "qelplayer" / game_.stem();
  if (!RestoreStartFiles(dir_ / "start", gameDir, dataDir, &why))
    std::fprintf(stderr, "qelplayer: %s; the game's own files are used as they are\n", why.c_str());
  // The scripts' date formats and names, as the run had them.
  for (const char* v : {"LC_ALL", "LC_TIME", "LANG"}) unsetenv(v);
  if (!info_.locale.empty()) setenv("LC_ALL", info_.locale.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  unsetenv("DISPLAY");
  return 0;
}

// False once the replay is to stop.
bool ReportReplay::Apply(const RecordEntry& e) {
  switch (e.kind) {
    case RecordKind::Input:
      DeliverInput(*form_, e.input);
      break;
    case RecordKind::Paint:
      form_->FormPaint();
      break;
    case RecordKind::Frame:
      form_->RenderOnly();
      ++frames_;
      if (stop_.frame && frames_ == *stop_.frame) {
        Picture();
        return false;
      }
      form_->Present();
      break;
  }
  return !form_->Closed();
}

// The stop's picture: written where asked, compared with the report's.
void ReportReplay::Picture() {
  std::vector<uint32_t> pixels;
  auto& device = form_->Device();
  if (!device.ReadBackBuffer(pixels)) return;
  if (!o_.screenshot.empty()) {
    std::string why;
    if (!WritePngRgb(o_.screenshot, pixels, device.Width(), device.Height(), &why))
      std::fprintf(stderr, "qelplayer: cannot write %s %s\n", o_.screenshot.c_str(), why.c_str());
  }
  TBitmap32 reported;
  if (!stop_.frame || o_.frames || !LoadPictureFile((dir_ / "screenshot.png").string(), reported)) return;
  pictureCompared_ = true;
  pictureSame_ = reported.pixels.size() == pixels.size();
  for (size_t i = 0; pictureSame_ && i < pixels.size(); ++i)
    pictureSame_ = (reported.pixels[i] | 0xFF000000u) == (pixels[i] | 0xFF000000u);
}

int ReportReplay::Play() {
  const auto options = ParsePlayerOptions(info_.playOptions).options;
  clock_ = std::make_unique<ReplayClock>(rec_.clock);
  FormSettings s;
  s.gameFile = playedGame_;
  s.testMode = options.testMode;
  s.headless = true;
  s.virtualClock = true;
  if (options.windowed) s.windowedOverride = *options.windowed ? 1 : 0;
  s.seed = info_.seed;
  s.clock = clock_.get();
  if (options.scriptBudget) s.scriptBudget = static_cast<uint64_t>(*options.scriptBudget);
  s.extraFunctions = hooks_.hostFunctions;
  form_ = std::make_unique<TFormMain>(std::move(s));
  if (!form_->FormCreate()) return 1;
  form_->runtime().scriptErrorListeners.push_back([this](const ScriptErrorReport& e) {
    if (errorStep_) return;
    errorStep_ = Tick();
    error_ = ScriptErrorLine(e);
  });
  crashTail_ = CrashTail(info_);
  InstallCrashGuard({-1, &form_->runtime().shell.FrameTick, "qelplayer: the replay crashed", crashTail_});
  if (options.skipLogos) form_->SkipLogos();

  bool going = true;
  for (const RecordEntry& e : rec_.entries) {
    if (!going || form_->Closed() || (!stop_.frame && e.step > stop_.step)) break;
    while (Tick() < e.step && !form_->Closed()) form_->TimerProcess();
    going = !form_->Closed() && Apply(e);
  }
  if (going && !form_->Closed()) {
    while (Tick() < stop_.step && !form_->Closed()) form_->TimerProcess();
    if (!form_->Closed()) {
      form_->RenderOnly();
      Picture();
    }
  }
  form_->FormClose();
  RemoveCrashGuard();
  return Verdict();
}

int ReportReplay::Verdict() {
  auto said = [](const std::optional<int64_t>& step, const std::string& error) {
    return step ? "step " + std::to_string(*step) + ": " + error : std::string("no script error");
  };
  int status = 0;
  if (!info_.error.empty() && info_.errorStep) {
    if (errorStep_ == info_.errorStep && error_ == info_.error) {
      std::printf("the same script error came back at step %lld: %s\n", static_cast<long long>(*errorStep_),
                  error_.c_str());
    } else {
      std::printf("the script error did not come back: the report has %s; the replay has %s\n",
                  said(info_.errorStep, info_.error).c_str(), said(errorStep_, error_).c_str());
      status = 3;
    }
  } else if (errorStep_) {
    std::printf("the replay has a script error the report does not have: %s\n", said(errorStep_, error_).c_str());
    status = 3;
  }
  if (info_.reason == "crash") {
    std::printf("the replay reached step %lld without the report's crash\n", static_cast<long long>(Tick()));
    status = 3;
  } else {
    std::printf("the replay stopped after step %lld", static_cast<long long>(Tick()));
    if (stop_.frame && frames_ == *stop_.frame) std::printf(", frame %lld", static_cast<long long>(frames_));
    std::printf("\n");
  }
  if (pictureCompared_)
    std::printf("%s\n", pictureSame_ ? "the picture is the report's" : "the picture differs from the report's");
  return status;
}

int ReportReplay::Run() {
  if (int status = Load()) return status;
  if (int status = Prepare()) return status;
  const fs::path started = fs::current_path();
  const int status = Play();
  std::error_code ec;
  fs::current_path(started, ec);
  return status;
}

}  // namespace

int ReplayReport(const PlayerOptions& options, const PlayerHooks& hooks) {
  PlayerOptions o = options;
  if (!o.screenshot.empty()) o.screenshot = fs::absolute(o.screenshot).string();
  ReportReplay replay(o, hooks);
  return replay.Run();
}

}  // namespace qel
