// qelplayer as the tests build it, never shipped: the same player with two
// additions.
// - The host function TestCrash raises SIGSEGV, as a fault in the player would.
// - QEL_TEST_SDL_EVENTS names an input file (the --replay format) whose events
//   are pushed into SDL's queue as a window system would send them, once the
//   game has reached their step: input that reaches the game the way a real
//   player's does, not through --replay.
#include <SDL2/SDL.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "script/scriptcalc.h"
#include "shell/input_script.h"
#include "shell/player_run.h"

namespace {

std::vector<qel::InputEvent> EventsToPush() {
  const char* file = std::getenv("QEL_TEST_SDL_EVENTS");
  if (!file || !*file) return {};
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return qel::ParseInputScript(text.str()).events;
}

// Mouse events at window positions (a 1024x768 window shows the back buffer
// one to one), and keys by their letter or digit.
void Push(const qel::InputEvent& e) {
  SDL_Event ev{};
  switch (e.kind) {
    case qel::InputKind::Move:
      ev.type = SDL_MOUSEMOTION;
      ev.motion.x = e.x;
      ev.motion.y = e.y;
      break;
    case qel::InputKind::Down:
    case qel::InputKind::Up:
      ev.type = e.kind == qel::InputKind::Down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
      ev.button.button = SDL_BUTTON_LEFT;
      ev.button.x = e.x;
      ev.button.y = e.y;
      break;
    case qel::InputKind::Key:
      ev.type = SDL_KEYDOWN;
      ev.key.keysym.sym = e.code >= 'A' && e.code <= 'Z' ? e.code - 'A' + 'a' : e.code;
      ev.key.keysym.scancode = SDL_GetScancodeFromKey(ev.key.keysym.sym);
      ev.key.keysym.mod = (e.alt ? KMOD_LALT : 0) | (e.ctrl ? KMOD_LCTRL : 0) | (e.shift ? KMOD_LSHIFT : 0);
      break;
    default:
      return;
  }
  SDL_PushEvent(&ev);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::vector<qel::InputEvent> events = EventsToPush();
  size_t next = 0;
  qel::PlayerHooks hooks;
  hooks.hostFunctions = [](qel::TScriptCalc& calc) {
    calc.RegisterFunction("TestCrash", [](qel::TScriptCalc&, qel::TVarList&, qel::TVar&) {
      std::raise(SIGSEGV);
      return true;
    });
  };
  hooks.beforeInput = [&](int64_t step) {
    while (next < events.size() && events[next].step <= step) Push(events[next++]);
  };
  return qel::RunPlayer(args, argc > 0 ? argv[0] : nullptr, hooks);
}
