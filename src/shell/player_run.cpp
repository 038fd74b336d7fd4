#include "shell/player_run.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "hostapi/random.h"
#include "shell/discovery.h"
#include "shell/event_source.h"
#include "shell/form_main.h"
#include "shell/options.h"
#include "shell/report_replay.h"
#include "shell/screenshot.h"
#include "shell/session.h"

namespace fs = std::filesystem;

namespace qel {

void WindowToBackBuffer(int x, int y, int ww, int wh, int bw, int bh, int& outX, int& outY) {
  if (ww <= 0 || wh <= 0) {
    outX = x;
    outY = y;
    return;
  }
  // Fit as the device does: full width, or full height when that is too tall.
  int64_t sw = ww, sh = int64_t{ww} * bh / bw;
  if (sh > wh) {
    sh = wh;
    sw = int64_t{wh} * bw / bh;
  }
  const int64_t ox = (ww - sw) / 2, oy = (wh - sh) / 2;
  outX = static_cast<int>((x - ox) * bw / std::max<int64_t>(1, sw));
  outY = static_cast<int>((y - oy) * bh / std::max<int64_t>(1, sh));
}

namespace {

int Fail(const std::string& why) {
  std::fprintf(stderr, "qelplayer: %s\n", why.c_str());
  return 2;
}

std::string AbsoluteName(const std::string& name) {
  return name.empty() ? name : fs::absolute(name).string();
}

// One run of the player once its options are known.
class PlayerRun {
 public:
  PlayerRun(PlayerOptions o, std::vector<std::string> args, const PlayerHooks& hooks)
      : o_(std::move(o)), args_(std::move(args)), hooks_(hooks) {}
  int Run(const char* argv0);

 private:
  bool Prepare(const char* argv0, FormSettings& settings, int& status);
  void StartSession(FormSettings& settings);
  void AttachSession();
  void OnFrame();
  void SaveReport();
  void Deliver(const InputEvent& e);
  void DeliverReplayUpTo(int64_t stamp);
  bool CountedFrame();
  void RealTimeLoop();
  void CountedLoop();
  void FinalFrame();
  void TakeScheduledShots();
  bool WriteShot(const fs::path& file);
  void PollWindow(bool deliver);
  int64_t Tick() const { return form_->runtime().shell.FrameTick; }
  bool StepsDone() const { return o_.frames && Tick() >= *o_.frames; }

