// The error log: one line per entry, appended to "brannoc.err" in the
// current directory (the game directory). A log that cannot be written is
// skipped silently: it must never stop a game.
#include <cstdio>

#include "script/scriptcalc.h"

namespace qel {

void TScriptCalc::LogLine(const ByteString& line) const {
  if (!env_ || !env_->SaveErr()) return;
  std::FILE* f = std::fopen("brannoc.err", "ab");
  if (!f) return;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fwrite("\r\n", 1, 2, f);
  std::fclose(f);
}

}  // namespace qel
