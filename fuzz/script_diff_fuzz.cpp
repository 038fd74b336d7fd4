// Differential runs for long fuzzing: the input's bytes make the decisions of
// the random program generator, and the program must leave the same
// variables, error and game state with every fast path of the engine and
// with none. A disagreement prints the program and both outcomes, then
// aborts so that the input is kept.
#include <cstdio>
#include <cstdlib>

#include "differential/call_program.h"
#include "differential/differential.h"
#include "differential/path_program.h"
#include "differential/random_program.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::fuzz::EnterScratchDir();
  static qel::DifferentialRunner runner;
  qel::ByteChoices choices(data, size);
  // One input in four is a program about element paths, one in five about calls.
  const int kind = choices.Below(20);
  const std::string program = kind < 5   ? qel::RandomPathProgram(choices)
                              : kind < 9 ? qel::RandomCallProgram(choices)
                                         : qel::RandomProgram(choices);
  const std::string report = runner.Compare(program);
  if (!report.empty()) {
    std::fprintf(stderr, "%s\n%s", program.c_str(), report.c_str());
    std::abort();
  }
  return 0;
}
