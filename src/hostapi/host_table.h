#pragma once
// The complete table of host functions every pool interpreter is given.
// The table is a list of rows in a fixed order; a row whose function is not
// built yet is simply absent, so a script calling it gets "Unknown function".
#include <vector>

#include "hostapi/host_services.h"
#include "hostapi/puzzle_outlets.h"
#include "script/script_func.h"

namespace qel {

class TScriptCalc;

struct HostRow {
  const char* name;
  TScriptFunc func;
};

// The general rows (standard library and runtime functions), in table order.
std::vector<HostRow> HostRows(const HostServices& services);
// The game-specific puzzle routines, in table order, reaching sounds,
// stars, pictures and the canvas through the given outlets.
std::vector<HostRow> GameRows(PuzzleOutlets& outlets);

// Registers every general host function, reading the clock and locale of
// the given services; they must outlive the interpreter.
void RegisterHostFunctions(TScriptCalc& calc, const HostServices& services);
// The same with the system clock and the process locale.
void RegisterHostFunctions(TScriptCalc& calc);
// Registers the game-specific puzzle routines; always applied after
// RegisterHostFunctions. The outlets must outlive the interpreter.
void RegisterGameFunctions(TScriptCalc& calc, PuzzleOutlets& outlets);
// The same with the running game's own outlets.
void RegisterGameFunctions(TScriptCalc& calc);

}  // namespace qel
