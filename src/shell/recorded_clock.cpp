#include "shell/recorded_clock.h"

#include <cstring>

namespace qel {

double RecordingClock::Now() const {
  const double now = source_.Now();
  // Compared as bits: a clock that says NaN twice has not changed.
  if (!any_ || std::memcmp(&now, &last_, sizeof now) != 0) {
    if (note_) note_(readings_, now);
    any_ = true;
    last_ = now;
  }
  ++readings_;
  return now;
}

double ReplayClock::Now() const {
  const uint64_t reading = done_++;
  while (next_ < readings_.size() && readings_[next_].reading <= reading) ++next_;
  if (readings_.empty()) return 0;
  return readings_[next_ == 0 ? 0 : next_ - 1].value;
}

}  // namespace qel
