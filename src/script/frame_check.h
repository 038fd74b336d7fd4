#pragma once
// Finds the functions that may run in a frame of their own: their bodies
// cannot tell whether their names live in the variable list, because they
// read only names they write (parameters, RESULT, their own variables), call
// only such functions and reach no host function, element or label.
#include "script/program.h"

namespace qel {

// Sets framed and the frame slots of every such routine of the program.
void MarkFramedRoutines(Program& program);

// Whether the expression calls a routine that writes an argument back: such
// a call changes a name while the expression around it is evaluated.
bool WritesBack(const ExprNode& n);

}  // namespace qel
