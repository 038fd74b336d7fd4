// The longest string a script may build: every way of growing a string stops
// at the same limit with a clear error, with the engine's shortcuts on and
// off, and a string of exactly the limit is still allowed. Most cases lower
// the limit to 64 KiB so as not to build strings of hundreds of megabytes.
#include <gtest/gtest.h>

#include "hostapi/host_table.h"
#include "script/string_limit.h"
#include "script_test_util.h"

namespace qel {
namespace {

class StringLimit : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    RegisterHostFunctions(calc);
    calc.SetFastPaths(GetParam());
    SetScriptStringLimit(kSmall);
  }
  void TearDown() override { SetScriptStringLimit(0); }
  // Runs on the same interpreter, so that a long S built once stays.
  void Run(const std::string& source) { RunText(calc, source); }
  size_t LengthOf(const std::string& name) { return ValueOf(calc, name).string_value().size(); }
  static std::string TooLong(size_t length) {
    return "String too long: " + std::to_string(length) + " characters, at most " +
           std::to_string(ScriptStringLimit());
  }

  static constexpr size_t kSmall = 1 << 16;
  TScriptCalc calc;
};

TEST_P(StringLimit, DoublingInALoopStopsAtTheLimit) {
  Run("S := 'x'; I := 0; FOR I := 1 TO 40 DO S := S + S;");
  EXPECT_EQ(calc.ErrorCode(), 5);
  EXPECT_EQ(calc.ErrorMessage(), TooLong(2 * kSmall));
  EXPECT_EQ(ValueOf(calc, "I").int_value(), 17);
  EXPECT_EQ(LengthOf("S"), kSmall);  // exactly the limit is allowed

  // One character more, on either side, stops the statement.
  Run("T := S + 'y';");
  EXPECT_EQ(calc.ErrorCode(), 5);
  EXPECT_EQ(calc.ErrorMessage(), TooLong(kSmall + 1));
  Run("C := 'y'; T := C + S;");
  EXPECT_EQ(calc.ErrorMessage(), TooLong(kSmall + 1));
  EXPECT_EQ(ValueOf(calc, "T").kind(), VarKind::Empty);
  // Inside a loop body of plain assignments, and as a condition's operand.
  Run("T := ''; I := 0; FOR I := 1 TO 100000 DO T := T + 'ab';");
  EXPECT_EQ(calc.ErrorMessage(), TooLong(kSmall + 2));
  EXPECT_EQ(ValueOf(calc, "I").int_value(), static_cast<int>(kSmall / 2 + 1));
  Run("IF S + 'y' = '' THEN A := 1;");
  EXPECT_EQ(calc.ErrorMessage(), TooLong(kSmall + 1));
}

TEST_P(StringLimit, RoutinesAndLibraryFunctionsStopAtTheLimit) {
  Run("S := 'x'; I := 0; FOR I := 1 TO 16 DO S := S + S;");
  ASSERT_EQ(calc.ErrorCode(), 0);
  ASSERT_EQ(LengthOf("S"), kSmall);

  // A function that sees only its parameter runs in a frame when it can.
  Run("FUNCTION TWICE(A); BEGIN RESULT := A + A END; T := TWICE(S);");
  EXPECT_EQ(calc.ErrorCode(), 5);
  EXPECT_EQ(calc.ErrorMessage(), TooLong(2 * kSmall));
  Run("FUNCTION GROW(A); BEGIN WHILE 1 DO A := A + A; RESULT := A END; T := GROW('ab');");
  EXPECT_EQ(calc.ErrorMessage(), TooLong(2 * kSmall));

  Run("T := 'ab'; Insert(S, T, 2);");
  EXPECT_EQ(calc.ErrorCode(), 7);
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function INSERT : " + TooLong(kSmall + 2));
  EXPECT_EQ(LengthOf("T"), 2u);

  Run("T := Format('%s%s', S, 'z');");
  EXPECT_EQ(calc.ErrorCode(), 7);
  EXPECT_EQ(calc.ErrorMessage(), "Invalid parameters, function FORMAT : " + TooLong(kSmall + 1));
  Run("T := Format(S + '%s', 'z');");
  EXPECT_EQ(calc.ErrorMessage(), TooLong(kSmall + 2));

  // Each "mmmm" gives "December", twice as long, for day 0.
  Run("T := S; Delete(T, 1, 20); T := FormatDateTime(T + 'mmmm mmmm mmmm mmmm', 0);");
  EXPECT_EQ(calc.ErrorCode(), 7);
  EXPECT_NE(calc.ErrorMessage().find("function FORMATDATETIME : String too long: "), std::string::npos);

  // Short strings are untouched.
  Run("T := 'ab'; Insert('xy', T, 2); U := Format('%s-%s', 'a', T) + '!';");
  EXPECT_EQ(calc.ErrorCode(), 0);
  EXPECT_EQ(ValueOf(calc, "U").string_value(), "a-axyb!");
}

INSTANTIATE_TEST_SUITE_P(Engine, StringLimit, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "FastPaths" : "GeneralOnly";
                         });

// The limit in force for games: 256 MiB, reached by doubling.
TEST(StringLimitDefault, IsTwoHundredFiftySixMebibytes) {
  ASSERT_EQ(ScriptStringLimit(), size_t{256} << 20);
  TScriptCalc calc;
  RunText(calc, "S := 'x'; I := 0; FOR I := 1 TO 40 DO S := S + S;");
  EXPECT_EQ(calc.ErrorCode(), 5);
  EXPECT_EQ(calc.ErrorMessage(), "String too long: 536870912 characters, at most 268435456");
  EXPECT_EQ(ValueOf(calc, "S").string_value().size(), size_t{256} << 20);
}

}  // namespace
}  // namespace qel
