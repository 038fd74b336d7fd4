// Switching between window and full screen.
#include "shell/form_main.h"

namespace qel {

void TFormMain::FlWin() {
  ShellState& shell = runtime_.shell;
  if (SettingsFile* settings = root_ ? root_->Settings() : nullptr)
    settings->WriteString("Def", "FS", shell.FullScreen ? "1" : "0");
  if (shell.TestMode) shell.FullScreen = false;
  timer_.SetEnabled(false);
  // The device restyles its window (centred when windowed). Textures and
  // fonts live in the GL context, which survives the switch, so nothing has
  // to be loaded again; elements still re-fetch their resources.
  device_.SetWindowed(!shell.FullScreen);
  if (root_)
    for (int i = 0; i < root_->ChildCount(); ++i) root_->Child(i)->ReloadRes();
  timer_.Reset();
  timer_.SetEnabled(true);
}

}  // namespace qel
