#pragma once
// The pictures a game's first screen names (its own and its elements'
// picture properties), as files of the game's folder.
#include <filesystem>
#include <string>
#include <vector>

namespace qel::bench {

std::vector<std::filesystem::path> FirstScreenPictures(const std::filesystem::path& gameFile);

}  // namespace qel::bench