  PlayerOptions o_;
  std::vector<std::string> args_;
  const PlayerHooks& hooks_;
  FixedClock fixedNow_;
  std::unique_ptr<Session> session_;  // outlives the game, which reports to it
  bool keyReport_ = false;
  std::unique_ptr<TFormMain> form_;
  InputScript replay_;
  size_t nextReplay_ = 0;
  InputRecorder recorder_;
  bool stalled_ = false;
};

bool PlayerRun::Prepare(const char* argv0, FormSettings& s, int& status) {
  status = 2;
  if (!o_.game.empty()) {
    std::error_code ec;
    if (!fs::is_regular_file(o_.game, ec)) return Fail("no game file " + o_.game), false;
    s.gameFile = fs::absolute(o_.game);
  } else if (auto found = DiscoverGame(ProcessPlaces(argv0))) {
    s.gameFile = fs::absolute(*found);
  } else {
    std::fprintf(stderr, "qelplayer: no game file found; nothing to play\n");
  }
  // Names on the command line are relative to where the player was started.
  o_.screenshot = AbsoluteName(o_.screenshot);
  for (ScreenshotAt& at : o_.screenshotsAt) at.file = AbsoluteName(at.file);
  if (!o_.replay.empty()) {
    std::ifstream in(o_.replay, std::ios::binary);
    if (!in) return Fail("cannot read " + o_.replay), false;
    std::stringstream text;
    text << in.rdbuf();
    replay_ = ParseInputScript(text.str());
    for (const InputProblem& p : replay_.problems)
      std::fprintf(stderr, "%s:%d: %s (line skipped)\n", o_.replay.c_str(), p.line, p.message.c_str());
  }
  if (!o_.record.empty() && !recorder_.Open(AbsoluteName(o_.record)))
    return Fail("cannot write " + o_.record), false;
  s.testMode = o_.testMode;
  s.headless = o_.headless;
  s.virtualClock = o_.VirtualClock();
  if (o_.windowed) s.windowedOverride = *o_.windowed ? 1 : 0;
  s.seed = o_.seed;
  s.now = o_.now;
  s.audioOut = AbsoluteName(o_.audioOut);
  if (o_.scriptBudget) s.scriptBudget = static_cast<uint64_t>(*o_.scriptBudget);
  s.extraFunctions = hooks_.hostFunctions;
  StartSession(s);
  if (o_.headless) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    unsetenv("DISPLAY");
  }
  status = 0;
  return true;
}

void PlayerRun::Deliver(const InputEvent& e) {
  if (form_->Closed()) return;
  InputEvent stamped = e;
  stamped.step = Tick();
  recorder_.Write(stamped);
  if (session_) session_->Input(stamped);
  DeliverInput(*form_, e);
}

void PlayerRun::DeliverReplayUpTo(int64_t stamp) {
  while (nextReplay_ < replay_.events.size() && replay_.events[nextReplay_].step <= stamp && !form_->Closed())
    Deliver(replay_.events[nextReplay_++]);
}

bool PlayerRun::WriteShot(const fs::path& file) {
  std::vector<uint32_t> pixels;
  std::string why;
  auto& device = form_->Device();
  if (device.ReadBackBuffer(pixels) && WritePngRgb(file, pixels, device.Width(), device.Height(), &why))
    return true;
  std::fprintf(stderr, "qelplayer: cannot write %s %s\n", file.c_str(), why.c_str());
  return false;
}

void PlayerRun::TakeScheduledShots() {
  for (const ScreenshotAt& at : o_.screenshotsAt)
    if (at.step == Tick()) WriteShot(at.file);
}

void PlayerRun::PollWindow(bool deliver) {
  SDL_Event ev;
  auto& device = form_->Device();
  while (!form_->Closed() && SDL_PollEvent(&ev)) {
    const SdlTranslation t = TranslateSdlEvent(ev, device.Window(), device.Width(), device.Height());
    if (t.quit) {
      form_->FormClose();
      return;
    }
    if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_EXPOSED && !form_->Timer().Enabled()) {
      if (session_) session_->Paint(Tick());
      form_->FormPaint();
    }
    if (t.reportKey) {
      if (session_) {
        session_->RequestReport();
        keyReport_ = true;
      } else {
        std::fprintf(stderr, "qelplayer: this run is not recorded, so it cannot make a report\n");
      }
      continue;
    }
    if (t.inspectorKey) {
      // A paused window repaints; a paint draws the game and so is recorded.
      if (session_ && !form_->Timer().Enabled()) session_->Paint(Tick());
      form_->ToggleInspector();
      continue;
    }
    if (t.screenshotKey) {
      std::error_code ec;
      fs::create_directories(PicturesDir(), ec);
      const fs::path file = NewScreenshotName(PicturesDir());
      if (WriteShot(file)) std::printf("%s\n", file.c_str());
      continue;
    }
    if (deliver)
      for (const InputEvent& e : t.events) Deliver(e);
  }
}

// The seed is picked here when none is given, so that the session has it.
void PlayerRun::StartSession(FormSettings& s) {
  if (!s.seed) s.seed = ClockSeed();
  session_ = Session::Begin({s.gameFile, args_, PlayOptionsOf(o_), *s.seed});
  if (!session_) return;
  if (o_.now) fixedNow_.Set(*o_.now);
  s.clock = &session_->RecordClock(o_.now ? static_cast<const Clock&>(fixedNow_) : *DefaultHostServices().clock);
}

// The files the game keeps in its folder, as they are before anything of it runs.
void PlayerRun::AttachSession() {
  if (!session_) return;
  std::vector<fs::path> files;
  fs::path dataDir;
  if (TQelDB* root = form_->Root()) {
    GameDir* dir = form_->runtime().services.dir;
    for (const ByteString& name : {root->IniFile, root->FileRS})
      if (auto place = dir && !name.empty() ? dir->ForWrite(name) : std::nullopt) files.push_back(*place);
    if (auto f = root->Files()) dataDir = f->DataDir();
  }
  session_->Attach(form_->runtime(), files, dataDir);
}

void PlayerRun::OnFrame() {
  if (!session_) return;
  session_->Frame(Tick());
  if (session_->ReportDue()) SaveReport();
}

