#pragma once
// A game as the player runs it, for the targets that load games: a runtime, a root, and
// the interpreter pool with the whole host table. Registering the table is costly, so a
// target makes one game on its first input and resets only the tree between inputs.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "elements/game_text.h"
#include "elements/qel_db.h"
#include "hostapi/host_table.h"
#include "script/interpreter_pool.h"

namespace qel::fuzz {

struct FuzzGame {
  // stepBudget bounds every script run (endless loops end as script errors); none without.
  explicit FuzzGame(std::optional<uint64_t> stepBudget = std::nullopt)
      : pool{runtime, root, [stepBudget](TScriptCalc& calc) {
               RegisterHostFunctions(calc, DefaultHostServices());
               RegisterGameFunctions(calc);
               if (stepBudget) calc.SetStepBudget(*stepBudget);
             }} {}

  Runtime runtime;
  TQelDB root{&runtime};
  InterpreterPool pool;
  ByteString file;  // the game each input starts from, when the target has one
};

inline std::string ReadTextFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The one game of a run, made by the first call: from a game text, packed (none when
// empty; a text that does not pack is the target's own fault and stops the run). It lives
// to the end of the process, so that nothing depends on the order of static destruction.
inline FuzzGame& TheGame(const std::string& text = {}, std::optional<uint64_t> stepBudget = std::nullopt) {
  static FuzzGame* game = [&] {
    auto* g = new FuzzGame(stepBudget);
    std::vector<TextProblem> problems;
    if (!text.empty() && !PackGame(text, g->file, problems)) std::abort();
    return g;
  }();
  return *game;
}

}  // namespace qel::fuzz
