#include "elements/resource_files.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "base/game_paths.h"
#include "elements/runtime.h"
#include "render/res_db.h"

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
  if (TResDb* archive = runtime.services.archive) {
    std::vector<uint8_t> record;
    if (archive->ReadRecord(name, record)) {
      const size_t n = std::min(record.size(), maxBytes);
      return ByteString(reinterpret_cast<const char*>(record.data()), n);
    }
  }
  return std::nullopt;
}

}  // namespace qel
