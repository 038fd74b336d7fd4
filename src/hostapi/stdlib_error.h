#pragma once
// The exception a library function raises for a run-time error (bad date,
// division by zero, logarithm of 0 ...). The interpreter appends its message
// to "Invalid parameters, function <name> : ".
#include <stdexcept>

namespace qel {

class StdlibError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qel
