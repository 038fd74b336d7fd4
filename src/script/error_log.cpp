// The error log: one line per entry, appended to "brannoc.err" in the game
// directory (the current directory when the game names none). A log that
// cannot be written is skipped silently: it must never stop a game.
#include <cstdio>

#include "base/game_paths.h"
#include "elements/runtime.h"
#include "script/scriptcalc.h"

namespace qel {

void TScriptCalc::LogLine(const ByteString& line) const {
  if (!env_ || !env_->SaveErr()) return;
  std::string path = "brannoc.err";
  if (Runtime* rt = runtime(); rt && !rt->errorLog.empty()) {
    path = rt->errorLog.string();
  } else if (rt && rt->services.dir) {
    auto inGame = rt->services.dir->ForWrite(path);
    if (!inGame) return;
    path = inGame->string();
  }
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fwrite("\r\n", 1, 2, f);
  std::fclose(f);
}

}  // namespace qel
