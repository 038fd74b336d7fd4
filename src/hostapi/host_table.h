#pragma once
// The complete table of host functions every pool interpreter is given.
namespace qel {

class TScriptCalc;

// Registers every host function (standard library and runtime functions).
void RegisterHostFunctions(TScriptCalc& calc);

}  // namespace qel
