#pragma once
// A session recording: everything a run took from outside, one line each,
// in the order it happened, so that a headless run can take it again.
//   STEP move X Y | down X Y | up X Y | key CODE [alt] [ctrl] [shift] |
//   char CODE | activate 0|1     input delivered after step STEP
//   STEP frame                   a frame drawn after step STEP
//   STEP paint                   a paint of the inactive window
//   STEP clock READING VALUE     reading number READING (from 0) of the
//                                date-time clock and every later one, until
//                                the next clock line, gave VALUE
// Steps never go down. '#' starts a comment.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/input_script.h"

namespace qel {

enum class RecordKind { Input, Frame, Paint };

// An input, a frame or a paint, in recording order.
struct RecordEntry {
  RecordKind kind = RecordKind::Frame;
  InputEvent input;  // Input; input.step is the entry's step
  int64_t step = 0;

  bool operator==(const RecordEntry&) const = default;
};

struct ClockReading {
  int64_t step = 0;
  uint64_t reading = 0;
  double value = 0;

  bool operator==(const ClockReading&) const = default;
};

struct Recording {
  std::vector<RecordEntry> entries;
  std::vector<ClockReading> clock;    // readings strictly ascending
  std::vector<InputProblem> problems;  // lines that were skipped
};

Recording ParseRecording(std::string_view text);

// Lines without their ends.
std::string FormatFrame(int64_t step);
std::string FormatPaint(int64_t step);
std::string FormatClock(const ClockReading& reading);
std::string FormatEntry(const RecordEntry& entry);

}  // namespace qel
