#pragma once
// Small files a game names by a relative path (effect files): read from the
// game directory, else from the game's resource archive.
#include <optional>

#include "base/encoding.h"

namespace qel {

class Runtime;

// At most maxBytes from the start of the file; nullopt when there is none.
std::optional<ByteString> ReadGameResource(Runtime& runtime, const ByteString& name, size_t maxBytes);

}  // namespace qel
