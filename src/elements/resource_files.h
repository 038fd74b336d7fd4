#pragma once
// Small files a game names by a relative path (effect files): read from the
// game directory, else from the game's resource archive.
#include <optional>

#include "base/encoding.h"

namespace qel {

class Runtime;

// Bytes larger than any such file is allowed to be are not read.
constexpr size_t kMaxResourceFileSize = size_t{1} << 20;

std::optional<ByteString> ReadGameResource(Runtime& runtime, const ByteString& name);

}  // namespace qel
