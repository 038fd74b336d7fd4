#pragma once
// The qelplayer program: options in, exit status out.
//   0  the game ended (closed, ExitGame, or --frames ran out)
//   1  the render device could not be initialised
//   2  bad command line, or a named file that cannot be read or written
//   3  --replay-report: the report's script error or crash did not come back
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qel {

class TScriptCalc;

// What a test build of the player adds to it.
struct PlayerHooks {
  std::function<void(TScriptCalc&)> hostFunctions;
  // Each round of a window's real-time loop, before the window's events are read.
  std::function<void(int64_t step)> beforeInput;
};

int RunPlayer(const std::vector<std::string>& args, const char* argv0, const PlayerHooks& hooks = {});

// A window position in back-buffer pixels, for a back buffer of bw x bh
// shown scaled to fit a ww x wh window with bars (as the device presents it).
void WindowToBackBuffer(int x, int y, int ww, int wh, int bw, int bh, int& outX, int& outY);

}  // namespace qel
