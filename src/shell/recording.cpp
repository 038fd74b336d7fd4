#include "shell/recording.h"

#include <charconv>

namespace qel {
namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

template <typename T>
bool Number(std::string_view w, T& out) {
  const char* end = w.data() + w.size();
  auto [p, ec] = std::from_chars(w.data(), end, out);
  return ec == std::errc() && p == end;
}

// A line of the recording's own kinds; false with an empty reason when the
// line is something else (an input event, or nothing).
bool ParseOwnLine(const std::vector<std::string_view>& w, RecordEntry& entry, ClockReading& clock, bool& isClock,
                  std::string& why) {
  isClock = false;
  if (w.size() < 2 || (w[1] != "frame" && w[1] != "paint" && w[1] != "clock")) return false;
  int64_t step = 0;
  if (!Number(w[0], step) || step < 0) return why = "the step is not a number, 0 or more", false;
  if (w[1] == "clock") {
    if (w.size() != 4 || !Number(w[2], clock.reading) || !Number(w[3], clock.value))
      return why = "needs a reading number and a value", false;
    clock.step = step;
    isClock = true;
    return true;
  }
  if (w.size() != 2) return why = "takes no arguments", false;
  entry = RecordEntry{};
  entry.kind = w[1] == "frame" ? RecordKind::Frame : RecordKind::Paint;
  entry.step = step;
  return true;
}

}  // namespace

Recording ParseRecording(std::string_view text) {
  Recording rec;
  int lineNo = 0;
  int64_t lastStep = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    ++lineNo;
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    line = line.substr(0, line.find('#'));
    RecordEntry entry;
    ClockReading clock;
    bool isClock = false;
    std::string why;
    const auto words = Words(line);
    if (!ParseOwnLine(words, entry, clock, isClock, why)) {
      if (!why.empty() || !ParseInputLine(line, entry.input, why)) {
        if (!why.empty()) rec.problems.push_back({lineNo, why});
        continue;
      }
      entry.kind = RecordKind::Input;
      entry.step = entry.input.step;
    }
    const int64_t step = isClock ? clock.step : entry.step;
    if (step < lastStep) {
      rec.problems.push_back({lineNo, "the step goes back"});
      continue;
    }
    if (isClock && !rec.clock.empty() && clock.reading <= rec.clock.back().reading) {
      rec.problems.push_back({lineNo, "the reading number goes back"});
      continue;
    }
    lastStep = step;
    if (isClock)
      rec.clock.push_back(clock);
    else
      rec.entries.push_back(entry);
  }
  return rec;
}

std::string FormatFrame(int64_t step) { return std::to_string(step) + " frame"; }
std::string FormatPaint(int64_t step) { return std::to_string(step) + " paint"; }

std::string FormatClock(const ClockReading& r) {
  // The shortest text that reads back as the same double.
  char value[32];
  const auto [end, ec] = std::to_chars(value, value + sizeof value, r.value);
  return std::to_string(r.step) + " clock " + std::to_string(r.reading) + " " +
         std::string(value, ec == std::errc() ? end : value);
}

std::string FormatEntry(const RecordEntry& e) {
  switch (e.kind) {
    case RecordKind::Input: return FormatInputEvent(e.input);
    case RecordKind::Frame: return FormatFrame(e.step);
    case RecordKind::Paint: return FormatPaint(e.step);
  }
  return {};
}

}  // namespace qel
