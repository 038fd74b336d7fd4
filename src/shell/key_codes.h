#pragma once
// Keys and typed text as the game's scripts know them: Windows virtual-key
// codes and UTF-16 code units.
#include <SDL2/SDL_keyboard.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qel {

// The virtual-key code of a key, or 0 for keys that have none.
int32_t VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);
// The character a key types that the text-input events do not carry
// (Backspace 8, Tab 9, Enter 13, Esc 27), or 0.
uint16_t ControlCharOfKey(SDL_Keycode key);
// The UTF-16 code units of UTF-8 text (pairs for characters beyond the BMP).
std::vector<uint16_t> Utf16UnitsOf(const std::string& utf8);
// What the root's character input receives for one typed code unit: the unit
// itself in unicode mode, else its Windows-1251 byte ('?' when it has none).
uint16_t CharForRoot(uint16_t unit, bool unicodeMode);

}  // namespace qel
