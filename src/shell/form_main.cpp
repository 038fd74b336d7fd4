#include "shell/form_main.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "hostapi/host_screens.h"
#include "hostapi/host_table.h"
#include "shell/root_ops.h"

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
  resDb_.SetOpenMode(TOpenMode::opReadOnly);
  hostServices_ = DefaultHostServices();
  if (settings_.now) hostServices_.clock = &fixedClock_;
  runtime_.shellHost = this;
}

TFormMain::~TFormMain() {
  FormClose();
  runtime_.shellHost = nullptr;
}

void TFormMain::OpenAudio() {
  // Headless runs only ever write their audio to a file.
  if (settings_.headless) return;
  audioOpen_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (!audioOpen_) std::fprintf(stderr, "qelplayer: no audio output (%s); the game plays silent\n", SDL_GetError());
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
  root_ = std::make_unique<TQelDB>(&runtime_);
  pool_ = std::make_unique<InterpreterPool>(runtime_, *root_, [this](TScriptCalc& calc) {
    RegisterHostFunctions(calc, hostServices_);
    RegisterGameFunctions(calc);
  });
  if (settings_.scriptBudget) pool_->SetStepBudget(*settings_.scriptBudget);
  runtime_.script.RandSeed =
      settings_.seed ? *settings_.seed
                     : static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
  logos_ = std::make_unique<LogoPictures>(*images_, gameDir);

  shell.ImmediateImageLoad = false;
  if (!settings_.gameFile.empty()) {
    std::string problems;
    if (!RootLoadGame(*root_, settings_.gameFile, problems) || !problems.empty())
      std::fprintf(stderr, "%s", problems.c_str());
  }
  // The display mode of this run: the settings file's, unless the command line names one.
  if (settings_.windowedOverride >= 0) shell.FullScreen = settings_.windowedOverride == 0;
  if (shell.TestMode) shell.FullScreen = false;
  if (device_.Windowed() == shell.FullScreen) device_.SetWindowed(!shell.FullScreen);

  ByteString title = root_->GetLangText("Title");
  if (title.empty()) title = root_->Id;
  if (device_.Window()) SDL_SetWindowTitle(device_.Window(), Cp1251ToUtf8(title).c_str());
  shell.ImmediateImageLoad = true;
  TQelElement* first = root_->FindByKey(root_->InitScreen);
  shell.CurrentScreen = first ? first->Handle() : 0;
  timer_.Reset();
  timer_.SetEnabled(true);
}

void TFormMain::FormClose() {
  if (closed_) return;
  closed_ = true;
  timer_.SetEnabled(false);
  if (root_) RootDoExit(*root_);
  runtime_.shell.CurrentScreen = 0;
  pool_.reset();
  root_.reset();
  runtime_.shell.HoveredElement = 0;
}

TQelElement* TFormMain::LoadingScreen() const { return root_ ? FindLoadingScreen(*root_) : nullptr; }

}  // namespace qel
