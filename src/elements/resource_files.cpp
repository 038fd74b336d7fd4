#include "elements/resource_files.h"

#include <fstream>

#include "base/game_paths.h"
#include "elements/runtime.h"

namespace qel {

std::optional<ByteString> ReadGameResource(Runtime& runtime, const ByteString& name, size_t maxBytes) {
  if (GameDir* dir = runtime.services.dir) {
    if (auto path = dir->Find(name)) {
      std::ifstream in(*path, std::ios::binary);
      if (in) {
        ByteString bytes(maxBytes, '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(maxBytes));
        bytes.resize(static_cast<size_t>(in.gcount()));
        return bytes;
      }
    }
  }
  return std::nullopt;
}

}  // namespace qel
