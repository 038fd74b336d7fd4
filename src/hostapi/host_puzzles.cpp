#include "hostapi/host_puzzles.h"

#include "elements/runtime.h"
#include "script/scriptcalc.h"

namespace qel {

TQelElement* PuzzleArgument(TScriptCalc& calc, const TVarList& params) {
  if (params.Count() < 1 || !params[0].Value.IsReference()) return nullptr;
  ScriptEnv* env = calc.env();
  Runtime* runtime = env ? env->runtime() : nullptr;
  return runtime ? runtime->Resolve(params[0].Value.handle()) : nullptr;
}

}  // namespace qel
