// Scripts inside a game: property paths from the running element, runs of
// event scripts through the interpreter pool, Init keeping variables.
#include <gtest/gtest.h>

#include "base/game_paths.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "script/interpreter_pool.h"
#include "script_test_util.h"

namespace qel {
namespace {

class Game : public ::testing::Test {
 protected:
  void SetUp() override {
    db.SaveErr = true;
    screen = db.CreateChild("TQelScreen");
    screen->SetId("Room");
    door = screen->CreateChild("TQelImage");
    door->SetId("Door");
    knob = door->CreateChild("TQelImage");
    knob->SetId("Knob");
    pool.At(0).RegisterFunction("FIRE", [this](TScriptCalc&, TVarList&, TVar&) {
      knob->RunScript(knob->Event(evMouseDown).prepared, nullptr);
      return true;
    });
  }
  // Runs a script as the element's event: current element, pool, log place.
  TScriptCalc& RunOn(TQelElement* e, const std::string& source) {
    runtime.script.EventName = "ms_Down";
    e->SetEventSource(evMouseDown, source);
    e->RunScript(e->Event(evMouseDown).prepared, nullptr);
    return pool.At(1);
  }
  std::string Log() const { return ReadFile(dir.path() / "brannoc.err"); }

  TempDir dir;
  Runtime runtime;
  TQelDB db{&runtime};
  InterpreterPool pool{runtime, db, nullptr};
  TQelElement* screen = nullptr;
  TQelElement* door = nullptr;
  TQelElement* knob = nullptr;
};

TEST_F(Game, PathsFromTheRunningElement) {
  TScriptCalc& calc = RunOn(knob, "S := SELF; P := PARENT; R := ..ID; Q := QELDB; C := PARENT.CHILD[1];"
                                  "N := QELDB.ROOM.DOOR.KNOB.ID; X := 7; V := SELF.X;");
  ASSERT_EQ(calc.ErrorCode(), 0) << calc.ErrorMessage();
  EXPECT_EQ(ValueOf(calc, "S"), Variant::LongWord(knob->Handle()));
  EXPECT_EQ(ValueOf(calc, "P"), Variant::LongWord(door->Handle()));
  EXPECT_EQ(ValueOf(calc, "R"), Variant::String("Room"));
  EXPECT_EQ(ValueOf(calc, "Q"), Variant::LongWord(db.Handle()));
  EXPECT_EQ(ValueOf(calc, "C"), Variant::LongWord(knob->Handle()));
  EXPECT_EQ(ValueOf(calc, "N"), Variant::String("Knob"));
  EXPECT_LT(calc.IndexOfVariable("X"), 0);  // X went to the element
  EXPECT_EQ(knob->X(), 7);
  EXPECT_EQ(ValueOf(calc, "V"), Variant::Integer(7));
}

TEST_F(Game, UnknownNamesAndBrokenPaths) {
  TScriptCalc& calc = RunOn(knob, "A := NOSUCH; B := QELDB.NOSUCH;");
  ASSERT_EQ(calc.ErrorCode(), 0);
  EXPECT_EQ(ValueOf(calc, "A"), Variant::Byte(0));
  EXPECT_EQ(Log(),
            "Not var NOSUCH (in Knob <TQelImage> ms_Down\r\n"
            "Not var QELDB.NOSUCH (in Knob <TQelImage> ms_Down\r\n");
  RunOn(knob, "A := NOSUCHCHILD.X;");
  EXPECT_EQ(pool.At(1).ErrorMessage(), "Variable not found: NOSUCHCHILD.X");
  RunOn(screen, "A := ...X;");  // past the root
  EXPECT_EQ(pool.At(1).ErrorCode(), 3);
  RunOn(&db, "A := .X;");
  EXPECT_EQ(pool.At(1).ErrorCode(), 3);
}

TEST_F(Game, ReferencesHeldInVariablesAndNilWalks) {
  TScriptCalc& calc = RunOn(screen, "D := DOOR; K := D.KNOB.ID; Z := NIL; W := Z.X;");
  ASSERT_EQ(calc.ErrorCode(), 0) << calc.ErrorMessage();
  EXPECT_EQ(ValueOf(calc, "K"), Variant::String("Knob"));
  EXPECT_EQ(ValueOf(calc, "W"), Variant::Byte(0));
  EXPECT_NE(Log().find("Not var NIL Z.X (in Room <TQelScreen> ms_Down"), std::string::npos);
}

TEST_F(Game, InitKeepsTheVariablesItsScriptCreated) {
  door->SetEventSource(evInit, "COUNT := 3; NAME := 'door'; X := 5;");
  door->Init();
  ASSERT_TRUE(door->Vars);
  EXPECT_EQ(door->Vars->Count(), 2);
  EXPECT_EQ(door->X(), 5);
  TScriptCalc& calc = RunOn(knob, "C := PARENT.COUNT; PARENT.COUNT := 4;");
  EXPECT_EQ(ValueOf(calc, "C"), Variant::Integer(3));
  EXPECT_EQ(door->Vars->Find("COUNT")->Value, Variant::Integer(4));
  EXPECT_EQ(runtime.script.ScriptDepth, 1);
  EXPECT_EQ(runtime.script.CurrentElement, 0u);
}

TEST_F(Game, NestingDeeperThanThePoolIsRefusedAndLogged) {
  // Every interpreter of this pool can fire the knob's script, and the
  // knob's script fires itself.
  InterpreterPool fresh(runtime, db, [this](TScriptCalc& c) {
    c.RegisterFunction("FIRE", [this](TScriptCalc&, TVarList&, TVar&) {
      knob->RunScript(knob->Event(evMouseDown).prepared, nullptr);
      return true;
    });
  });
  runtime.script.EventName = "ms_Down";
  knob->SetEventSource(evMouseDown, "FIRE();");
  knob->RunScript(knob->Event(evMouseDown).prepared, nullptr);
  EXPECT_EQ(runtime.script.ScriptDepth, 1);
  EXPECT_NE(Log().find("Very recursion (in Knob <TQelImage #" + std::to_string(knob->Key) + "> ms_Down"),
            std::string::npos);
}

TEST_F(Game, AScriptThatDestroysItsOwnElement) {
  pool.At(1).RegisterFunction("KILL", [this](TScriptCalc&, TVarList&, TVar&) {
    screen->DestroyChild(door);
    return true;
  });
  door->SetEventSource(evInit, "A := 1; KILL();");
  door->Vars = std::make_unique<TVarList>();
  // The run must not write into the destroyed element's variables.
  door->RunScript(door->Event(evInit).prepared, door->Vars.get());
  EXPECT_EQ(screen->ChildCount(), 0);
}

TEST_F(Game, IncludesAndTheErrorLogUseTheGameDirectory) {
  // The game lives in a folder of its own, not the current directory, and
  // spells its file names in another case than the disk.
  dir.Write("Game/Lib/Common.INC", "A := 5;");
  GameDir gameDir(dir.path() / "Game");
  runtime.services.dir = &gameDir;
  TScriptCalc& calc = RunOn(door, "INCLUDE 'lib\\common.inc'; B := A;");
  EXPECT_EQ(calc.ErrorCode(), 0) << calc.ErrorMessage();
  EXPECT_EQ(ValueOf(calc, "B"), Variant::Integer(5));

  RunOn(door, "INCLUDE '..\\Game\\Lib\\Common.INC';");
  EXPECT_TRUE(ReadFile(dir.path() / "Game" / "brannoc.err").find("Can't open file") != std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "brannoc.err"));
}

TEST_F(Game, ScriptErrorsReachTheListenersWhetherOrNotTheyAreLogged) {
  db.SaveErr = false;
  std::vector<ScriptErrorReport> seen;
  runtime.scriptErrorListeners.push_back([&](const ScriptErrorReport& r) { seen.push_back(r); });
  RunOn(door, "A := 1; B := A DIV 0;");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].code, pool.At(1).ErrorCode());
  EXPECT_EQ(seen[0].message, pool.At(1).ErrorMessage());
  EXPECT_NE(seen[0].statement.find("DIV"), ByteString::npos);
  EXPECT_NE(seen[0].place.find("Door"), ByteString::npos);
  EXPECT_EQ(seen[0].event, "ms_Down");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "brannoc.err"));
}

}  // namespace
}  // namespace qel
