#pragma once
// Runs one script both ways, with every fast path of the engine and with
// none, each time on a fresh small game (a room, a door that runs the
// script, a knob on the door), and tells whether anything a script can
// observe differs: the variables left, the error code, message and
// statement, and the state of every element.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qel {

struct ScriptOutcome {
  std::string state;  // variables and error, as qelscript prints them
  std::string tree;   // the saved state of the game
  bool operator==(const ScriptOutcome&) const = default;
};

class DifferentialRunner {
 public:
  // Steps each run may take: random programs may loop for ever.
  explicit DifferentialRunner(uint64_t budget = 20000);
  ~DifferentialRunner();
  DifferentialRunner(const DifferentialRunner&) = delete;
  DifferentialRunner& operator=(const DifferentialRunner&) = delete;

  // Strings may grow to this many characters during a run.
  static constexpr size_t kStringLimit = 1024;
  ScriptOutcome Run(const std::string& source, bool fastPaths);
  // "" when both ways agree, else both outcomes for the report.
  std::string Compare(const std::string& source);

 private:
  struct Shared;
  std::unique_ptr<Shared> shared_;
  uint64_t budget_;
};

}  // namespace qel
