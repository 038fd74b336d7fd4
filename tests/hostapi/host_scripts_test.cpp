#include <gtest/gtest.h>

#include "hostapi/date_time.h"
#include "hostapi/host_table.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

// Library rows called from script text, as a game's event scripts call them.
class HostScripts : public ::testing::Test {
 protected:
  FixedClock clock{EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45)};
  LocaleSettings locale;
  TScriptCalc calc;

  void SetUp() override {
    RegisterHostFunctions(calc, HostServices{&clock, &locale});
    RegisterGameFunctions(calc);
  }
  bool Run(const ByteString& source) { return calc.Run(calc.Prepare(source)); }
  Variant Get(const char* name) {
    TVar v;
    EXPECT_TRUE(calc.GetVariable(name, v)) << name;
    return v.Value;
  }
};

TEST_F(HostScripts, VarArgumentsReachTheScriptVariables) {
  ASSERT_TRUE(Run("S := 'ABCDEF'; Delete(S, 2, 3); T := 'ABCDEF'; R := Insert('XY', T, 3);")) << calc.ErrorMessage();
  EXPECT_EQ(Get("S"), Variant::String("AEF"));
  EXPECT_EQ(Get("T"), Variant::String("ABXYCDEF"));
  EXPECT_EQ(Get("R"), Variant::String("ABXYCDEF"));
  ASSERT_TRUE(Run("V := 0; C := 0; Val('1.5x', V, C); X := 1; Inc(X); Inc(X, 5); Dec(X, 2);")) << calc.ErrorMessage();
  EXPECT_EQ(Get("C"), Variant::Integer(4));
  EXPECT_EQ(Get("X"), Variant::Integer(5));
  ASSERT_TRUE(Run("Y := 0; M := 0; D := 0; E := DecodeDate(EncodeDate(2024, 2, 29), Y, M, D);")) << calc.ErrorMessage();
  EXPECT_EQ(Get("Y"), Variant::Word(2024));
  EXPECT_EQ(Get("M"), Variant::Word(2));
  EXPECT_EQ(Get("D"), Variant::Word(29));
  EXPECT_EQ(Get("E"), Variant::DateTime(EncodeDate(2024, 2, 29)));
}

TEST_F(HostScripts, FailuresAndExceptionsAreReportedWithTheName) {
  EXPECT_FALSE(Run("Insert('X', 'ABC', 2);"));
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function INSERT");
  EXPECT_FALSE(Run("X := Mod(7, 0);"));
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function MOD : Division by zero");
  EXPECT_FALSE(Run("X := Max(1, 2.5);"));
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function MAX");
  EXPECT_FALSE(Run("X := EncodeDate(2023, 2, 29);"));
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function ENCODEDATE : Invalid argument to date encode");
  EXPECT_FALSE(Run("NoSuchRoutine(1, 2);"));
  EXPECT_EQ(calc.ErrorMessage(), "Unknown function: NOSUCHROUTINE");
}

TEST_F(HostScripts, NamesInAnyCaseAndCallsWithoutParentheses) {
  ASSERT_TRUE(Run("A := length('abc'); B := LENGTH('abcd'); C := Now; D := Now(); E := poss('CD', 'ABCDCD');"))
      << calc.ErrorMessage();
  EXPECT_EQ(Get("A"), Variant::Integer(3));
  EXPECT_EQ(Get("B"), Variant::Integer(4));
  EXPECT_EQ(Get("C"), Get("D"));
  EXPECT_EQ(Get("E"), Variant::Integer(3));
  ASSERT_TRUE(Run("F := Format('%d items, %s', 3, FormatDateTime('dd.mm.yyyy', Now));")) << calc.ErrorMessage();
  EXPECT_EQ(Get("F"), Variant::String("3 items, 05.03.2024"));
}

TEST_F(HostScripts, GetVarAndSetVarWorkOnTheRunningScript) {
  ASSERT_TRUE(Run("CELL[2] := 5; N := 2; X := GetVar('cell[' + IntToStr(N) + ']'); SetVar('cell[2]', 9);"))
      << calc.ErrorMessage();
  EXPECT_EQ(Get("X"), Variant::Integer(5));
  EXPECT_EQ(Get("CELL[2]"), Variant::Integer(9));
  EXPECT_FALSE(Run("SetVar('NoSuchName', 1);"));
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function SETVAR");
  ASSERT_TRUE(Run("Z := GetVar('NoSuchName');"));
  EXPECT_EQ(Get("Z"), Variant::LongWord(0));
}

TEST_F(HostScripts, SeededRandomRepeats) {
  calc.RandSeed() = 7;
  ASSERT_TRUE(Run("A := Random(1000); B := Random(1000);"));
  const Variant a = Get("A"), b = Get("B");
  calc.RandSeed() = 7;
  ASSERT_TRUE(Run("A := Random(1000); B := Random(1000);"));
  EXPECT_EQ(Get("A"), a);
  EXPECT_EQ(Get("B"), b);
}

TEST_F(HostScripts, NestedAndReenteringCallsKeepTheirArguments) {
  // Argument lists are reused between calls; calls made while an outer
  // call's arguments are alive must not disturb them.
  ASSERT_TRUE(Run("S := Format('%s|%d|%s', Copy('abcdef', 2, 3), Round(Sqrt(Length('abcdefghi'))), "
                  "Copy(Copy('xyz123', 2, 4), 2, 2));"))
      << calc.ErrorMessage();
  EXPECT_EQ(Get("S"), Variant::String("bcd|3|z1"));
  calc.RegisterFunction("Reenter", [](TScriptCalc& c, TVarList& p, TVar& r) {
    const Variant before = p[0].Value;
    c.Run(c.Prepare("INNER := Copy('inner text', 1, 5) + IntToStr(Length('abc'));"));
    r.Value = Variant::Boolean(p.Count() == 2 && p[0].Value == before);
    return true;
  });
  ASSERT_TRUE(Run("OK := Reenter('outer argument', 2);")) << calc.ErrorMessage();
  EXPECT_EQ(Get("OK"), Variant::Boolean(true));
  EXPECT_EQ(Get("INNER"), Variant::String("inner3"));
}

}  // namespace
}  // namespace qel
