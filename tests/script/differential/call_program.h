#pragma once
// Random programs about calls: functions that see only their own names
// (recursive, calling each other with arguments written back, deep enough
// to reach the recursion limits, reading names not yet set, with values of
// every kind), functions that see the caller's variables, and host calls
// whose arguments are constants, variables, array elements and calls that
// change the variables passed before them.
#include <string>

#include "differential/random_program.h"

namespace qel {

std::string RandomCallProgram(Choices& choices);

}  // namespace qel
