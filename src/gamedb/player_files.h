#pragma once
// Where the player keeps its own files of a game: the settings file, the
// saved state and the error log. They belong in the game directory; when
// that cannot be written (a game installed for all users) they go to the
// user's data folder "$XDG_DATA_HOME/qelplayer/<game>/" instead, and a copy
// there is always read first.
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "base/game_paths.h"

namespace qel {

class PlayerFiles {
 public:
  // Whether a file may be created or replaced; the default asks the system.
  using WritableCheck = std::function<bool(const std::filesystem::path&)>;
  PlayerFiles(GameDir& game, std::filesystem::path dataDir, WritableCheck writable = {});
  // "$XDG_DATA_HOME/qelplayer/<base name>" ("~/.local/share/..." without the variable).
  static std::filesystem::path DataDirFor(std::string_view gameBaseName);

  const std::filesystem::path& DataDir() const { return dataDir_; }
  // The copy in the data folder when there is one, else the game's own file.
  std::optional<std::filesystem::path> ForRead(std::string_view name);
  // In the game directory when it can be written there, else in the data
  // folder (its folders created). nullopt for names leaving the game directory.
  std::optional<std::filesystem::path> ForWrite(std::string_view name);

 private:
  GameDir& game_;
  std::filesystem::path dataDir_;
  WritableCheck writable_;
};

// Whether the file can be written, or created in its nearest existing folder.
bool CanWrite(const std::filesystem::path& file);

}  // namespace qel
