// The frame loop: a frame renders, runs the process steps that are due and
// presents; a process step plays the logo sequence, the loading screen or
// the game.
#include <string>

#include "elements/layer_walk.h"
#include "hostapi/host_screens.h"
#include "shell/form_main.h"

namespace qel {

void TFormMain::TimerTimer() {
  device_.Render(0, true);
  if (AfterRender) AfterRender();
  timer_.Process();
  if (!closed_) device_.Flip();
}

void TFormMain::RenderOnly() {
  device_.Render(0, true);
  if (AfterRender) AfterRender();
}

void TFormMain::FormPaint() {
  if (timer_.Enabled()) return;
  device_.Render(0, false);
  device_.Flip();
}

void TFormMain::RenderFrame(bool present) {
  device_.Render(0, true);
  if (present) device_.Flip();
}

void TFormMain::TimerProcess() {
  ShellState& shell = runtime_.shell;
  if (closed_ || shell.FrameTick >= StepLimit) return;
  const FrameStats::StepScope measured(stats_);
  shell.FrameTick += 1;
  // Headless runs mix one step of sound per step.
  if (settings_.headless) audio_.Advance(AudioMixer::kFramesPerStep);
  if (logoIndex_ >= 0) {
    LogoStep();
    return;
  }
  if (shell.LoadingMode) {
    if (TQelElement* loading = LoadingScreen()) {
      loading->Process();
    } else if (root_) {
      root_->FinishScreenSwitch();
      shell.LoadingMode = false;
    }
    soundCache_->UpdateMusic();
    return;
  }
  if (TQelElement* screen = Screen()) screen->Process();
  if (root_) root_->UpdateStars();
  if (TQelElement* cursor = runtime_.Resolve(shell.CursorElement)) cursor->Process();
  soundCache_->UpdateMusic();
  if (shell.FullScreen == device_.Windowed()) FlWin();
  if (shell.ExitRequested) FormClose();
}

void TFormMain::LogoStep() {
  TQelElement* screen = Screen();
  if (logoFrame_ < 100 && logoIndex_ > 0) {
    logoFrame_ += 1;
    if (logoFrame_ != 18) return;
    if (!gameInitDone_) {
      if (root_) root_->Init();
      if (screen) screen->LoadRes();
      gameInitDone_ = true;
    } else if (!screenShowDone_) {
      if (screen) screen->Show();
      screenShowDone_ = true;
    }
  } else if (logoIndex_ >= 10) {
    SkipLogos();
  } else {
    do {
      logoIndex_ += 1;
      const std::string n = std::to_string(logoIndex_);
      logoImage_ = imageCache_->RequestImage("logos\\logo" + n + ".jpg", false);
      soundCache_->PlaySound("logo" + n + ".mp3", 100);
    } while (!logoImage_->texture && logoIndex_ <= 9);
    logoFrame_ = 0;
    timer_.Reset();
  }
}

void TFormMain::SkipLogos() {
  TQelElement* screen = Screen();
  if (!gameInitDone_ && root_) root_->Init();
  gameInitDone_ = true;
  if (!screenShowDone_ && screen) {
    screen->LoadRes();
    screen->Show();
  }
  screenShowDone_ = true;
  timer_.Reset();
  logoIndex_ = -1;
}

void TFormMain::DeviceRender() {
  {
    // The game's own drawing; the player's overlay is not part of what a frame of the game costs.
    const FrameStats::FrameScope measured(stats_);
    // The particle picture's texture changes when the cache reloads it.
    particleManager_.texture = imageCache_ ? imageCache_->TextureOf(particles_) : nullptr;
    if (logoIndex_ >= 0)
      RenderLogo();
    else if (runtime_.shell.LoadingMode)
      RenderLoading();
    else
      RenderPlay();
  }
  DrawOverlays();
}

void TFormMain::RenderLogo() {
  const TGfxImage* logo = logoImage_ ? imageCache_->TextureOf(logoImage_) : nullptr;
  if (!logo) return;
  const int alpha = logoFrame_ <= 17 ? logoFrame_ * 15 : logoFrame_ >= 83 ? (100 - logoFrame_) * 15 : 255;
  const uint32_t background = logo->GetPixel(0, 0, 0);
  canvas_->FillRect(0, 0, 1024, 768, TColor4(background), fxOpaque);
  const int x = (1024 - logo->TextureWidth) / 2, y = (768 - logo->TextureHeight) / 2;
  canvas_->Draw(logo, x, y, TColor4((static_cast<uint32_t>(alpha) << 24) + 0xFFFFFFu), 0, 1284);
}

namespace {

void RenderLayers(TQelElement& e, int32_t from, int32_t to, double x, double y) {
  WalkLayers(e, from, [to] { return to; }, [&](int32_t layer) {
    e.Render(layer, 0xFFFFFFFFu, x, y, 0);
    return false;
  });
}

}  // namespace

void TFormMain::RenderLoading() {
  if (TQelElement* screen = Screen()) RenderLayers(*screen, screen->OrderMin(), screen->OrderMax(), 0, 0);
  if (TQelElement* loading = LoadingScreen())
    RenderLayers(*loading, loading->OrderMin(), loading->OrderMax(), 0, 0);
}

void TFormMain::RenderPlay() {
  ShellState& shell = runtime_.shell;
  const TGfxImage* stars = particleManager_.texture;
  if (TQelElement* screen = Screen(); screen && root_) {
    const StarPool& pool = root_->Stars();
    WalkLayers(
        *root_, root_->OrderMin(), [&] { return root_->OrderMax(); },
        [&](int32_t layer) {
          screen->Render(layer, 0xFFFFFFFFu, 0, 0, 0);
          root_->DrawStars(layer, stars);
          return false;
        },
        [&](int64_t after, int32_t last) { return pool.NextLayer(after, last); });
  }
  if (root_) root_->DrawStars(1000, stars);
  if (TQelElement* cursor = runtime_.Resolve(shell.CursorElement))
    RenderLayers(*cursor, cursor->OrderMin(), cursor->OrderMax(), shell.MouseX, shell.MouseY);
}

}  // namespace qel
