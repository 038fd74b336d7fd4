// The player's own layer, drawn over the game's finished picture into the
// device's overlay buffer: the back buffer, and so every screenshot, keeps
// the game's picture alone.
#include <cstdio>

#include "shell/form_main.h"

namespace qel {

void TFormMain::ShowNotice(std::string utf8, double seconds) { notices_.Show(std::move(utf8), seconds); }

void TFormMain::DrawOverlays() {
  if (!notices_.Active()) return;
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
  notices_.Draw(*canvas_, *overlayText_, device_.Width(), device_.Height());
  canvas_->SetClipRect(clip);
  canvas_->SetAntialias(antialias);
}

}  // namespace qel
