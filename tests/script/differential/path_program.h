#pragma once
// Random programs about element paths: reads and writes through dotted
// names inside loops, between statements that rename elements, make,
// destroy and move them, give them variables, assign script variables
// named like path segments, and switch the running element. Run on the
// differential runner's small game.
#include <string>

#include "differential/random_program.h"

namespace qel {

std::string RandomPathProgram(Choices& choices);

}  // namespace qel
