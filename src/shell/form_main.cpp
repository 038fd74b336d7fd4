#include "shell/form_main.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "hostapi/host_screens.h"
#include "hostapi/host_table.h"

namespace qel {

TFormMain::TFormMain(FormSettings settings)
    : settings_(std::move(settings)),
      virtualClock_(settings_.virtualClock ? std::make_unique<TVirtualClock>() : nullptr),
      timer_(virtualClock_.get()),
      fixedClock_(settings_.now.value_or(0)) {
  device_.SetWidth(1024);
  device_.SetHeight(768);
  device_.BitDepth = TBitDepth::bdHigh;
  device_.Refresh = 0;
  device_.SetWindowed(true);
  device_.SetVSync(false);
  device_.SetHardwareTL(false);
  device_.DepthBuffer = false;
  device_.Headless = settings_.headless;
  device_.OnInitialize = [this](TGfxDevice&, bool& success) { DeviceInitialize(success); };
  device_.OnRender = [this](TGfxDevice&) { DeviceRender(); };
  timer_.SetSpeed(30.0);
  timer_.SetMaxFPS(30);
  timer_.SetEnabled(false);
  timer_.OnTimer = [this](TGfxTimer&) { TimerTimer(); };
  timer_.OnProcess = [this](TGfxTimer&) { TimerProcess(); };
  canvas_ = std::make_unique<TGfxCanvas>(device_);
  canvas_->AlphaTesting = true;
  canvas_->SetVertexCache(4096);
  canvas_->SetAntialias(false);
  canvas_->Dithering = false;
  images_ = std::make_unique<TGfxImages>(device_);
  images_->MipMappping = false;
  fonts_ = std::make_unique<TGfxFonts>(device_, canvas_.get());
  overlayText_ = std::make_unique<OverlayText>(*images_);
  resDb_.SetOpenMode(TOpenMode::opReadOnly);
  hostServices_ = DefaultHostServices();
  if (settings_.now) hostServices_.clock = &fixedClock_;
  if (settings_.clock) hostServices_.clock = settings_.clock;
}

TFormMain::~TFormMain() { FormClose(); }

void TFormMain::OpenAudio() {
  // Headless runs mix on the process steps' clock and only ever write a file.
  AudioMixer::Options options;
  options.manualClock = settings_.headless;
  options.noDevice = settings_.headless;
  audio_.Open(options);
  if (!settings_.audioOut.empty() && !audio_.StartCapture(settings_.audioOut))
    std::fprintf(stderr, "qelplayer: cannot write %s\n", settings_.audioOut.c_str());
}

bool TFormMain::FormCreate() {
  runtime_.shell.TestMode = settings_.testMode;
  OpenAudio();
  if (!device_.Initialize()) {
    std::fprintf(stderr, "%s\n", kDeviceInitFailedText);
    if (!device_.LastError().empty()) std::fprintf(stderr, "qelplayer: %s\n", device_.LastError().c_str());
    if (!settings_.headless) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", kDeviceInitFailedText, nullptr);
    FormClose();
    return false;
  }
  if (!settings_.headless && device_.Window()) {
    SDL_ShowWindow(device_.Window());
    SDL_RaiseWindow(device_.Window());
    SDL_ShowCursor(SDL_DISABLE);
  }
  return true;
}

void TFormMain::DeviceInitialize(bool& success) {
  if (!success) return;
  StartGame();
}

void TFormMain::StartGame() {
  ShellState& shell = runtime_.shell;
  const std::filesystem::path gameDir = settings_.gameFile.empty() ? std::filesystem::current_path()
                                                                   : settings_.gameFile.parent_path();
  if (!gameDir.empty() && chdir(gameDir.c_str()) != 0)
    std::fprintf(stderr, "qelplayer: cannot enter %s\n", gameDir.c_str());
  ConnectServices(gameDir);
  root_ = std::make_unique<TQelDB>(&runtime_);
  root_->hooks.applyDisplayMode = [this](bool fullScreen) { ApplyDisplayMode(fullScreen); };
  root_->hooks.presentFrame = [this] { RenderFrame(true); };
  root_->hooks.resetClock = [this] { timer_.Reset(); };
  imageCache_->SetGame(ImageCacheGameOf(runtime_.shell, *root_, [this] {
    if (root_) root_->DoLoadImProcess();
  }));
  pool_ = std::make_unique<InterpreterPool>(runtime_, *root_, [this](TScriptCalc& calc) {
    RegisterHostFunctions(calc, hostServices_);
    RegisterGameFunctions(calc);
    if (settings_.extraFunctions) settings_.extraFunctions(calc);
  });
  if (settings_.scriptBudget) pool_->SetStepBudget(*settings_.scriptBudget);
  runtime_.script.RandSeed =
      settings_.seed ? *settings_.seed
                     : static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());

