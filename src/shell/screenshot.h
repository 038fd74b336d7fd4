#pragma once
// Pictures of the back buffer as PNG files.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qel {

// Writes width x height 0xAARRGGBB pixels (rows top-down) as an RGB PNG.
// False (and why) when the file cannot be written.
bool WritePngRgb(const std::filesystem::path& file, const std::vector<uint32_t>& pixels, int width, int height,
                 std::string* error = nullptr);

// $XDG_PICTURES_DIR, else ~/Pictures.
std::filesystem::path PicturesDir();
// A new file name in dir for a screenshot: qelplayer-YYYYMMDD-HHMMSS[-N].png.
std::filesystem::path NewScreenshotName(const std::filesystem::path& dir);

}  // namespace qel
