#include "hostapi/clock.h"

#include <chrono>
#include <ctime>

#include "hostapi/date_time.h"

namespace qel {

double SystemClock::Now() const {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  const int64_t day = DayNumber({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
  const int32_t msec = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + static_cast<int32_t>(ms);
  return ComposeDateTime(day, msec);
}

}  // namespace qel
