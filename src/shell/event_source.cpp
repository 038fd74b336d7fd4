#include "shell/event_source.h"

#include "shell/form_main.h"
#include "shell/key_codes.h"
#include "shell/player_run.h"

namespace qel {

void DeliverInput(TFormMain& form, const InputEvent& e) {
  switch (e.kind) {
    case InputKind::Move: form.FormMouseMove(e.x, e.y); break;
    case InputKind::Down: form.FormMouseDown(e.x, e.y); break;
    case InputKind::Up: form.FormMouseUp(e.x, e.y); break;
    case InputKind::Key: form.FormKeyDown(e.code, e.alt, e.ctrl, e.shift); break;
    case InputKind::Char: form.WMChar(static_cast<uint16_t>(e.code)); break;
    case InputKind::Activate: form.WMActivate(e.code != 0); break;
  }
}

namespace {

InputEvent Pointer(InputKind kind, int x, int y, SDL_Window* window, int bw, int bh) {
  int ww = bw, wh = bh;
  if (window) SDL_GetWindowSize(window, &ww, &wh);
  InputEvent e;
  e.kind = kind;
  WindowToBackBuffer(x, y, ww, wh, bw, bh, e.x, e.y);
  return e;
}

}  // namespace

SdlTranslation TranslateSdlEvent(const SDL_Event& ev, SDL_Window* window, int bw, int bh) {
  SdlTranslation t;
  switch (ev.type) {
    case SDL_QUIT:
      t.quit = true;
      break;
    case SDL_MOUSEMOTION:
      t.events.push_back(Pointer(InputKind::Move, ev.motion.x, ev.motion.y, window, bw, bh));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      t.events.push_back(Pointer(ev.type == SDL_MOUSEBUTTONDOWN ? InputKind::Down : InputKind::Up, ev.button.x,
                                 ev.button.y, window, bw, bh));
      break;
    case SDL_KEYDOWN: {
      const SDL_Keysym& k = ev.key.keysym;
      InputEvent e;
      e.kind = InputKind::Key;
      e.alt = (k.mod & KMOD_ALT) != 0;
      e.ctrl = (k.mod & KMOD_CTRL) != 0;
      e.shift = (k.mod & KMOD_SHIFT) != 0;
      if ((k.sym == SDLK_s || k.sym == SDLK_i || k.sym == SDLK_b) && e.alt && e.ctrl) {
        (k.sym == SDLK_s ? t.screenshotKey : k.sym == SDLK_i ? t.inspectorKey : t.reportKey) = true;
        break;
      }
      e.code = VirtualKeyFromSdl(k.sym, k.scancode);
      if (e.code) t.events.push_back(e);
      // Keys that type a control character; text input does not carry them.
      if (const uint16_t c = ControlCharOfKey(k.sym); c && !e.alt) {
        InputEvent ch;
        ch.kind = InputKind::Char;
        ch.code = c;
        t.events.push_back(ch);
      }
      break;
    }
    case SDL_TEXTINPUT:
      for (uint16_t unit : Utf16UnitsOf(ev.text.text)) {
        InputEvent ch;
        ch.kind = InputKind::Char;
        ch.code = unit;
        t.events.push_back(ch);
      }
      break;
    case SDL_WINDOWEVENT: {
      InputEvent a;
      a.kind = InputKind::Activate;
      switch (ev.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_RESTORED:
          a.code = 1;
          t.events.push_back(a);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
          a.code = 0;
          t.events.push_back(a);
          break;
        default:
          break;
      }
      break;
    }
    default:
      break;
  }
  return t;
}

bool InputRecorder::Open(const std::string& file) {
  out_.open(file, std::ios::binary | std::ios::trunc);
  if (out_) out_ << "# qelplayer input: STEP EVENT ARGUMENTS\n";
  return out_.is_open() && out_.good();
}

void InputRecorder::Write(const InputEvent& e) {
  if (!out_.is_open()) return;
  out_ << FormatInputEvent(e) << '\n';
  out_.flush();
}

}  // namespace qel
