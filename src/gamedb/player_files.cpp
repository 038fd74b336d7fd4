#include "gamedb/player_files.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace qel {
bool CanWrite(const std::filesystem::path& file) {
  if (::access(file.c_str(), F_OK) == 0) return ::access(file.c_str(), W_OK) == 0;
  std::filesystem::path dir = file.parent_path();
  while (!dir.empty() && ::access(dir.c_str(), F_OK) != 0) dir = dir.parent_path();
  return !dir.empty() && ::access(dir.c_str(), W_OK) == 0;
}

PlayerFiles::PlayerFiles(GameDir& game, std::filesystem::path dataDir, WritableCheck writable)
    : game_(game), dataDir_(std::move(dataDir)), writable_(writable ? std::move(writable) : WritableCheck(CanWrite)) {}

std::filesystem::path PlayerFiles::DataDirFor(std::string_view gameBaseName) {
  std::filesystem::path home;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') {
    home = xdg;
  } else {
    const char* h = std::getenv("HOME");
    home = std::filesystem::path(h && h[0] ? h : "/tmp") / ".local" / "share";
  }
  return home / "qelplayer" / std::string(gameBaseName.empty() ? "game" : gameBaseName);
}

std::optional<std::filesystem::path> PlayerFiles::ForRead(std::string_view name) {
  auto own = game_.ForWrite(name);
  if (!own) return std::nullopt;
  std::error_code ec;
  if (!dataDir_.empty() && std::filesystem::is_directory(dataDir_, ec)) {
    GameDir data(dataDir_);
    if (auto copy = data.Find(name)) return copy;
  }
  if (auto found = game_.Find(name)) return found;
  return own;
}

std::optional<std::filesystem::path> PlayerFiles::ForWrite(std::string_view name) {
  auto own = game_.ForWrite(name);
  if (!own) return std::nullopt;
  std::error_code ec;
  if (!dataDir_.empty()) {
    // A copy already in the data folder stays the one in use.
    if (std::filesystem::is_directory(dataDir_, ec)) {
      GameDir data(dataDir_);
      if (auto copy = data.Find(name)) return copy;
    }
  }
  if (writable_(*own) || dataDir_.empty()) return own;
  GameDir data(dataDir_);
  auto there = data.ForWrite(name);
  if (!there) return std::nullopt;
  std::filesystem::create_directories(there->parent_path(), ec);
  return there;
}

}  // namespace qel
