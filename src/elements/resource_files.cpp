#include "elements/resource_files.h"

#include "elements/runtime.h"

namespace qel {

std::optional<ByteString> ReadGameResource(Runtime&, const ByteString&) { return std::nullopt; }

}  // namespace qel
