#pragma once
// Host rows of the puzzle routines: each takes the element of its first
// argument and does nothing for a missing argument, a value that is not an
// element reference or an element of another class; it always succeeds.
#include "script/script_func.h"

namespace qel {

class TQelElement;

// The element the first argument refers to, or nil.
TQelElement* PuzzleArgument(TScriptCalc& calc, const TVarList& params);

template <class Kind, class Routine>
TScriptFunc OnElementOf(Routine routine) {
  return [routine](TScriptCalc& calc, TVarList& params, TVar&) {
    if (auto* e = dynamic_cast<Kind*>(PuzzleArgument(calc, params))) routine(*e);
    return true;
  };
}

}  // namespace qel
