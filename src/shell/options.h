#pragma once
// The player's command line:
//   qelplayer [options] [GAME.qelf] [/TESTMODE]
// Parsing never exits or prints; the caller decides what a bad line means.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qel {

struct ScreenshotAt {
  int64_t step = 0;
  std::string file;
};

struct PlayerOptions {
  std::string game;         // empty: discover it
  bool testMode = false;    // "/TESTMODE" (any case) after the game, or alone
  std::optional<bool> windowed;  // --windowed / --fullscreen, for this run only
  bool headless = false;
  std::optional<int64_t> frames;
  std::string screenshot;
  std::vector<ScreenshotAt> screenshotsAt;
  bool skipLogos = false;
  bool inspector = false;  // the inspector is shown from the start
  std::string replay, record;
  std::string replayReport;  // a bug report's folder, played headless
  std::string audioOut;
  std::optional<uint32_t> seed;
  std::optional<double> now;
  std::optional<int64_t> scriptBudget;
  bool help = false;
  bool version = false;

  // The replay's steps are counted, not timed.
  bool VirtualClock() const { return headless || !replay.empty() || !replayReport.empty(); }
};

struct ParsedOptions {
  PlayerOptions options;
  std::string error;  // empty when the line was understood
};

ParsedOptions ParsePlayerOptions(const std::vector<std::string>& args);
// The options of a run that change what the game does (a replay needs them).
std::vector<std::string> PlayOptionsOf(const PlayerOptions& options);
const char* PlayerHelpText();
const char* PlayerVersionText();

}  // namespace qel
