#include "script/string_limit.h"

#include <atomic>
#include <string>

namespace qel {

namespace {
std::atomic<size_t> limit{kMaxScriptString};
}  // namespace

size_t ScriptStringLimit() { return limit.load(std::memory_order_relaxed); }

void SetScriptStringLimit(size_t n) { limit.store(n ? n : kMaxScriptString, std::memory_order_relaxed); }

ByteString StringTooLong(size_t a, size_t b) {
  // Both parts fit in memory, so their sum fits in 64 bits.
  const unsigned long long total = static_cast<unsigned long long>(a) + b;
  return "String too long: " + std::to_string(total) + " characters, at most " + std::to_string(ScriptStringLimit());
}

}  // namespace qel
