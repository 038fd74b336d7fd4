#pragma once
// Input as text, for replays and recordings: one event a line,
//   STEP move X Y | STEP down X Y | STEP up X Y
//   STEP key CODE [alt] [ctrl] [shift] | STEP char CODE | STEP activate 0|1
// '#' starts a comment. STEP is the process step after which the event is
// delivered (before the picture that follows that step).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

enum class InputKind { Move, Down, Up, Key, Char, Activate };

struct InputEvent {
  int64_t step = 0;
  InputKind kind = InputKind::Move;
  int32_t x = 0, y = 0;  // Move, Down, Up
  int32_t code = 0;      // Key: virtual-key code; Char: UTF-16 code unit; Activate: 0 or 1
  bool alt = false, ctrl = false, shift = false;  // Key

  bool operator==(const InputEvent&) const = default;
};

struct InputProblem {
  int line = 0;
  std::string message;
};

struct InputScript {
  std::vector<InputEvent> events;  // in step order; events of one step keep their file order
  std::vector<InputProblem> problems;  // lines that were skipped
};

// Reads a whole input text; bad lines are skipped and listed.
InputScript ParseInputScript(std::string_view text);
// One line without its end; false (and why) when it holds no valid event.
// An empty or comment-only line gives false with an empty message.
bool ParseInputLine(std::string_view line, InputEvent& event, std::string& why);
// The line for an event, without a line end.
std::string FormatInputEvent(const InputEvent& event);

}  // namespace qel
