#pragma once
// Finding the game file to play when none is named, and where it lives.
#include <filesystem>
#include <optional>
#include <string>

namespace qel {

struct DiscoveryPlaces {
  std::filesystem::path executable;  // the player's own file
  std::filesystem::path current;     // the directory the player was started in
  std::filesystem::path configHome;  // $XDG_CONFIG_HOME, else ~/.config
};

// The game file to play, tried in this order: the executable's base name +
// ".qelf" beside it; the first "*.qelf" by name in the current directory,
// then beside the executable; the "Path" of section "Main" of QelMaker.ini
// in the config folder. nullopt when nothing applies.
std::optional<std::filesystem::path> DiscoverGame(const DiscoveryPlaces& places);

// The places of this process (the executable from /proc/self/exe).
DiscoveryPlaces ProcessPlaces(const char* argv0);

// A value of an ini file, section and key compared without case; nullopt
// when the file, the section or the key is missing.
std::optional<std::string> ReadIniValue(const std::filesystem::path& file, const std::string& section,
                                        const std::string& key);

}  // namespace qel
