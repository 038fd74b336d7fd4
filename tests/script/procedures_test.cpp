// Declarations, USES and INCLUDE, and routines kept with the prepared script.
#include <gtest/gtest.h>

#include "script/tokens.h"
#include "script_test_util.h"

namespace qel {
namespace {

class Includes : public ::testing::Test {
 protected:
  TempDir dir;
  TScriptCalc calc;
};

TEST_F(Includes, IncludeInsertsStatementsUsesOnlyRoutines) {
  dir.Write("common.txt", "A := 1; PROCEDURE P(); BEGIN END;");
  dir.Write("sub/lib.txt", "B := 2; FUNCTION TWICE(X); BEGIN RESULT := X * 2 END;");
  ASSERT_TRUE(RunText(calc, "Z := 0; INCLUDE 'common.txt'; USES 'sub\\lib.txt'; C := TWICE(A); P();"));
  EXPECT_EQ(ValueOf(calc, "A"), Variant::Integer(1));
  EXPECT_LT(calc.IndexOfVariable("B"), 0);
  EXPECT_EQ(ValueOf(calc, "C"), Variant::Integer(2));
  EXPECT_EQ(calc.Variables()[0].Name, "Z");
}

TEST_F(Includes, MissingFileReportsTheSystemError) {
  calc.Prepare("INCLUDE 'missing.txt';");
  EXPECT_EQ(calc.ErrorCode(), 25);
  std::string m = calc.ErrorMessage();
  EXPECT_EQ(m.rfind("Can't open file \"", 0), 0u);
  EXPECT_NE(m.find("'missing.txt'"), std::string::npos);
  EXPECT_TRUE(m.ends_with("\", error code 2")) << m;
}

TEST_F(Includes, FilesOutsideTheGameDirectoryAreRefused) {
  dir.Write("inner/x.txt", "A := 1;");
  for (const char* src : {"INCLUDE '/etc/passwd';", "INCLUDE '../x.txt';", "INCLUDE 'inner/../../x.txt';"}) {
    calc.Prepare(src);
    EXPECT_EQ(calc.ErrorCode(), 25) << src;
  }
  EXPECT_TRUE(RunText(calc, "INCLUDE 'inner/./x.txt';"));
}

TEST_F(Includes, SelfInclusionFailsInsteadOfRecursing) {
  dir.Write("a.txt", "A := 1; INCLUDE 'b.txt';");
  dir.Write("b.txt", "B := 1; INCLUDE 'a.txt';");
  calc.Prepare("INCLUDE 'a.txt';");
  EXPECT_EQ(calc.ErrorCode(), 25);
}

TEST_F(Includes, BadFileNameExpression) {
  calc.Prepare("USES 'a' 'b' 'c';");  // two stray tokens: no message of its own
  EXPECT_EQ(calc.ErrorCode(), 1);
  EXPECT_EQ(calc.ErrorMessage().rfind("Invalid filename \"", 0), 0u);
  EXPECT_NE(calc.ErrorMessage().find("\" in USES statement"), std::string::npos);
}

TEST(Routines, PreparedOnOneInterpreterRunOnAnother) {
  TScriptCalc preparer, runner;
  ProgramRef program = preparer.Prepare("FUNCTION SQ(X); BEGIN RESULT := X * X END; Y := SQ(7);");
  ASSERT_EQ(preparer.ErrorCode(), 0);
  ASSERT_TRUE(runner.Run(program));
  EXPECT_EQ(ValueOf(runner, "Y"), Variant::Integer(49));
  ASSERT_TRUE(runner.Run(program));  // runs repeat on the same compiled form
}

TEST(Routines, DeepButFiniteRecursionWorks) {
  TScriptCalc calc;
  ASSERT_TRUE(RunText(calc, "FUNCTION DOWN(N); BEGIN IF N = 0 THEN RESULT := 0 ELSE RESULT := DOWN(N - 1) + 1 END;"
                            "X := DOWN(500);"));
  EXPECT_EQ(ValueOf(calc, "X"), Variant::Integer(500));
  EXPECT_EQ(calc.Variables().Count(), 1);
}

TEST(Routines, RunOfPlainPreparedTextAndEvaluate) {
  TScriptCalc calc;
  ASSERT_TRUE(calc.Run(Tokenize("A := 2; B := A * 3;")));
  TVar r;
  EXPECT_TRUE(calc.Evaluate(Tokenize("B + 1"), r));
  EXPECT_EQ(r.Value, Variant::Integer(7));
  EXPECT_FALSE(calc.Evaluate(Tokenize(""), r));
  EXPECT_EQ(calc.ErrorMessage(), "Empty string - not expression");
}

}  // namespace
}  // namespace qel
