// What stops a script that would never stop or would exhaust the native
// stack: the step budget of every run, and the bound on recursion for any
// mix of call depth, block nesting and expression depth. Each runs with the
// engine's shortcuts on and off, which must stop at the same point.
#include <gtest/gtest.h>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "script/interpreter_pool.h"
#include "script/var_dump.h"
#include "script_test_util.h"

namespace qel {
namespace {

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// The state printed after a run on a fresh interpreter, one way or the other.
std::string Outcome(const std::string& source, bool fast, uint64_t budget = TScriptCalc::kDefaultStepBudget) {
  TScriptCalc calc;
  calc.SetFastPaths(fast);
  calc.SetStepBudget(budget);
  RunText(calc, source);
  return DumpState(calc, nullptr);
}

class BothWays : public testing::TestWithParam<bool> {};

TEST_P(BothWays, RecursionInsideNestedBlocksStopsAsTooDeep) {
  for (int levels : {10, 30, 60, 100, 150, 200}) {
    // Blocks only; then IF branches, each a list of its own, around blocks.
    // The routine's own BEGIN, the expression and the argument are three of
    // the levels the compiler allows.
    std::string blocks = Repeat("BEGIN ", levels - 3) + "X := F(0)" + Repeat(" END", levels - 3);
    int ifs = (levels - 3) / 2;
    std::string branches = Repeat("IF N = 0 THEN BEGIN ", ifs) + "RESULT := F(0)" + Repeat(" END", ifs);
    for (const std::string& body : {blocks, branches}) {
      std::string out = Outcome("FUNCTION F(N); BEGIN " + body + "; RESULT := 1 END; Y := F(0);", GetParam());
      EXPECT_NE(out.find("error 7 Too deep recursion, procedure F\n"), std::string::npos) << levels << "\n" << out;
    }
  }
}

TEST_P(BothWays, RecursionAtTheBottomOfLongExpressionsStopsAsTooDeep) {
  for (int terms : {10, 200, 999}) {
    std::string out = Outcome("FUNCTION F(N); BEGIN RESULT := F(N)" + Repeat(" + N", terms) + " END; Y := F(1);",
                              GetParam());
    EXPECT_NE(out.find("error 7 Too deep recursion, procedure F\n"), std::string::npos) << terms;
  }
  for (int calls : {10, 100, 190}) {
    std::string out = Outcome("FUNCTION F(N); BEGIN RESULT := " + Repeat("F(", calls) + "N" + Repeat(")", calls) +
                                  " END; Y := F(1);",
                              GetParam());
    EXPECT_NE(out.find("error 7 Too deep recursion, procedure F\n"), std::string::npos) << calls;
  }
  // A chain longer than the evaluator may nest is refused where it stands.
  std::string out = Outcome("Y := 1" + Repeat(" + 1", 1000) + "; Z := 1;", GetParam());
  EXPECT_NE(out.find("error 1 Too deep nesting\n"), std::string::npos);
  EXPECT_EQ(out.find("Z ="), std::string::npos);
}

TEST_P(BothWays, PlainRecursionStillReachesAThousandCalls) {
  std::string out = Outcome(
      "FUNCTION F(N); BEGIN IF N > 0 THEN RESULT := F(N - 1) + 1 ELSE RESULT := 0 END; A := F(998); B := F(5000);",
      GetParam());
  EXPECT_EQ(out,
            "A = Integer 998\n"
            "error 7 Too deep recursion, procedure F\n"
            "statement F ( N - 1 ) + 1  \n");
}

TEST_P(BothWays, ALoopThatNeverEndsStopsAtTheBudget) {
  EXPECT_EQ(Outcome("A := 1; WHILE A DO A := 1", GetParam(), 1000),
            "A = Integer 1\n"
            "error 27 Script budget exceeded: 1000 steps\n"
            "statement A := 1  \n");
  // Loop rounds count even when the body is empty.
  EXPECT_NE(Outcome("A := 1; WHILE A DO ;", GetParam(), 1000).find("error 27 "), std::string::npos);
  EXPECT_NE(Outcome("L: GOTO L", GetParam(), 1000).find("error 27 "), std::string::npos);
  // Inside functions that run in frames, at the same step as the general way.
  EXPECT_EQ(Outcome("FUNCTION F(N); BEGIN WHILE 1 DO N := N + 1; RESULT := N END; X := F(0);", GetParam(), 500),
            "error 27 Script budget exceeded: 500 steps\n"
            "statement WHILE 1 DO N := N + 1  \n");
  // The budget is per run: a run that fits leaves the next one a whole budget.
  TScriptCalc calc;
  calc.SetFastPaths(GetParam());
  calc.SetStepBudget(100);
  EXPECT_TRUE(RunText(calc, "I := 0; FOR I := 1 TO 40 DO A := I;"));
  EXPECT_TRUE(RunText(calc, "I := 0; FOR I := 1 TO 40 DO A := I;"));
  EXPECT_FALSE(RunText(calc, "I := 0; FOR I := 1 TO 60 DO A := I;"));
  calc.SetStepBudget(0);  // no limit
  EXPECT_TRUE(RunText(calc, "I := 0; FOR I := 1 TO 100000 DO A := I;"));
}

// Loops of assignments run without their statement lists when they can; a
// call in one of the assignments uses steps of its own, so the budget may
// run out at any statement of the round, and both ways must name the same.
TEST(Budget, CallsInsideLoopsOfAssignmentsStopAtTheSameStatement) {
  const std::string loops[] = {
      "K := 0; WHILE K < 1000 DO BEGIN K := K + 1; X := F(K); K := K + 0 END;",
      "K := 0; FOR K := 1 TO 1000 DO BEGIN Y := K * 2; X := F(K); A[K] := Y END;",
      "K := 0; REPEAT K := K + 1; X := F(K); Y := X + 1 UNTIL K > 1000;",
  };
  for (const std::string& loop : loops) {
    const std::string source = "FUNCTION F(N); BEGIN RESULT := N; RESULT := RESULT + 1 END; " + loop;
    for (uint64_t budget = 20; budget <= 60; ++budget)
      EXPECT_EQ(Outcome(source, true, budget), Outcome(source, false, budget)) << loop << " budget " << budget;
  }
}

INSTANTIATE_TEST_SUITE_P(Engine, BothWays, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Shortcuts") : std::string("GeneralWay");
                         });

// Event scripts fired from inside scripts share the native stack: deep
// recursion on every level of the pool together must still stop in time.
TEST(Limits, RecursionAcrossNestedEventsStopsAsTooDeep) {
  TempDir dir;
  Runtime runtime;
  TQelDB db{&runtime};
  db.SaveErr = true;
  TQelElement* knob = db.CreateChild("TQelScreen")->CreateChild("TQelImage");
  knob->SetId("Knob");
  InterpreterPool pool(runtime, db, [&](TScriptCalc& calc) {
    calc.RegisterFunction("FIRE", [&](TScriptCalc&, TVarList&, TVar&) {
      knob->RunScript(knob->Event(evMouseDown).prepared, nullptr);
      return true;
    });
  });
  runtime.script.EventName = "ms_Down";
  knob->SetEventSource(evMouseDown,
                       "FUNCTION F(N); BEGIN IF N < 900 THEN RESULT := F(N + 1) ELSE BEGIN FIRE(); RESULT := 0 END "
                       "END; X := F(0);");
  knob->RunScript(knob->Event(evMouseDown).prepared, nullptr);
  EXPECT_EQ(runtime.script.ScriptDepth, 1);
  EXPECT_NE(ReadFile(dir.path() / "brannoc.err").find("Too deep recursion, procedure F"), std::string::npos);
}

// An event script over its budget stops with its own line in the error log,
// and the next event runs as usual.
TEST(Limits, AnEventOverItsBudgetIsLoggedAndTheGameGoesOn) {
  TempDir dir;
  Runtime runtime;
  TQelDB db{&runtime};
  db.SaveErr = true;
  TQelElement* door = db.CreateChild("TQelScreen")->CreateChild("TQelImage");
  door->SetId("Door");
  InterpreterPool pool(runtime, db, nullptr);
  pool.SetStepBudget(5000);
  runtime.script.EventName = "ms_Down";
  door->SetEventSource(evMouseDown, "A := 1; WHILE A DO A := 1");
  door->RunScript(door->Event(evMouseDown).prepared, nullptr);
  EXPECT_EQ(pool.At(1).ErrorCode(), 27);
  EXPECT_EQ(ReadFile(dir.path() / "brannoc.err"),
            "Script budget exceeded: 5000 steps (A := 1   in Door <TQelImage>) ms_Down\r\n");
  door->SetEventSource(evMouseDown, "X := 7;");
  door->RunScript(door->Event(evMouseDown).prepared, nullptr);
  EXPECT_EQ(pool.At(1).ErrorCode(), 0);
  EXPECT_EQ(door->X(), 7);
}

}  // namespace
}  // namespace qel
