#pragma once
// The files a game may read back after the player wrote them (settings,
// saves, their backups, the player's data folder of the game), as a session
// found them at its start: copied into a report so that a replay starts from
// the same files. A report keeps them as
//   start/files.txt         "present game NAME", "absent game NAME", "present data NAME"
//   start/game/NAME         the game folder's copies
//   start/data/NAME         the data folder's copies
// NAME is relative, '/' between folders.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

struct StartFile {
  enum class Where { Game, Data };
  Where where = Where::Game;
  std::string name;
  bool present = true;

  bool operator==(const StartFile&) const = default;
};

// Copies the listed game files (absolute paths inside gameDir; missing ones
// are noted as absent), the game folder's top-level settings and backup
// files (*.ini, *.bak) and the whole dataDir into `into`, and writes
// files.txt. Files that cannot be copied are passed over.
std::vector<StartFile> CaptureStartFiles(const std::filesystem::path& gameDir,
                                         const std::vector<std::filesystem::path>& gameFiles,
                                         const std::filesystem::path& dataDir, const std::filesystem::path& into);

// Puts a report's start files into a game folder and a data folder: the
// present ones copied over, the absent game files removed. False (and why)
// when files.txt cannot be read or a copy fails.
bool RestoreStartFiles(const std::filesystem::path& from, const std::filesystem::path& gameDir,
                       const std::filesystem::path& dataDir, std::string* why);

// files.txt; lines that do not read, and names that would leave their
// folder, are passed over.
std::vector<StartFile> ParseStartManifest(std::string_view text);
std::string FormatStartManifest(const std::vector<StartFile>& files);

}  // namespace qel
