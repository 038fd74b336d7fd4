// qelplayer: plays a game. See qelplayer --help.
#include <string>
#include <vector>

#include "shell/player_run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return qel::RunPlayer(args, argc > 0 ? argv[0] : nullptr);
}
