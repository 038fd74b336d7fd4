#pragma once
// qelplayer --replay-report DIR [--frames N] [--screenshot F] [--game GAME]:
// plays a bug report headless. The game file named in the report is looked
// for as given by --game, beside the report folder, inside it, then where the
// report's run had it. Its folder is copied into a temporary folder, the
// report's start files are put in (the player's data folder too lives there),
// and the recording is played into it: inputs, frames and clock readings as
// the run had them. The replay stops where the report's screenshot was taken
// (or at its step, or after step N with --frames), and says whether the
// report's script error came back at the same step. Nothing outside the
// temporary folder changes, which is removed at the end.
#include "shell/options.h"
#include "shell/player_run.h"

namespace qel {

// 0 when the report's error (or, for a report without one, its step) came
// back; 3 when it did not; 2 when the report or the game cannot be read.
int ReplayReport(const PlayerOptions& options, const PlayerHooks& hooks);

}  // namespace qel
