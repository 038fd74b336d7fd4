// Calls of functions kept in frames and of host functions take shortcuts:
// register operations, arguments read in place, write-backs skipped when
// nothing changed. Random programs about calls must come out as they do
// without any shortcut.
#include <gtest/gtest.h>

#include <cstdlib>

#include "differential/call_program.h"
#include "differential/differential.h"

namespace qel {
namespace {

uint32_t FromEnvironment(const char* name, uint32_t fallback) {
  const char* v = std::getenv(name);
  return v && *v ? static_cast<uint32_t>(std::strtoul(v, nullptr, 10)) : fallback;
}

std::string Outcome(const std::string& program) {
  DifferentialRunner runner;
  EXPECT_EQ(runner.Compare(program), "") << program;
  return runner.Run(program, true).state;
}

bool Has(const std::string& state, const std::string& line) { return state.find(line + "\n") != std::string::npos; }

TEST(CallPrograms, RandomCallProgramsGiveTheSameOutcomeBothWays) {
  const uint32_t first = FromEnvironment("QEL_DIFF_FIRST", 1);
#if defined(__SANITIZE_ADDRESS__)
  const uint32_t defaultCount = 150;
#else
  const uint32_t defaultCount = 1000;
#endif
  const uint32_t count = FromEnvironment("QEL_DIFF_SEEDS", defaultCount);
  DifferentialRunner runner;
  int failures = 0, clean = 0, deep = 0;
  for (uint32_t seed = first; seed < first + count && failures < 3; ++seed) {
    SeededChoices choices(seed);
    std::string program = RandomCallProgram(choices);
    std::string report = runner.Compare(program);
    if (!report.empty()) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << "\n" << program << report;
    }
    const std::string state = runner.Run(program, true).state;
    clean += state.find("error ") == std::string::npos;
    deep += state.find("Too deep recursion") != std::string::npos;
  }
  // Enough programs run to the end, and some reach the recursion limit.
  EXPECT_GT(clean, static_cast<int>(count / 15));
  EXPECT_GT(deep, 0);
}

// A write-back that changes only the sign of a zero still changes the value.
TEST(CallPrograms, WriteBackKeepsTheSignOfZero) {
  std::string s = Outcome("Z := -0.0; INC(Z, 0); W := -0.0; INC(W, -0.0);");
  EXPECT_PRED2(Has, s, "Z = Float 0");
  EXPECT_PRED2(Has, s, "W = Float -0");
}

// Arguments are read in order: a later argument that changes a variable
// passed before it does not change what the call got, and the value written
// back is the one the call had.
TEST(CallPrograms, LaterArgumentsDoNotChangeEarlierOnes) {
  std::string s = Outcome(
      "FUNCTION G(Q); BEGIN Q := Q + 'z'; RESULT := 2 END;"
      "FUNCTION H(Q); BEGIN Q := Q + 1; RESULT := 9 END;"
      "S := 'abc'; T := COPY(S, G(S), 2); U := S;"
      "A := 5; B := MAX(A, H(A));");
  EXPECT_PRED2(Has, s, "T = String \"bc\"");
  EXPECT_PRED2(Has, s, "U = String \"abc\"");
  EXPECT_PRED2(Has, s, "A = Integer 5");
  EXPECT_PRED2(Has, s, "B = Integer 9");
}

// A name read before a call that writes it back keeps the value it had.
TEST(CallPrograms, ReadBeforeWriteBackKeepsItsValue) {
  std::string s = Outcome(
      "FUNCTION F0(P0); BEGIN P0 := P0 + 1; RESULT := 1 END;"
      "FUNCTION F1(P0); BEGIN V1 := 5; RESULT := V1 + F0(V1) + V1 * 10 END;"
      "A := F1(0);");
  EXPECT_PRED2(Has, s, "A = Integer 66");
}

// A call inside another call's arguments runs within that call: what it
// writes back is undone when the outer call returns.
TEST(CallPrograms, WriteBackInsideArgumentsIsUndoneAfterTheCall) {
  std::string s = Outcome(
      "FUNCTION W(P0); BEGIN P0 := P0 + 1; RESULT := P0 * 2 END;"
      "FUNCTION F(P0); BEGIN V1 := P0; V2 := W(W(V1)); RESULT := V1 * 100 + V2 END;"
      "A := F(1);");
  EXPECT_PRED2(Has, s, "A = Integer 110");
}

// Calls inside the arguments of a call are one level deeper: the recursion
// limit is reached at the same depth with and without frames.
TEST(CallPrograms, RecursionLimitCountsCallsInsideArguments) {
  const std::string functions =
      "FUNCTION ID(V); BEGIN RESULT := V END;"
      "FUNCTION D(N); BEGIN IF N <= 0 THEN RESULT := 0 ELSE RESULT := ID(D(N - 1) + 1) END;";
  int reached = 0;
  for (int n = 480; n <= 520; n += 4) {
    std::string s = Outcome(functions + "X := D(" + std::to_string(n) + ");");
    reached += s.find("Too deep recursion") != std::string::npos;
  }
  EXPECT_GT(reached, 0);
  EXPECT_LT(reached, 11);
}

}  // namespace
}  // namespace qel
