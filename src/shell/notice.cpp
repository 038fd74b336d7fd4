#include "shell/notice.h"

namespace qel {

TitleNotice::~TitleNotice() { Restore(); }

void TitleNotice::Show(const std::string& text) {
  if (!window_) return;
  if (!showing_) title_ = SDL_GetWindowTitle(window_);
  SDL_SetWindowTitle(window_, (title_ + " - " + text).c_str());
  showing_ = true;
  until_ = SDL_GetTicks64() + kShowMs;
}

void TitleNotice::Update() {
  if (showing_ && SDL_GetTicks64() >= until_) Restore();
}

void TitleNotice::Restore() {
  if (!showing_ || !window_) return;
  SDL_SetWindowTitle(window_, title_.c_str());
  showing_ = false;
}

}  // namespace qel
