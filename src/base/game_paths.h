#pragma once
// Game file names as games spell them: written on a case-insensitive file
// system with '\' between folders ("Sounds\Door.WAV"). GameDir turns such a
// name into a real path inside the game directory and never lets it escape.
//
// Names are byte strings in the game's encoding: a component that is valid
// UTF-8 is taken as it stands, any other is read as Windows-1251 (on disk as
// in the request). Matching folds Latin and Cyrillic letters. When several entries of a folder differ
// only in case, the one spelled exactly as asked wins, else the smallest
// name in byte order.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qel {

class GameDir {
 public:
  explicit GameDir(std::filesystem::path root);
  const std::filesystem::path& Root() const { return root_; }

  // An existing file or folder: '\\' and '/' separate, each component matched
  // case-insensitively (listings cached, re-read when a lookup misses);
  // nullopt when missing or when the name would leave the game directory
  // (absolute path, drive letter, "..").
  std::optional<std::filesystem::path> Find(std::string_view name);
  // A path to create, overwrite or delete: existing components matched as in
  // Find, the missing rest kept as spelled; nullopt when the name would leave
  // the directory.
  std::optional<std::filesystem::path> ForWrite(std::string_view name);

  // Told of every name Find finds only by matching some component whatever
  // its letter case: the name as asked and the path found. Such a game
  // breaks on a case-sensitive copy of its folder.
  std::function<void(std::string_view asked, const std::filesystem::path& found)> onCaseOnlyMatch;

 private:
  struct Listing {
    // folded name -> name on disk
    std::unordered_map<std::string, std::string> byFolded;
  };
  // The entry of `dir` that `component` names, or nullopt.
  std::optional<std::string> Match(const std::filesystem::path& dir, const std::string& component);
  const Listing& Read(const std::filesystem::path& dir);

  std::filesystem::path root_;
  std::unordered_map<std::string, Listing> listings_;  // by folder path
};

// The components of a game file name, each as a UTF-8 file-system name;
// nullopt when the name is empty or would leave its folder. Empty and "."
// components are dropped.
std::optional<std::vector<std::string>> SplitGameName(std::string_view name);

// A file-system name folded for case-insensitive comparison.
std::string FoldFileName(std::string_view utf8Name);

}  // namespace qel
