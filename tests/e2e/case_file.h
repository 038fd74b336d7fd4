#pragma once
// An end-to-end case as data: one or more runs of the player on a copy of the
// demo, each with the input it replays and what must hold afterwards.
//
//   # comment
//   run OPTIONS...                 a run of qelplayer --headless OPTIONS... (--seed 1
//                                  unless named; the runs of one case share the game folder)
//   STEP EVENT ARGS...             an input line, as the player's replay files have it
//   STEP click X Y                 move, press and release at X Y after STEP
//   replay FILE                    replay FILE of the game folder, else of the demo's
//                                  source folder (instead of the lines)
//   write FILE TEXT...             before the run, FILE of the game folder holds the
//                                  lines TEXT of the run's write lines for it
//   env NAME=VALUE                 the run's player has that environment variable
//   status N                       the exit status (0 unless named)
//   pixel STEP X Y #RRGGBB [TOL]   the picture after STEP has that colour there
//   not-pixel STEP X Y #RRGGBB [TOL]
//   some STEP X Y W H #RRGGBB [TOL]   some pixel of the rectangle has that colour
//   changed SHOT SHOT X Y W H      some pixel of the rectangle differs between the shots
//   unchanged SHOT SHOT X Y W H    every pixel of the rectangle is the same
//   ini FILE SECTION KEY VALUE     a key of an ini file of the game folder
//   file FILE exists|missing|empty
//   silent FROM TO                 every captured sample of steps FROM..TO-1 is 0
//   sound FROM TO                  some captured sample of steps FROM..TO-1 is not
//   peak FROM TO MIN MAX           the loudest sample of those steps is MIN..MAX (of 32767)
//   like RUN FROM TO MIN MAX       the correlation of those steps' samples with an earlier
//                                  run's is MIN..MAX (1: the same sound, 0: unrelated)
//   same-sound RUN                 the captured audio is an earlier run's, sample for sample
//   no-errors                      no error log (or an empty one), nothing on stderr
//   stderr TEXT...                 the player's stderr holds TEXT
//
// STEP is a process step (the picture presented after it) or "end" (the last
// picture); SHOT is STEP of this run or RUN:STEP of an earlier one (runs count
// from 1). Colours compare channel by channel within TOL (4 unless named).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::e2e {

struct ShotRef {
  int run = 0;       // index into DemoCase::runs
  std::string step;  // a step number or "end"
  bool operator==(const ShotRef&) const = default;
};

enum class CheckKind { Pixel, NotPixel, Some, Changed, Unchanged, Ini, File, Silent, Sound, Peak, Like, SameSound, NoErrors, Stderr };

struct Check {
  CheckKind kind = CheckKind::Pixel;
  int line = 0;  // in the case file, for messages
  ShotRef a, b;
  int x = 0, y = 0, w = 1, h = 1;
  uint32_t colour = 0;  // 0xRRGGBB
  int tolerance = 4;
  int from = 0, to = 0;             // Silent, Sound, Peak, Like: steps
  int min = 0, max = 0;             // Peak: sample magnitudes
  int otherRun = 0;                 // Like, SameSound: index into DemoCase::runs
  double low = 0, high = 0;         // Like: correlation
  std::vector<std::string> words;  // Ini: file, section, key, value; File: file, state; Stderr: text
};

struct RunSpec {
  int line = 0;
  std::string options;
  std::string input;       // replay text written for the run
  std::string replayFile;  // or a replay file the game folder has
  std::vector<std::pair<std::string, std::string>> writes;  // file, line: written before the run
  std::string env;         // NAME=VALUE ... for the player
  int status = 0;
  bool audio = false;               // some check needs the captured audio
  std::vector<std::string> shots;  // steps to take pictures at ("end" too)
  std::vector<Check> checks;
};

struct DemoCase {
  std::vector<RunSpec> runs;
  std::vector<std::string> problems;  // "LINE: what is wrong"; a case with problems fails
};

DemoCase ParseCase(std::string_view text);

}  // namespace qel::e2e
