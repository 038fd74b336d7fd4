// The player's own layer, drawn over the game's finished picture into the
// device's overlay buffer: the back buffer, and so every screenshot, keeps
// the game's picture alone.
#include <cstdio>

#include "shell/form_main.h"

namespace qel {

void TFormMain::ShowNotice(std::string utf8, double seconds) { notices_.Show(std::move(utf8), seconds); }

void TFormMain::ToggleInspector() {
  inspector_.Toggle();
  FormPaint();
}

void TFormMain::DrawOverlays() {
  const bool notices = notices_.Active();
  if (!notices && !inspector_.Shown()) return;
  if (!device_.BeginOverlay()) return;
  if (!overlayText_->Ready() && !overlayFontTold_) {
    overlayFontTold_ = true;
    std::fprintf(stderr, "qelplayer: %s\n", overlayText_->Problem().c_str());
  }
  // Whatever clip and filter the game left, the overlay covers the whole picture, texel for pixel.
  const TGfxRect clip = canvas_->ClipRect();
  const bool antialias = canvas_->Antialias();
  canvas_->SetClipRect({0, 0, device_.Width(), device_.Height()});
  canvas_->SetAntialias(false);
  if (inspector_.Shown()) {
    const ShellState& shell = runtime_.shell;
    InspectorView view;
    view.root = root_.get();
    view.screen = Screen();
    view.loadingScreen = LoadingScreen();
    view.hovered = runtime_.Resolve(shell.HoveredElement);
    view.images = imageCache_.get();
    view.particles = root_ ? inspector_.Particles(*root_) : 0;
    view.rates = stats_.Last();
    view.step = shell.FrameTick;
    view.mouseX = shell.MouseX;
    view.mouseY = shell.MouseY;
    view.loading = shell.LoadingMode;
    view.logoIndex = logoIndex_;
    view.logoFrame = logoFrame_;
    inspector_.Draw(*canvas_, *overlayText_, view, device_.Width(), device_.Height());
  }
  if (notices) notices_.Draw(*canvas_, *overlayText_, device_.Width(), device_.Height());
  canvas_->SetClipRect(clip);
  canvas_->SetAntialias(antialias);
}

}  // namespace qel
