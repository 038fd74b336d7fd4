#pragma once
// Shared by the fuzz targets: inputs as views, and a scratch directory as the working
// directory so that nothing a loader or a script writes lands in the source tree.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace qel::fuzz {

inline std::string_view AsView(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline void EnterScratchDir() {
  static char dir[] = "/tmp/qel_fuzz_XXXXXX";
  static bool entered = false;
  if (entered) return;
  entered = true;
  if (!mkdtemp(dir) || chdir(dir) != 0) std::abort();  // running in the source tree could litter it
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  });
}

}  // namespace qel::fuzz
