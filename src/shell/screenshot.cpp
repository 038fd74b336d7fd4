#include "shell/screenshot.h"

#include <png.h>

#include <cstdlib>
#include <ctime>
#include <system_error>

namespace fs = std::filesystem;

namespace qel {

bool WritePngRgb(const fs::path& file, const std::vector<uint32_t>& pixels, int width, int height,
                 std::string* error) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    if (error) *error = "no picture to write";
    return false;
  }
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (size_t i = 0, n = static_cast<size_t>(width) * static_cast<size_t>(height); i < n; ++i) {
    rgb[i * 3 + 0] = static_cast<uint8_t>(pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const bool ok = png_image_write_to_file(&image, file.c_str(), 0, rgb.data(), width * 3, nullptr) != 0;
  if (!ok && error) *error = image.message[0] ? image.message : "cannot write the file";
  png_image_free(&image);
  return ok;
}

fs::path PicturesDir() {
  if (const char* dir = std::getenv("XDG_PICTURES_DIR"); dir && *dir) return dir;
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : ".") / "Pictures";
}

fs::path NewScreenshotName(const fs::path& dir) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::error_code ec;
  fs::path name = dir / ("qelplayer-" + std::string(stamp) + ".png");
  for (int n = 2; fs::exists(name, ec); ++n) name = dir / ("qelplayer-" + std::string(stamp) + "-" + std::to_string(n) + ".png");
  return name;
}

}  // namespace qel
