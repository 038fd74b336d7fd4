#pragma once
// Names of game files as the game and its scripts spell them ('\\' or '/',
// any letter case) mapped onto the game directory, never outside it.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class GameDir {
 public:
  explicit GameDir(std::filesystem::path root);
  const std::filesystem::path& Root() const { return root_; }
  // An existing file or folder, each component matched case-insensitively;
  // nullopt when missing or when the name would leave the game directory.
  std::optional<std::filesystem::path> Find(std::string_view name);
  // A path to create, overwrite or delete: existing components matched as in
  // Find, the missing rest kept as spelled; nullopt when the name would leave
  // the directory.
  std::optional<std::filesystem::path> ForWrite(std::string_view name);

 private:
  std::optional<std::vector<std::string>> Split(std::string_view name) const;
  std::optional<std::string> Match(const std::filesystem::path& dir, const std::string& part);

  std::filesystem::path root_;
};

}  // namespace qel
