#include "hostapi/random.h"

#include <chrono>

namespace qel {

uint32_t ClockSeed() {
  const auto ticks = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count());
}

}  // namespace qel
