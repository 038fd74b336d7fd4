#pragma once
// What a game author runs before shipping: the game loaded as the player
// loads it, every event script prepared, and every name the game uses
// (pictures, sounds, fonts, texts, script files, effect files, screens and
// element paths) looked up the way the player would look it up.
#include <filesystem>
#include <string>
#include <vector>

namespace qel {

struct LintProblem {
  std::string path;     // the element: dotted Ids from the root, the root itself "QELDB"
  std::string message;  // UTF-8
  // Something the player copes with, but that may not be what the author meant.
  bool warning = false;
};

// "PATH: message", or "PATH: warning: message".
std::string LintLine(const LintProblem& problem);

// Problems in tree order, each element's in the order of its checks. A game
// file that cannot be read is one problem of the root.
std::vector<LintProblem> LintGame(const std::filesystem::path& gameFile);

}  // namespace qel
