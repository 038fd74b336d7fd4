#pragma once
// The root's operations the player calls. Each one forwards to the root (or
// to the cache) where that operation lives; until it does, the smallest
// stand-in that keeps the player's order of steps lives here.
#include <cstdint>
#include <filesystem>
#include <string>

#include "elements/qel_db.h"

namespace qel {

// Reads the game file into the root; problems of a damaged file go to err.
// False when the file cannot be read at all.
bool RootLoadGame(TQelDB& root, const std::filesystem::path& file, std::string& err);
void RootDoKeyDown(TQelDB& root, int32_t key);
void RootDoChar(TQelDB& root, uint16_t code);
void RootDoExit(TQelDB& root);
// Key "FS" of section "Def" of the game's settings file, when it has one.
void RootWriteFullScreenSetting(TQelDB& root, bool fullScreen);
void RootUpdateStars(TQelDB& root);
void RootDrawStars(TQelDB& root, int32_t layer);
// The music fade step of the sound cache.
void UpdateMusic(Runtime& runtime);

}  // namespace qel
