// Random programs run with every fast path and with none must leave the same
// variables, error and game state. CI runs a fixed range of seeds; set
// QEL_DIFF_SEEDS (and QEL_DIFF_FIRST) for longer runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "differential/differential.h"
#include "differential/random_program.h"

namespace qel {
namespace {

uint32_t FromEnvironment(const char* name, uint32_t fallback) {
  const char* v = std::getenv(name);
  return v && *v ? static_cast<uint32_t>(std::strtoul(v, nullptr, 10)) : fallback;
}

TEST(Differential, RandomProgramsGiveTheSameOutcomeBothWays) {
  const uint32_t first = FromEnvironment("QEL_DIFF_FIRST", 1);
#if defined(__SANITIZE_ADDRESS__)
  const uint32_t defaultCount = 200;  // the sanitizers make every run many times slower
#else
  const uint32_t defaultCount = 1500;
#endif
  const uint32_t count = FromEnvironment("QEL_DIFF_SEEDS", defaultCount);
  DifferentialRunner runner;
  int failures = 0;
  for (uint32_t seed = first; seed < first + count && failures < 3; ++seed) {
    SeededChoices choices(seed);
    std::string program = RandomProgram(choices);
    std::string report = runner.Compare(program);
    if (!report.empty()) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << "\n" << program << report;
    }
  }
}

// The generator must reach every outcome: clean runs, errors of many kinds,
// runs stopped by the budget.
TEST(Differential, ProgramsEndInEveryWay) {
  DifferentialRunner runner;
  int clean = 0, budget = 0, tooLong = 0;
  std::set<std::string> codes;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SeededChoices choices(seed);
    std::string state = runner.Run(RandomProgram(choices), true).state;
    tooLong += state.find("String too long: ") != std::string::npos;
    size_t at = state.find("\nerror ");
    if (state.rfind("error ", 0) == 0) at = 0;
    else if (at != std::string::npos) ++at;
    if (at == std::string::npos) {
      ++clean;
      continue;
    }
    std::string code = state.substr(at + 6, state.find(' ', at + 6) - at - 6);
    codes.insert(code);
    budget += code == "27";
  }
  EXPECT_GT(clean, 30);
  EXPECT_GT(budget, 0);
  EXPECT_GT(tooLong, 0);
  EXPECT_GE(codes.size(), 8u);
}

}  // namespace
}  // namespace qel