// The back buffer still holds the last frame drawn: the one on the screen.
void PlayerRun::SaveReport() {
  std::vector<uint32_t> pixels;
  auto& device = form_->Device();
  if (!device.ReadBackBuffer(pixels)) pixels.clear();
  const fs::path dir = session_->WriteReport(pixels, device.Width(), device.Height());
  if (keyReport_ && !dir.empty()) form_->ShowNotice("Report saved in " + dir.string());
  keyReport_ = false;
}

// Frame k of a counted run: events stamped k - 1, render, step k, present.
bool PlayerRun::CountedFrame() {
  DeliverReplayUpTo(Tick());
  if (form_->Closed()) return false;
  if (!form_->Timer().Enabled()) {
    // Paused: only later events of this same step could wake the game.
    if (session_) session_->Paint(Tick());
    form_->FormPaint();
    if (nextReplay_ >= replay_.events.size() || replay_.events[nextReplay_].step > Tick()) {
      std::fprintf(stderr, "qelplayer: the game stays inactive at step %lld; stopping\n",
                   static_cast<long long>(Tick()));
      stalled_ = true;
      return false;
    }
    return true;
  }
  form_->RenderOnly();
  form_->TimerProcess();
  if (!form_->Closed()) form_->Present();
  return !form_->Closed();
}

void PlayerRun::CountedLoop() {
  const bool window = !o_.headless;
  const uint64_t period = SDL_GetPerformanceFrequency() / 30;
  uint64_t next = SDL_GetPerformanceCounter();
  while (!form_->Closed() && !StepsDone()) {
    if (window) {
      PollWindow(false);
      const uint64_t now = SDL_GetPerformanceCounter();
      if (now < next) SDL_Delay(static_cast<uint32_t>((next - now) * 1000 / SDL_GetPerformanceFrequency()));
      next += period;
    }
    if (!CountedFrame()) break;
  }
}

void PlayerRun::RealTimeLoop() {
  while (!form_->Closed() && !StepsDone()) {
    if (hooks_.beforeInput) hooks_.beforeInput(Tick());
    PollWindow(true);
    if (form_->Closed()) break;
    form_->Timer().Idle();
  }
}

// The picture after the last step: the --screenshot one.
void PlayerRun::FinalFrame() {
  if (form_->Closed()) return;
  DeliverReplayUpTo(Tick());
  if (form_->Closed()) return;
  form_->RenderOnly();
  if (!o_.screenshot.empty()) WriteShot(o_.screenshot);
  form_->Present();
}

int PlayerRun::Run(const char* argv0) {
  FormSettings settings;
  int status = 0;
  if (!Prepare(argv0, settings, status)) return status;
  form_ = std::make_unique<TFormMain>(std::move(settings));
  form_->AfterRender = [this] {
    TakeScheduledShots();
    OnFrame();
  };
  if (o_.frames) form_->StepLimit = *o_.frames;
  form_->GameInspector().SetShown(o_.inspector);
  if (!form_->FormCreate()) return 1;
  AttachSession();
  if (o_.skipLogos) form_->SkipLogos();
  if (o_.VirtualClock())
    CountedLoop();
  else
    RealTimeLoop();
  if (o_.frames || stalled_) FinalFrame();
  form_->FormClose();
  // An error of the exit script: the picture is the last frame's.
  if (session_ && session_->ReportDue()) SaveReport();
  if (session_) session_->Detach();
  return 0;
}

}  // namespace

int RunPlayer(const std::vector<std::string>& args, const char* argv0, const PlayerHooks& hooks) {
  ParsedOptions parsed = ParsePlayerOptions(args);
  if (!parsed.error.empty()) {
    Fail(parsed.error);
    std::fprintf(stderr, "usage: qelplayer [options] [GAME.qelf] [/TESTMODE]  (qelplayer --help lists them)\n");
    return 2;
  }
  if (parsed.options.help) {
    std::fputs(PlayerHelpText(), stdout);
    return 0;
  }
  if (parsed.options.version) {
    std::fputs(PlayerVersionText(), stdout);
    return 0;
  }
  if (!parsed.options.replayReport.empty()) return ReplayReport(parsed.options, hooks);
  PlayerRun run(std::move(parsed.options), args, hooks);
  return run.Run(argv0);
}

}  // namespace qel
