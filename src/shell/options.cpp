#include "shell/options.h"

#include <cerrno>
#include <cstdlib>

#include "base/encoding.h"

namespace qel {
namespace {

std::optional<int64_t> ParseInt(const std::string& s) {
  if (s.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || end != s.c_str() + s.size()) return std::nullopt;
  return v;
}

std::optional<double> ParseReal(const std::string& s) {
  if (s.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (errno != 0 || end != s.c_str() + s.size()) return std::nullopt;
  return v;
}

bool IsTestModeSwitch(const std::string& a) { return UpperAscii(a) == "/TESTMODE"; }

}  // namespace

ParsedOptions ParsePlayerOptions(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  PlayerOptions& o = parsed.options;
  auto fail = [&](std::string why) {
    parsed.error = std::move(why);
    return parsed;
  };
  bool positionalSeen = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    auto value = [&]() -> const std::string& { return args[++i]; };
    if (a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--windowed" || a == "--fullscreen") {
      o.windowed = a == "--windowed";
    } else if (a == "--headless") {
      o.headless = true;
    } else if (a == "--skip-logos") {
      o.skipLogos = true;
    } else if (a == "--inspector") {
      o.inspector = true;
    } else if (a == "--frames" || a == "--seed" || a == "--script-budget") {
      if (!hasValue) return fail(a + " needs a number");
      const auto n = ParseInt(value());
      if (a == "--frames") {
        if (!n || *n < 0) return fail("--frames needs a number of steps, 0 or more");
        o.frames = *n;
      } else if (a == "--seed") {
        if (!n || *n < INT32_MIN || *n > UINT32_MAX) return fail("--seed needs a 32-bit number");
        o.seed = static_cast<uint32_t>(*n);
      } else {
        if (!n || *n < 0) return fail("--script-budget needs a number, 0 or more");
        o.scriptBudget = *n;
      }
    } else if (a == "--now") {
      if (!hasValue) return fail("--now needs a date-time (days since 30.12.1899)");
      o.now = ParseReal(value());
      if (!o.now) return fail("--now needs a date-time (days since 30.12.1899)");
    } else if (a == "--screenshot" || a == "--replay" || a == "--record" || a == "--audio-out" ||
               a == "--replay-report") {
      if (!hasValue || args[i + 1].empty()) return fail(a + " needs a file name");
      std::string& target = a == "--screenshot"      ? o.screenshot
                            : a == "--replay"        ? o.replay
                            : a == "--record"        ? o.record
                            : a == "--replay-report" ? o.replayReport
                                                     : o.audioOut;
      target = value();
    } else if (a == "--game") {
      if (!hasValue || args[i + 1].empty()) return fail("--game needs a file name");
      if (!o.game.empty()) return fail("the game is named twice");
      o.game = value();
    } else if (a == "--screenshot-at") {
      if (!hasValue) return fail("--screenshot-at needs STEP:FILE");
      const std::string& v = value();
      const size_t colon = v.find(':');
      const auto step = colon == std::string::npos ? std::nullopt : ParseInt(v.substr(0, colon));
      if (!step || *step < 0 || colon + 1 >= v.size()) return fail("--screenshot-at needs STEP:FILE");
      o.screenshotsAt.push_back({*step, v.substr(colon + 1)});
    } else if (IsTestModeSwitch(a)) {
      // Only where the first parameter would stand: alone, or right after the game.
      if (positionalSeen && i + 1 != args.size()) return fail("/TESTMODE comes last");
      o.testMode = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return fail("unknown option " + a);
    } else if (!positionalSeen && !o.testMode) {
      if (!o.game.empty()) return fail("the game is named twice");
      o.game = a;
      positionalSeen = true;
    } else {
      return fail("unexpected argument " + a);
    }
  }
  if (!o.replayReport.empty() && (!o.replay.empty() || !o.record.empty()))
    return fail("--replay-report takes its input from the report");
  return parsed;
}

std::vector<std::string> PlayOptionsOf(const PlayerOptions& o) {
  std::vector<std::string> play;
  if (o.windowed) play.push_back(*o.windowed ? "--windowed" : "--fullscreen");
  if (o.skipLogos) play.push_back("--skip-logos");
  if (o.scriptBudget) {
    play.push_back("--script-budget");
    play.push_back(std::to_string(*o.scriptBudget));
  }
  if (o.testMode) play.push_back("/TESTMODE");
  return play;
}

const char* PlayerHelpText() {
  return "usage: qelplayer [options] [GAME.qelf] [/TESTMODE]\n"
         "Plays a game. Without GAME.qelf the game is looked for beside the player, in the\n"
         "current directory, then in QelMaker.ini (section Main, key Path).\n"
         "/TESTMODE keeps the game in a window.\n"
         "\n"
         "  --windowed, --fullscreen   display mode for this run (the settings file is not changed)\n"
         "  --headless                 no window, audio only to --audio-out, one step per frame\n"
         "  --frames N                 run N process steps, render once more, then close\n"
         "  --screenshot FILE          write that last picture as a PNG (1024x768 RGB)\n"
         "  --screenshot-at STEP:FILE  write the picture rendered right after step STEP (repeatable)\n"
         "  --skip-logos               start as if the start-up logos had just ended\n"
         "  --inspector                show the inspector from the start (Ctrl+Alt+I toggles it)\n"
         "  --replay FILE              take input from FILE (one event a line, steps counted)\n"
         "  --record FILE              write every input event delivered to FILE\n"
         "  --audio-out FILE.wav       write the mixed audio of the run\n"
         "  --seed N                   seed of the scripts' Random\n"
         "  --now DATETIME             what Now, Date and Time read (days since 30.12.1899)\n"
         "  --script-budget N          statement budget of one script run\n"
         "  --replay-report DIR        play a bug report headless in a temporary copy of the game's\n"
         "                             folder up to the step it was made at, and say whether its\n"
         "                             script error came back (with --frames, --screenshot, --game)\n"
         "  --game GAME.qelf           the game file (for --replay-report: when it is not beside DIR)\n"
         "  --version                  print the version\n"
         "  --help                     print this text\n"
         "\n"
         "Input files: STEP move X Y | STEP down X Y | STEP up X Y |\n"
         "             STEP key CODE [alt] [ctrl] [shift] | STEP char CODE | STEP activate 0|1\n"
         "Events stamped STEP are delivered after process step STEP, before the next picture.\n"
         "Ctrl+Alt+S saves a screenshot into the pictures folder.\n"
         "Ctrl+Alt+I shows or hides the inspector for game authors: the element under the mouse,\n"
         "screens, steps, speed, textures, particles and the last script errors. It is drawn over\n"
         "the picture only: screenshots, replays and the game's state never see it.\n"
         "Every run is recorded in $XDG_STATE_HOME/qelplayer/sessions (~/.local/state); a script\n"
         "error, a crash or Ctrl+Alt+B leaves a bug report in $XDG_STATE_HOME/qelplayer/reports.\n";
}

const char* PlayerVersionText() { return "qelplayer " QEL_VERSION "\n"; }

}  // namespace qel
