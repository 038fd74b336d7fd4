#include "shell/key_codes.h"

#include "base/encoding.h"

namespace qel {
namespace {

struct KeyRow {
  SDL_Keycode key;
  int32_t vk;
};

constexpr KeyRow kNamedKeys[] = {
    {SDLK_BACKSPACE, 8},     {SDLK_TAB, 9},         {SDLK_RETURN, 13},      {SDLK_KP_ENTER, 13},
    {SDLK_LSHIFT, 16},       {SDLK_RSHIFT, 16},     {SDLK_LCTRL, 17},       {SDLK_RCTRL, 17},
    {SDLK_LALT, 18},         {SDLK_RALT, 18},       {SDLK_PAUSE, 19},       {SDLK_CAPSLOCK, 20},
    {SDLK_ESCAPE, 27},       {SDLK_SPACE, 32},      {SDLK_PAGEUP, 33},      {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35},          {SDLK_HOME, 36},       {SDLK_LEFT, 37},        {SDLK_UP, 38},
    {SDLK_RIGHT, 39},        {SDLK_DOWN, 40},       {SDLK_PRINTSCREEN, 44}, {SDLK_INSERT, 45},
    {SDLK_DELETE, 46},       {SDLK_LGUI, 91},       {SDLK_RGUI, 92},        {SDLK_APPLICATION, 93},
    {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107},   {SDLK_KP_MINUS, 109},   {SDLK_KP_PERIOD, 110},
    {SDLK_KP_DIVIDE, 111},   {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145},
};

// Punctuation keys by position (the US layout's names for them).
constexpr struct {
  SDL_Scancode code;
  int32_t vk;
} kPunctuation[] = {
    {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187},     {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189},     {SDL_SCANCODE_PERIOD, 190},     {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_GRAVE, 192},     {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_APOSTROPHE, 222}, {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

}  // namespace

int32_t VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode) {
  if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
  if (key >= '0' && key <= '9') return key;
  // Letters and digits of other layouts: by the key's position.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode == SDL_SCANCODE_0) return '0';
  if (key >= SDLK_F1 && key <= SDLK_F12) return 112 + (key - SDLK_F1);
  if (key >= SDLK_F13 && key <= SDLK_F24) return 124 + (key - SDLK_F13);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 97 + (key - SDLK_KP_1);
  if (key == SDLK_KP_0) return 96;
  for (const KeyRow& row : kNamedKeys)
    if (row.key == key) return row.vk;
  for (const auto& row : kPunctuation)
    if (row.code == scancode) return row.vk;
  return 0;
}

uint16_t ControlCharOfKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_ESCAPE: return 27;
    default: return 0;
  }
}

std::vector<uint16_t> Utf16UnitsOf(const std::string& utf8) {
  std::vector<uint16_t> units;
  for (char16_t u : Utf8ToUtf16(utf8)) units.push_back(static_cast<uint16_t>(u));
  return units;
}

uint16_t CharForRoot(uint16_t unit, bool unicodeMode) {
  if (unicodeMode) return unit;
  const int b = CodePointToCp1251(unit);
  return static_cast<uint16_t>(b < 0 ? '?' : b);
}

}  // namespace qel
