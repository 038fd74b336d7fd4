#pragma once
// The date-time clock of a recorded session and of its replay. A session
// passes on what its clock says and notes every reading that differs from the
// one before; a replay gives the readings back by their number.
#include <cstdint>
#include <functional>
#include <vector>

#include "hostapi/clock.h"
#include "shell/recording.h"

namespace qel {

class RecordingClock : public Clock {
 public:
  // note(reading, value) is called for every changed reading.
  using Note = std::function<void(uint64_t reading, double value)>;
  RecordingClock(const Clock& source, Note note) : source_(source), note_(std::move(note)) {}
  double Now() const override;

 private:
  const Clock& source_;
  Note note_;
  mutable uint64_t readings_ = 0;
  mutable bool any_ = false;
  mutable double last_ = 0;
};

class ReplayClock : public Clock {
 public:
  // Readings in ascending order of their numbers. A reading before the
  // first recorded one (a replay that strays) gives the first value.
  explicit ReplayClock(std::vector<ClockReading> readings) : readings_(std::move(readings)) {}
  double Now() const override;

 private:
  std::vector<ClockReading> readings_;
  mutable uint64_t done_ = 0;
  mutable size_t next_ = 0;
};

}  // namespace qel