  shell.ImmediateImageLoad = false;
  if (!settings_.gameFile.empty() && !root_->LoadGame(settings_.gameFile)) {
    const std::string name = settings_.gameFile.filename().string();
    for (const LoadProblem& p : runtime_.loadProblems)
      std::fprintf(stderr, "qelplayer: %s: offset %zu, %s: %s\n", name.c_str(), p.offset, p.path.c_str(),
                   p.message.c_str());
  }
  // The display mode of this run: the settings file's, unless the command line names one.
  if (settings_.windowedOverride >= 0) shell.FullScreen = settings_.windowedOverride == 0;
  if (shell.TestMode) shell.FullScreen = false;
  ApplyDisplayMode(shell.FullScreen);
  particles_ = imageCache_->RequestImage("particles.bmp", true);

  ByteString title = root_->GetLangText("Title");
  if (title.empty()) title = root_->Id();
  if (device_.Window()) SDL_SetWindowTitle(device_.Window(), Cp1251ToUtf8(title).c_str());
  shell.ImmediateImageLoad = true;
  TQelElement* first = root_->FindByKey(root_->InitScreen);
  shell.CurrentScreen = first ? first->Handle() : 0;
  started_ = true;
  timer_.Reset();
  timer_.SetEnabled(true);
}

void TFormMain::FormClose() {
  if (closed_) return;
  closed_ = true;
  timer_.SetEnabled(false);
  if (root_) root_->DoExit();
  runtime_.shell.CurrentScreen = 0;
  pool_.reset();
  root_.reset();
  runtime_.shell.HoveredElement = 0;
  runtime_.services = GameServices{};
  audio_.StopCapture();
}

void TFormMain::ConnectServices(const std::filesystem::path& gameDir) {
  dir_ = std::make_unique<GameDir>(gameDir);
  imageCache_ = std::make_unique<ImageCache>(*images_, dir_.get(), &resDb_);
  soundCache_ = std::make_unique<SoundCache>(&audio_, dir_.get(), &resDb_,
                                             SoundCacheGameOf(runtime_.shell, [this] { timer_.Reset(); }));
  GameServices& s = runtime_.services;
  s.dir = dir_.get();
  s.images = imageCache_.get();
  s.sounds = soundCache_.get();
  s.audio = &audio_;
  s.canvas = canvas_.get();
  s.fonts = fonts_.get();
  s.textures = images_.get();  // pies and system-font texts make their own textures
  s.archive = &resDb_;
  s.textures = images_.get();
  particleManager_.canvas = canvas_.get();
  s.particles = &particleManager_;
}

// The settings' mode (or this run's), as the device and the window show it;
// the command line's mode wins over the settings file's for this run.
void TFormMain::ApplyDisplayMode(bool fullScreen) {
  if (settings_.windowedOverride >= 0 && !started_) fullScreen = settings_.windowedOverride == 0;
  if (runtime_.shell.TestMode) fullScreen = false;
  if (device_.Windowed() == fullScreen) device_.SetWindowed(!fullScreen);
}

TQelElement* TFormMain::LoadingScreen() const { return root_ ? FindLoadingScreen(*root_) : nullptr; }

}  // namespace qel
