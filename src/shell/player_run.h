#pragma once
// The qelplayer program: options in, exit status out.
//   0  the game ended (closed, ExitGame, or --frames ran out)
//   1  the render device could not be initialised
//   2  bad command line, or a named file that cannot be read or written
#include <string>
#include <vector>

namespace qel {

int RunPlayer(const std::vector<std::string>& args, const char* argv0);

// A window position in back-buffer pixels, for a back buffer of bw x bh
// shown scaled to fit a ww x wh window with bars (as the device presents it).
void WindowToBackBuffer(int x, int y, int ww, int wh, int bw, int bh, int& outX, int& outY);

}  // namespace qel
