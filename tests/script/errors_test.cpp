// The error state and the error log.
#include <gtest/gtest.h>

#include "script_test_util.h"

namespace qel {
namespace {

// A stand-in for the game: a named place, an event and the log switch.
class FakeEnv : public ScriptEnv {
 public:
  PathRead ResolvePath(const ByteString& path, const TVarList&, Variant& value) override {
    if (path == "KNOWN") {
      value = Variant::Integer(1);
      return PathRead::Found;
    }
    return path.find('.') == ByteString::npos ? PathRead::NotVar : PathRead::Failed;
  }
  bool AssignPath(const ByteString& path, const Variant&, const TVarList&) override { return path == "X"; }
  ByteString Place() const override { return place; }
  ByteString EventName() const override { return "ms_Down"; }
  bool SaveErr() const override { return saveErr; }
  bool UnicodeMode() const override { return false; }
  ByteString GetLangText(const ByteString& key) const override { return key == "MENU.START" ? "Start" : ""; }
  bool saveErr = true;
  ByteString place = "B1 <TQelImage>";
};

class ErrorLog : public ::testing::Test {
 protected:
  void SetUp() override { calc.SetEnv(&env); }
  std::string Log() const { return ReadFile(dir.path() / "brannoc.err"); }
  TempDir dir;
  FakeEnv env;
  TScriptCalc calc;
};

TEST_F(ErrorLog, FirstErrorOnlyWithPlaceStatementAndEvent) {
  EXPECT_FALSE(RunText(calc, "A := 1 + 'x'; B := 1 + * 2;"));
  EXPECT_EQ(calc.ErrorCode(), 5);
  EXPECT_EQ(Log(), "Invalid operand types for \"+\" (1 + 'x'   in B1 <TQelImage>) ms_Down\r\n");
  EXPECT_LT(calc.IndexOfVariable("B"), 0);
}

TEST_F(ErrorLog, NoCurrentElementLeavesThePlaceEmpty) {
  env.place = "";
  EXPECT_FALSE(RunText(calc, "A := ;"));
  EXPECT_EQ(Log(), "Empty string - not expression (  in ) ms_Down\r\n");
}

TEST_F(ErrorLog, WarningsOfTheVariableStore) {
  ASSERT_TRUE(RunText(calc, "A := NOSUCH; OBJ.Y := 2; X := 5; K := KNOWN;"));
  EXPECT_EQ(Log(), "Not var NOSUCH (in B1 <TQelImage> ms_Down\r\nAdd var OBJ.Y (in B1 <TQelImage> ms_Down\r\n");
  EXPECT_LT(calc.IndexOfVariable("X"), 0);  // the element took X
  EXPECT_EQ(ValueOf(calc, "A"), Variant::Byte(0));
  EXPECT_EQ(ValueOf(calc, "K"), Variant::Integer(1));
}

TEST_F(ErrorLog, NothingWrittenWithoutSaveErrButTheRunStillStops) {
  env.saveErr = false;
  EXPECT_FALSE(RunText(calc, "A := 1; B := 1 / 0; C := 3;"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "brannoc.err"));
  EXPECT_LT(calc.IndexOfVariable("C"), 0);
}

TEST_F(ErrorLog, AnUnwritableLogIsSkipped) {
  std::filesystem::create_directory(dir.path() / "brannoc.err");
  EXPECT_FALSE(RunText(calc, "A := 1; B := 1 + 'x';"));
  EXPECT_EQ(calc.ErrorCode(), 5);
  EXPECT_EQ(ValueOf(calc, "A"), Variant::Integer(1));
}

TEST_F(ErrorLog, ErrorStateLastsUntilTheNextRun) {
  EXPECT_FALSE(RunText(calc, "A := 'abc"));
  EXPECT_EQ(calc.ErrorCode(), 6);
  EXPECT_EQ(calc.ErrorMessage(), "Unterminated string: 'abc");
  calc.SetError("later", "", 1);
  EXPECT_EQ(calc.ErrorCode(), 6);
  EXPECT_TRUE(RunText(calc, "A := 1;"));
  EXPECT_EQ(calc.ErrorCode(), 0);
  EXPECT_EQ(calc.ErrorMessage(), "");
}

TEST_F(ErrorLog, DoubleQuotedTextsAreLanguageKeysInOperators) {
  ASSERT_TRUE(RunText(calc, "A := \"MENU.START\" + ''; B := \"NO.KEY\" + '';"));
  EXPECT_EQ(ValueOf(calc, "A"), Variant::String("Start"));
  EXPECT_EQ(ValueOf(calc, "B"), Variant::String("\"NO.KEY\""));
}

}  // namespace
}  // namespace qel
