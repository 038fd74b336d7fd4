#pragma once
// Where a run's input comes from and where it is written: SDL's events
// turned into input events, a replay file, a recording.
#include <SDL2/SDL_events.h>

#include <fstream>
#include <string>
#include <vector>

#include "shell/input_script.h"

namespace qel {

class TFormMain;

// Hands one event to the window's handlers.
void DeliverInput(TFormMain& form, const InputEvent& event);

// What one SDL event means to the player.
struct SdlTranslation {
  std::vector<InputEvent> events;  // to deliver, in order (steps not set)
  bool quit = false;
  bool screenshotKey = false;      // Ctrl+Alt+S: reaches nothing else
  bool reportKey = false;          // Ctrl+Alt+B: a bug report; reaches nothing else
  bool inspectorKey = false;       // Ctrl+Alt+I: shows or hides the inspector, reaches nothing else
};
// Positions are mapped into the back buffer with the window's size.
SdlTranslation TranslateSdlEvent(const SDL_Event& ev, SDL_Window* window, int backWidth, int backHeight);

class InputRecorder {
 public:
  bool Open(const std::string& file);
  bool IsOpen() const { return out_.is_open(); }
  // Written at once, so a run that dies keeps what it delivered.
  void Write(const InputEvent& event);

 private:
  std::ofstream out_;
};

}  // namespace qel
