// Functions that see only their parameters and RESULT run in frames instead
// of the variable list. Every program here runs both ways (a step hook
// sends every call the general way) and must leave the same variables, the
// same error and the same statement.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "script/interpreter_pool.h"
#include "script/program.h"
#include "script_test_util.h"

namespace qel {
namespace {

struct Outcome {
  bool ok = false;
  int code = 0;
  std::string message, statement;
  std::vector<std::pair<std::string, Variant>> vars;
};

Outcome RunWays(const std::string& source, bool general) {
  TScriptCalc calc;
  if (general) calc.OnStep = [] {};
  for (const char* name : {"N", "A", "RESULT"}) calc.StoreVariable(TVar{name, Variant::Integer(100)});
  Outcome o;
  o.ok = RunText(calc, source);
  o.code = calc.ErrorCode();
  o.message = calc.ErrorMessage();
  o.statement = calc.ErrorStatement();
  for (const TVar& v : calc.Variables()) o.vars.emplace_back(v.Name, v.Value);
  return o;
}

void ExpectSameBothWays(const std::string& source) {
  Outcome framed = RunWays(source, false), general = RunWays(source, true);
  EXPECT_EQ(framed.ok, general.ok) << source;
  EXPECT_EQ(framed.code, general.code) << source;
  EXPECT_EQ(framed.message, general.message) << source;
  EXPECT_EQ(framed.statement, general.statement) << source;
  EXPECT_EQ(framed.vars, general.vars) << source;
}

const char* const kFib =
    "FUNCTION FIB(N); BEGIN IF N < 2 THEN RESULT := N ELSE RESULT := FIB(N - 1) + FIB(N - 2) END; ";
const char* const kCount =
    "FUNCTION C(N); BEGIN IF N = 0 THEN RESULT := 0 ELSE RESULT := C(N - 1) + 1 END; ";

TEST(FramedCalls, SameResultsAsTheGeneralWay) {
  for (std::string source : {
           std::string(kFib) + "F := FIB(15); G := FIB(N - 90);",
           std::string("FUNCTION SQ(N); BEGIN N := N * N; RESULT := N END; R := SQ(N + 1); S := SQ(N); T := SQ(A);"),
           std::string("FUNCTION ONE(); BEGIN RESULT := 1 END; X := ONE() + RESULT;"),
           std::string("FUNCTION J(A, B); BEGIN RESULT := A + B END; X := J('a', 'b'); Y := J(1, 2.5); Z := J(1, 'b');"),
           std::string("FUNCTION BIG(A); BEGIN RESULT := A * A END; X := BIG(100000); Y := BIG(2.5);"),
           std::string("FUNCTION NEG(A); BEGIN RESULT := -A; IF NOT (A > 0) THEN RESULT := 0 END; X := NEG(5) + NEG(-5);"),
           std::string("FUNCTION E(A); BEGIN RESULT := 1; IF A > 0 THEN BEGIN RESULT := 3; EXIT END; RESULT := 2 END; "
                       "X := E(1) * 10 + E(0);"),
           std::string("FUNCTION DUP(A, A); BEGIN RESULT := A END; X := DUP(1, 2); P := 1; Q := 2; Y := DUP(P, Q);"),
           std::string("FUNCTION W(A); BEGIN RESULT := A; A; RESULT; END; X := W(4);"),
       })
    ExpectSameBothWays(source);
}

TEST(FramedCalls, ParametersPassedAsNamesAreInOut) {
  for (std::string source : {
           std::string("FUNCTION INC(A); BEGIN A := A + 1; RESULT := 0 END; "
                       "FUNCTION T(X); BEGIN RESULT := INC(X) + INC(X) + X END; Y := T(1); Z := 1; W := INC(Z) + INC(N);"),
           std::string("FUNCTION SW(A, B); BEGIN RESULT := A; A := B; B := RESULT END; "
                       "FUNCTION U(X, Y); BEGIN RESULT := SW(X, Y) + X * 10 + Y * 100 END; P := 1; Q := 2; R := U(P, Q);"),
       })
    ExpectSameBothWays(source);
}

TEST(FramedCalls, ArgumentsSeeTheParametersStoredBeforeThem) {
  for (std::string source : {
           std::string("FUNCTION P2(A, B); BEGIN RESULT := A * 10 + B END; A := 1; X := P2(5, A); "
                       "FUNCTION Q(A); BEGIN RESULT := P2(A + 1, A) END; Y := Q(3);"),
           std::string("FUNCTION P2(B, A); BEGIN RESULT := A * 10 + B END; A := 1; X := P2(5, A); Y := P2(A, 5);"),
       })
    ExpectSameBothWays(source);
}

TEST(FramedCalls, ErrorsAreTheGeneralWaysErrors) {
  for (std::string source : {
           std::string("FUNCTION F(A); BEGIN IF A > 0 THEN RESULT := A END; FUNCTION G(A); BEGIN RESULT := F(A) + 1 END; "
                       "X := G(1); Y := G(0);"),
           std::string("FUNCTION D(N); BEGIN RESULT := D(N + 1) END; X := D(0);"),
           std::string("FUNCTION F(A); BEGIN RESULT := RESULT + A END; X := F(1);"),
           std::string("FUNCTION F(A); BEGIN RESULT := A + 'x' * 2 END; X := F(1);"),
           std::string("FUNCTION DV(A); BEGIN RESULT := 1 / A END; FUNCTION T(A); BEGIN RESULT := DV(A - 1) END; X := T(1);"),
           std::string("FUNCTION C(A); BEGIN IF A THEN RESULT := 1 ELSE RESULT := 2 END; X := C(0); Y := C(3); Z := C('x');"),
           std::string("FUNCTION F(A); BEGIN RESULT := A END; FUNCTION G(); BEGIN RESULT := F() END; X := F(1, 2);"),
           std::string("FUNCTION F(A); BEGIN RESULT := A END; FUNCTION G(); BEGIN RESULT := F() END; Y := G();"),
           std::string("FUNCTION F(A); BEGIN RESULT := A; BREAK END; X := F(1);"),
           std::string("FUNCTION F(A); BEGIN RESULT := UNSET END; X := F(1);"),
       })
    ExpectSameBothWays(source);
}

TEST(FramedCalls, OwnVariablesAndLoops) {
  for (std::string source : {
           std::string("FUNCTION SUM(A); BEGIN S := 0; I := 0; FOR I := 1 TO A DO S := S + I; RESULT := S END; "
                       "S := 'kept'; X := SUM(10); Y := SUM(0);"),
           std::string("FUNCTION DN(A); BEGIN I := 0; RESULT := ''; FOR I := A DOWNTO 1 DO RESULT := RESULT + 'x' END; "
                       "X := DN(3);"),
           std::string("FUNCTION W(A); BEGIN RESULT := 0; WHILE A > 0 DO BEGIN A := A - 1; RESULT := RESULT + 2; "
                       "IF RESULT > 7 THEN EXIT END END; X := W(3); Y := W(10);"),
           std::string("FUNCTION R(A); BEGIN RESULT := 1; REPEAT RESULT := RESULT * 2; A := A - 1 UNTIL A <= 0 END; "
                       "X := R(5); Y := R(0);"),
           std::string("FUNCTION F(A); BEGIN IF A > 0 THEN T := A; RESULT := T END; T := 7; X := F(1); Y := F(0);"),
           std::string("FUNCTION G(A); BEGIN RESULT := T + A; T := 0 END; "
                       "FUNCTION F(A); BEGIN T := A * 10; RESULT := G(A) + T END; T := 1; X := F(2);"),
           std::string("FUNCTION L(A); BEGIN FOR I := 1 TO A DO RESULT := I; I := 0 END; X := L(3);"),
           std::string("FUNCTION L(A); BEGIN I := 0; FOR I := 1 TO 'x' DO RESULT := I END; X := L(3);"),
           std::string("FUNCTION L(A); BEGIN I := 0; WHILE A DO A := 0; RESULT := 1 END; X := L(3);"),
       })
    ExpectSameBothWays(source);
}

TEST(FramedCalls, RecursionLimitIsTheSame) {
  for (const char* call : {"X := C(998);", "X := C(999);", "X := C(1000);", "X := C(5000);"})
    ExpectSameBothWays(std::string(kCount) + call);
  Outcome o = RunWays(std::string(kCount) + "X := C(1000);", false);
  EXPECT_EQ(o.code, 7);
}

TEST(FramedCalls, MixedWithRoutinesThatSeeTheCaller) {
  for (std::string source : {
           std::string("G := 10; FUNCTION H(A); BEGIN RESULT := A + G END; FUNCTION K(A); BEGIN RESULT := H(A) * 2 END; "
                       "X := K(1);"),
           std::string(kFib) + "PROCEDURE P(N); BEGIN S := FIB(N) + N; N := S END; S := 0; M := 7; P(M);",
           std::string(kFib) + "FUNCTION V(A); BEGIN B := A; RESULT := FIB(B) + FIB(A) END; X := V(6);",
       })
    ExpectSameBothWays(source);
}

TEST(FramedCalls, OnlyFunctionsBlindToTheCallerAreFramed) {
  TScriptCalc calc;
  ProgramRef p = calc.Prepare(std::string(kFib) +
                              "G := 1; FUNCTION H(A); BEGIN RESULT := A + G END; "
                              "FUNCTION K(A); BEGIN RESULT := H(A) END; "
                              "FUNCTION M(A); BEGIN RESULT := FIB(A) + L(A) END; "
                              "FUNCTION L(A); BEGIN IF A > 0 THEN RESULT := M(A - 1) ELSE RESULT := 0 END; "
                              "FUNCTION Z(A); BEGIN RESULT := A; Z2 := 1 END; "
                              "FUNCTION R(RESULT); BEGIN END; "
                              "FUNCTION ARR(A); BEGIN RESULT := A[1] END; "
                              "FUNCTION LOOP(A); BEGIN WHILE A > 0 DO A := A - 1; RESULT := A END; "
                              "FUNCTION CTR(A); BEGIN FOR I := 1 TO A DO RESULT := I END; "
                              "FUNCTION NONE(A); BEGIN A := 1 END; "
                              "FUNCTION BRK(A); BEGIN WHILE A > 0 DO BREAK; RESULT := 1 END; "
                              "FUNCTION DOT(A); BEGIN RESULT := A.X END; "
                              "PROCEDURE P(A); BEGIN A := 1 END;");
  ASSERT_EQ(calc.ErrorCode(), 0);
  for (const char* name : {"FIB", "M", "L", "Z", "LOOP"}) EXPECT_TRUE(p->FindProc(name)->framed) << name;
  for (const char* name : {"H", "K", "R", "ARR", "CTR", "NONE", "BRK", "DOT", "P"})
    EXPECT_FALSE(p->FindProc(name)->framed) << name;
}

// A game whose running element has the property X and the variables V and
// RESULT: names it takes are never variables, so the general way must run.
struct Scene {
  explicit Scene(bool general) {
    knob = db.CreateChild("TQelScreen")->CreateChild("TQelImage");
    knob->Vars = std::make_unique<TVarList>();
    knob->Vars->Append("V", Variant::Integer(1));
    if (general)
      for (int i = 0; i < InterpreterPool::kSize; ++i) pool.At(i).OnStep = [] {};
  }
  Outcome Run(const std::string& source, bool elementResult) {
    if (elementResult) knob->Vars->Append("RESULT", Variant::Integer(0));
    runtime.script.EventName = "ms_Down";
    knob->SetEventSource(evMouseDown, source);
    knob->RunScript(knob->Event(evMouseDown).prepared, nullptr);
    TScriptCalc& calc = pool.At(1);
    Outcome o;
    o.code = calc.ErrorCode();
    o.message = calc.ErrorMessage();
    for (const TVar& v : calc.Variables()) o.vars.emplace_back(v.Name, v.Value);
    for (const TVar& v : *knob->Vars) o.vars.emplace_back("element " + v.Name, v.Value);
    o.vars.emplace_back("X", Variant::Integer(static_cast<int32_t>(knob->X())));
    return o;
  }

  Runtime runtime;
  TQelDB db{&runtime};
  InterpreterPool pool{runtime, db, nullptr};
  TQelElement* knob = nullptr;
};

TEST(FramedCalls, NamesTheRunningElementTakesStayWithIt) {
  for (std::string source : {
           std::string(kFib) + "F := FIB(10);",
           std::string("FUNCTION F(X); BEGIN RESULT := X * 2 END; Y := F(3);"),
           std::string("FUNCTION F(V); BEGIN V := V + 1; RESULT := V END; Y := F(3);"),
           std::string("FUNCTION G(A); BEGIN RESULT := A END; FUNCTION F(N); BEGIN RESULT := G(N) + G(1) END; Y := F(3);"),
       }) {
    for (bool elementResult : {false, true}) {
      Outcome framed = Scene(false).Run(source, elementResult), general = Scene(true).Run(source, elementResult);
      EXPECT_EQ(framed.code, general.code) << source;
      EXPECT_EQ(framed.message, general.message) << source;
      EXPECT_EQ(framed.vars, general.vars) << source << elementResult;
    }
  }
}

}  // namespace
}  // namespace qel
