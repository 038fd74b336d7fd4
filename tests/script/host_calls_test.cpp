// Host functions: registration, VAR and VALUE arguments, copy-back, failures.
#include <gtest/gtest.h>

#include <stdexcept>

#include "script_test_util.h"

namespace qel {
namespace {

bool Increment(TScriptCalc&, TVarList& params, TVar&) {
  if (params.Count() != 1) return false;
  params[0].Value = Variant::Integer(static_cast<int32_t>(params[0].Value.int_value() + 1));
  return true;
}

class HostCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    calc.RegisterFunction("INC1", Increment);
    calc.RegisterFunction("KIND", [](TScriptCalc&, TVarList& p, TVar& r) {
      ByteString kinds;
      for (const TVar& v : p) kinds += v.Name + ";";
      r.Value = Variant::String(kinds);
      return true;
    });
    calc.RegisterFunction("CHANGE_AND_FAIL", [](TScriptCalc&, TVarList& p, TVar&) {
      p[0].Value = Variant::Integer(99);
      return false;
    });
    calc.RegisterFunction("BOOM", [](TScriptCalc&, TVarList&, TVar&) -> bool { throw std::runtime_error("boom"); });
    calc.RegisterFunction("COUNTER", [this](TScriptCalc&, TVarList& p, TVar& r) {
      ++calls;
      r.Value = Variant::Integer(p.Count());
      return true;
    });
  }
  TScriptCalc calc;
  int calls = 0;
};

TEST_F(HostCalls, RegistrationTrimsUpperCasesReplacesAndRemoves) {
  TScriptCalc c;
  EXPECT_TRUE(c.RegisterFunction("  val ", Increment));
  EXPECT_GE(c.Functions().IndexOf("VAL"), 0);
  EXPECT_TRUE(c.RegisterFunction("VAL", [](TScriptCalc&, TVarList&, TVar& r) {
    r.Value = Variant::Integer(7);
    return true;
  }));
  EXPECT_EQ(c.Functions().Count(), 1);
  ASSERT_TRUE(RunText(c, "X := VAL();"));
  EXPECT_EQ(ValueOf(c, "X"), Variant::Integer(7));
  EXPECT_TRUE(c.RegisterFunction("val", nullptr));
  EXPECT_LT(c.Functions().IndexOf("VAL"), 0);
  EXPECT_FALSE(c.RegisterFunction("1BAD", Increment));
  EXPECT_FALSE(c.RegisterFunction("A B", Increment));
}

TEST_F(HostCalls, VarArgumentsAreWrittenBackValueArgumentsAreNot) {
  ASSERT_TRUE(RunText(calc, "A := 1; INC1(A); B := 1; INC1(B + 0); C[2] := 5; INC1(C[2]);"));
  EXPECT_EQ(ValueOf(calc, "A"), Variant::Integer(2));
  EXPECT_EQ(ValueOf(calc, "B"), Variant::Integer(1));
  EXPECT_EQ(ValueOf(calc, "C[2]"), Variant::Integer(6));
  ASSERT_TRUE(RunText(calc, "A := 1; K := KIND(A, 1, A + 1, NOSUCH);"));
  EXPECT_EQ(ValueOf(calc, "K"), Variant::String("VAR;VALUE;VALUE;VALUE;"));
}

TEST_F(HostCalls, FailedCallWritesNothingBackAndReportsTheFunction) {
  EXPECT_FALSE(RunText(calc, "A := 1; CHANGE_AND_FAIL(A);"));
  EXPECT_EQ(ValueOf(calc, "A"), Variant::Integer(1));
  EXPECT_EQ(calc.ErrorCode(), 7);
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function CHANGE_AND_FAIL");
  EXPECT_FALSE(RunText(calc, "X := BOOM(1);"));
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function BOOM : boom");
}

TEST_F(HostCalls, CallsWithAndWithoutParenthesesAndBracketCommas) {
  ASSERT_TRUE(RunText(calc, "X := COUNTER; Y := COUNTER(); Z := COUNTER((1), 3); COUNTER := 5; W := COUNTER;"));
  EXPECT_EQ(calls, 4);  // a variable cannot hide a function
  EXPECT_EQ(ValueOf(calc, "X"), Variant::Integer(0));
  EXPECT_EQ(ValueOf(calc, "Y"), Variant::Integer(0));
  // Brackets do not protect a comma: A[1,2] becomes the arguments A[1 and 2].
  EXPECT_FALSE(RunText(calc, "Z := COUNTER(A[1,2]);"));
  EXPECT_EQ(calc.ErrorMessage(), "] expected");
}

TEST_F(HostCalls, ArgumentErrorsAbandonTheCall) {
  EXPECT_FALSE(RunText(calc, "X := COUNTER(1, 1 + 'A');"));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(calc.ErrorMessage(), "Invalid operand types for \"+\"");
  EXPECT_FALSE(RunText(calc, "X := COUNTER(1 2 3);"));
  EXPECT_EQ(calc.ErrorCode(), 7);
  EXPECT_EQ(calc.ErrorMessage().rfind("Invalid expression in function params: ", 0), 0u);
}

TEST_F(HostCalls, CallbackReadsAndSetsTheCallersVariables) {
  calc.RegisterFunction("BUMP", [](TScriptCalc& c, TVarList&, TVar&) {
    TVar v;
    if (!c.GetVariable(" n ", v)) return false;
    return c.SetVariable("n", Variant::Integer(static_cast<int32_t>(v.Value.int_value() * 10))) &&
           !c.SetVariable("MISSING", Variant::Integer(1));
  });
  ASSERT_TRUE(RunText(calc, "N := 4; BUMP();"));
  EXPECT_EQ(ValueOf(calc, "N"), Variant::Integer(40));
  EXPECT_LT(calc.IndexOfVariable("MISSING"), 0);
}

}  // namespace
}  // namespace qel
