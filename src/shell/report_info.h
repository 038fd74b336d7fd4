#pragma once
// report.txt: what a bug report says about its run, one "name: value" a line
// after a first line naming the player. A running session's own report.txt
// has the start lines only; a crash appends its lines to it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

struct ReportInfo {
  std::string player;  // first line: "qelplayer VERSION"
  std::string game;    // file name
  std::string gamePath;
  std::optional<int64_t> gameSize;
  std::string gameSha256;
  std::string options;                  // the command line, for people
  std::vector<std::string> playOptions;  // what of it changes the game
  std::optional<uint32_t> seed;
  std::string started;
  std::string locale;  // LC_ALL, LC_TIME or LANG as the run had it
  // Why the report was made: "script error", "key" or "crash".
  std::string reason;
  std::optional<int64_t> step;  // of the error, the key press or the crash
  std::optional<int> crashSignal;
  std::optional<int64_t> errorStep;  // the session's first script error
  std::string error;
  std::optional<int64_t> pictureFrame;  // screenshot.png: frame N of the recording
  std::optional<int64_t> pictureStep;
};

// Unknown names and values that do not read are passed over; a later line
// wins over an earlier one of the same name.
ReportInfo ParseReportInfo(std::string_view text);
// The start lines (player to locale), each ended by '\n'.
std::string FormatStartLines(const ReportInfo& info);
// The lines a report adds (reason to picture).
std::string FormatReportLines(const ReportInfo& info);

}  // namespace qel
