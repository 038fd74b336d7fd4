// Mouse, keys, typed characters and activation, turned into element events.
#include "elements/layer_walk.h"
#include "shell/form_main.h"
#include "shell/key_codes.h"

namespace qel {
namespace {

// The nine probe points of a press, in pixels-halves (each times 2 pixels).
constexpr int kPickOffsets[9][2] = {{0, 0}, {-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};

}  // namespace

TQelElement* TFormMain::HitTest(int32_t x, int32_t y) const {
  TQelElement* screen = Screen();
  if (!screen || !root_) return nullptr;
  TQelElement* hit = nullptr;
  WalkLayers(*root_, root_->OrderMax(), [&] { return root_->OrderMin(); },
             [&](int32_t layer) { return (hit = screen->ElementAt(layer, x, y, 0, 0)) != nullptr; });
  return hit;
}

void TFormMain::FormMouseMove(int32_t x, int32_t y) {
  ShellState& shell = runtime_.shell;
  if (shell.LoadingMode) return;
  shell.MouseDX = x - shell.MouseX;
  shell.MouseDY = y - shell.MouseY;
  shell.MouseX = x;
  shell.MouseY = y;
  if (!timer_.Enabled()) {
    device_.Render(0, false);
    device_.Flip();
    return;
  }
  if (!Screen()) return;
  TQelElement* hit = HitTest(x, y);
  TQelElement* hovered = runtime_.Resolve(shell.HoveredElement);
  if (!(shell.MouseCaptured && hovered && hovered->MsKeep) && hit != hovered) {
    if (hovered) hovered->DoMouseOut();
    shell.HoveredElement = hit ? hit->Handle() : 0;
    if (hit) hit->DoMouseIn();
  }
  // Scripts run above may have destroyed what they touched: look again.
  if (TQelElement* now = runtime_.Resolve(shell.HoveredElement)) now->DoMouseMove();
  if (root_) root_->DoMouseMove();
}

void TFormMain::FormMouseDown(int32_t x, int32_t y) {
  ShellState& shell = runtime_.shell;
  if (logoIndex_ >= 0) {
    if (logoFrame_ > 18 && logoFrame_ < 133) logoFrame_ = 83;
    return;
  }
  if (shell.LoadingMode) return;
  shell.MouseX = x;
  shell.MouseY = y;
  for (const auto& d : kPickOffsets) {
    FormMouseMove(x + 2 * d[0], y + 2 * d[1]);
    const TQelElement* hovered = runtime_.Resolve(shell.HoveredElement);
    if (hovered && !hovered->Event(evMouseDown).source.empty()) break;
  }
  if (TQelElement* hovered = runtime_.Resolve(shell.HoveredElement)) hovered->DoMouseDown();
  shell.PressedElement = shell.HoveredElement;
  shell.MouseCaptured = true;
  const TQelElement* hovered = runtime_.Resolve(shell.HoveredElement);
  if (root_ && (!hovered || !hovered->NoMsQelDB)) root_->DoMouseDown();
  FormMouseMove(x, y);
}

void TFormMain::FormMouseUp(int32_t x, int32_t y) {
  ShellState& shell = runtime_.shell;
  if (shell.LoadingMode) return;
  shell.MouseX = x;
  shell.MouseY = y;
  FormMouseMove(x, y);
  TQelElement* hovered = runtime_.Resolve(shell.HoveredElement);
  if (hovered && shell.HoveredElement == shell.PressedElement) hovered->DoMouseUp();
  hovered = runtime_.Resolve(shell.HoveredElement);
  if (root_ && (!hovered || !hovered->NoMsQelDB)) root_->DoMouseUp();
  hovered = runtime_.Resolve(shell.HoveredElement);
  if (!(shell.MouseCaptured && hovered && hovered->MsKeep)) {
    shell.MouseCaptured = false;
    FormMouseMove(x, y);
  }
  shell.MouseCaptured = false;
}

void TFormMain::FormKeyDown(int32_t key, bool alt, bool ctrl, bool shift) {
  ShellState& shell = runtime_.shell;
  if (key == 13 && alt && !ctrl && !shift) {
    shell.FullScreen = !shell.FullScreen;
    FlWin();
  }
  if (root_) root_->DoKeyDown(key);
}

void TFormMain::WMChar(uint16_t unit) {
  if (root_) root_->DoChar(CharForRoot(unit, root_->UnicodeMode));
}

void TFormMain::WMActivate(bool active) {
  timer_.SetEnabled(active);
  if (active) timer_.Reset();
  if (active)
    audio_.Start();
  else
    audio_.Pause();
}

}  // namespace qel
