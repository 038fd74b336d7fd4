// Compiled statements remember where their variables and array elements
// were; these runs move, remove and re-create variables under them, and the
// arithmetic that skips temporaries must give what the general rules give.
#include <gtest/gtest.h>

#include "script_test_util.h"

namespace qel {
namespace {

TEST(RememberedNames, ProgramRerunOverVariablesInAnotherOrder) {
  TScriptCalc calc;
  ProgramRef p = calc.Prepare("X := X + 1; Y := X * 10; A[X] := Y; Z := A[X] + 1;");
  ASSERT_TRUE(calc.StoreVariable(TVar{"X", Variant::Integer(1)}));
  ASSERT_TRUE(calc.Run(p));
  EXPECT_EQ(ValueOf(calc, "Z"), Variant::Integer(21));
  calc.ClearVariables();
  ASSERT_TRUE(calc.StoreVariable(TVar{"A[5]", Variant::Integer(0)}));
  ASSERT_TRUE(calc.StoreVariable(TVar{"Y", Variant::Integer(0)}));
  ASSERT_TRUE(calc.StoreVariable(TVar{"X", Variant::Integer(4)}));
  ASSERT_TRUE(calc.Run(p));
  EXPECT_EQ(ValueOf(calc, "A[5]"), Variant::Integer(50));
  EXPECT_EQ(ValueOf(calc, "Z"), Variant::Integer(51));
  EXPECT_LT(calc.IndexOfVariable("A[2]"), 0);
}

TEST(RememberedNames, OneProgramOnTwoInterpretersInTurn) {
  TScriptCalc a, b;
  ProgramRef p = a.Prepare("S := S + 1; FOR I := 1 TO 3 DO V[I] := V[I] + S;");
  ASSERT_TRUE(RunText(b, "Q := 0; S := 10; I := 0; V[1] := 0; V[2] := 0; V[3] := 0;"));
  ASSERT_TRUE(RunText(a, "S := 0; I := 0; V[3] := 0; V[2] := 0; V[1] := 0;"));
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(a.Run(p));
    ASSERT_TRUE(b.Run(p));
  }
  EXPECT_EQ(ValueOf(a, "V[2]"), Variant::Integer(3));
  EXPECT_EQ(ValueOf(b, "V[2]"), Variant::Integer(23));
}

TEST(RememberedNames, VariablesOfARoutineVanishUnderTheCaller) {
  TScriptCalc calc;
  ASSERT_TRUE(RunText(calc,
                      "PROCEDURE P(K); BEGIN T := K; A[K] := K * 2; N := N + 1 END;"
                      "N := 0; R := 0; I := 0; A[1] := 1;"
                      "FOR I := 1 TO 3 DO BEGIN P(I); R := R + A[1] + N END;"
                      "W := T;"));
  EXPECT_EQ(ValueOf(calc, "A[1]"), Variant::Integer(1));
  EXPECT_EQ(ValueOf(calc, "R"), Variant::Integer(3));
  EXPECT_EQ(ValueOf(calc, "W"), Variant::Byte(0));  // T did not outlive the call
  EXPECT_LT(calc.IndexOfVariable("A[2]"), 0);
  EXPECT_LT(calc.IndexOfVariable("K"), 0);
}

TEST(RememberedNames, ResultErasedAndRestoredAroundNestedCalls) {
  TScriptCalc calc;
  ASSERT_TRUE(RunText(calc,
                      "FUNCTION F(N); BEGIN IF N < 2 THEN RESULT := N ELSE RESULT := F(N - 1) + F(N - 2) END;"
                      "RESULT := 'kept'; X := F(10); Y := RESULT;"));
  EXPECT_EQ(ValueOf(calc, "X"), Variant::Integer(55));
  EXPECT_EQ(ValueOf(calc, "Y"), Variant::String("kept"));
}

TEST(ArithmeticInPlace, OverflowAndOddKindsTakeTheGeneralRules) {
  TScriptCalc general, fast;
  // The same sums once through temporaries and once written in place.
  ASSERT_TRUE(RunText(general,
                      "B := 2147483646; B := B + 1; S := 'x';"
                      "T := B + 1; X := T - 1; U := B * 2 / 4; V := 7 / 2; W := S = S;"));
  ASSERT_TRUE(RunText(fast,
                      "B := 2147483646; B := B + 1; S := 'x'; X := 0; U := 0; V := 0; W := 0;"
                      "X := B + 1 - 1; U := B * 2 / 4; V := 7 / 2; W := S = S;"));
  for (const char* name : {"X", "U", "V", "W"}) EXPECT_EQ(ValueOf(fast, name), ValueOf(general, name)) << name;
  EXPECT_EQ(ValueOf(fast, "B"), Variant::Integer(2147483647));
  ASSERT_TRUE(RunText(fast, "A[1] := 2147483646; A[1] := A[1] + 1; A[2] := 0; A[2] := A[1] + 1;"));
  EXPECT_EQ(ValueOf(fast, "A[2]"), ValueOf(general, "T"));
}

TEST(ArithmeticInPlace, StringTargetBecomesANumber) {
  TScriptCalc calc;
  ASSERT_TRUE(RunText(calc, "S := 'text'; I := 3; S := I * 2 + 0.5; C[1] := 'c'; C[1] := I - 1;"));
  EXPECT_EQ(ValueOf(calc, "S"), Variant::Float(6.5));
  EXPECT_EQ(ValueOf(calc, "C[1]"), Variant::Integer(2));
}

}  // namespace
}  // namespace qel
