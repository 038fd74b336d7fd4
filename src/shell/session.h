#pragma once
// The recording of one run of the player, and the bug reports made from it.
// A session folder is a report in the making: report.txt with the start
// lines, recording.txt streamed line by line as the run goes, and start/
// with the game's own files as they were at the start (start_files.h). A
// crash leaves it as it is, with a note of the step (crash_guard.h). A
// script error or the report key makes a report folder of its own: the same
// files up to that moment, the error log, the script errors of the session
// and a screenshot of the last frame.
//
// What a window does besides input and steps, and why it is or is not in
// the recording:
// - frames and paints are recorded: drawing stamps the image cache's last
//   use of each picture (which pictures go first when memory runs short) and
//   may load pictures, and a window draws a varying number of frames a step;
// - activation is an input event (the game pauses);
// - a resize only changes how window positions map to the game's pixels,
//   which happens before an event is recorded; the game never sees the
//   window's size;
// - a display-mode switch comes from Alt+Enter (a recorded key) or a script,
//   and runs again in the replay; the device keeps its textures through it
//   and never loses them otherwise;
// - loading frames are drawn inside a step by the game's own loading, so the
//   replay draws them at the same point.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/recorded_clock.h"
#include "shell/report_info.h"

namespace qel {

class Runtime;
struct ScriptErrorReport;
struct InputEvent;

// The log line of a script error, as UTF-8 on one line.
std::string ScriptErrorLine(const ScriptErrorReport& error);

class Session {
 public:
  struct Start {
    std::filesystem::path gameFile;  // empty: no game
    std::vector<std::string> args;   // the command line
    std::vector<std::string> playOptions;
    uint32_t seed = 0;
  };
  // Sessions kept besides the running ones, and reports kept.
  static constexpr size_t kKeepSessions = 5;
  static constexpr size_t kKeepReports = 20;

  // A new session folder (older sessions pruned first); nullptr, said on
  // stderr, when it cannot be made.
  static std::unique_ptr<Session> Begin(const Start& start);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  // The clock scripts are to read: `source`, its readings recorded.
  const Clock& RecordClock(const Clock& source);
  // The game is loaded and nothing of it has run: its files are copied, its
  // step counter followed (by crash notes too), its script errors watched.
  void Attach(Runtime& runtime, const std::vector<std::filesystem::path>& playerFiles,
              const std::filesystem::path& dataDir);
  // Before the runtime goes.
  void Detach();

  void Input(const InputEvent& stamped);
  // A frame drawn; its number, from 1.
  int64_t Frame(int64_t step);
  void Paint(int64_t step);
  void RequestReport();  // the report key

  bool ReportDue() const { return due_.has_value(); }
  // Writes the due report; the last frame's picture is width x height
  // 0xAARRGGBB pixels (none: no screenshot). Its folder, or empty when it
  // could not be written (said on stderr).
  std::filesystem::path WriteReport(const std::vector<uint32_t>& pixels, int width, int height);

 private:
  Session() = default;
  void Line(const std::string& text);
  void OnScriptError(const ScriptErrorReport& error);
  int64_t Step() const { return step_ ? *step_ : 0; }

  std::filesystem::path folder_;
  std::filesystem::path gameFile_;
  std::filesystem::path errorLog_;
  ReportInfo start_;
  int reportFd_ = -1;
  int recordingFd_ = -1;
  bool writeFailed_ = false;
  const int64_t* step_ = nullptr;
  int64_t endStep_ = 0;  // the step counter once the game is gone
  Runtime* runtime_ = nullptr;
  std::unique_ptr<RecordingClock> clock_;
  int64_t frames_ = 0;
  int64_t lastFrameStep_ = 0;
  std::optional<int64_t> firstErrorStep_;
  std::string firstError_;
  std::vector<std::string> errors_;  // the latest script errors, for the report
  std::optional<ReportInfo> due_;
  std::string crashHead_, crashTail_;
};

}  // namespace qel
