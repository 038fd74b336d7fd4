// Names that lead into the element tree remember where they led. These runs
// change everything the memory depends on between two uses of one site, and
// every run must come out as it does without any memory.
#include <gtest/gtest.h>

#include <cstdlib>

#include "differential/differential.h"
#include "differential/path_program.h"
#include "elements/qel_db.h"
#include "script/interpreter_pool.h"

namespace qel {
namespace {

uint32_t FromEnvironment(const char* name, uint32_t fallback) {
  const char* v = std::getenv(name);
  return v && *v ? static_cast<uint32_t>(std::strtoul(v, nullptr, 10)) : fallback;
}

// The outcome with remembered paths, after checking it against the general way.
std::string Outcome(const std::string& program) {
  DifferentialRunner runner;
  std::string report = runner.Compare(program);
  EXPECT_EQ(report, "") << program;
  return runner.Run(program, true).state;
}

bool Has(const std::string& state, const std::string& line) { return state.find(line + "\n") != std::string::npos; }

TEST(PathSites, RandomPathProgramsGiveTheSameOutcomeBothWays) {
  const uint32_t first = FromEnvironment("QEL_DIFF_FIRST", 1);
#if defined(__SANITIZE_ADDRESS__)
  const uint32_t defaultCount = 200;
#else
  const uint32_t defaultCount = 1500;
#endif
  const uint32_t count = FromEnvironment("QEL_DIFF_SEEDS", defaultCount);
  DifferentialRunner runner;
  int failures = 0, clean = 0;
  for (uint32_t seed = first; seed < first + count && failures < 3; ++seed) {
    SeededChoices choices(seed);
    std::string program = RandomPathProgram(choices);
    std::string report = runner.Compare(program);
    if (!report.empty()) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << "\n" << program << report;
    }
    clean += runner.Run(program, true).state.find("error ") == std::string::npos;
  }
  // Many programs must run to the end, or the sites are hardly used twice.
  EXPECT_GT(clean, static_cast<int>(count / 5));
}

TEST(PathSites, RenamedElementIsFoundUnderItsNewName) {
  std::string s = Outcome(
      "I := 0; FOR I := 1 TO 4 DO BEGIN KNOB.RX := KNOB.RX + 1; BOLT.RX := 7;"
      "  IF I = 2 THEN BEGIN KNOB.ID := 'Bolt'; BOLT.RY := 5; BOLT.ID := 'Knob' END END;"
      "A := KNOB.RX; B := KNOB.RY;");
  EXPECT_PRED2(Has, s, "A = Float 4");
  EXPECT_PRED2(Has, s, "B = Float 5");
  EXPECT_PRED2(Has, s, "BOLT.RX = Integer 7");  // no Bolt at the first round: a variable, which then wins
}

TEST(PathSites, VariablesOfElementsHideChildrenAndProperties) {
  std::string s = Outcome(
      "I := 0; FOR I := 1 TO 4 DO BEGIN KNOB.RX := KNOB.RX + 1; RX := RX + 10;"
      "  IF I = 2 THEN BEGIN TREEVAR(SELF, 'KNOB', SELF); TREEVAR(SELF, 'RX', 100) END;"
      "  IF I = 3 THEN BEGIN TREEUNVAR(SELF, 'KNOB'); TREEUNVAR(SELF, 'RX') END END;"
      "A := KNOB.RX; B := RX; C := SELF.RX;");
  // The third round wrote the door's variable RX twice, then dropped it.
  EXPECT_PRED2(Has, s, "A = Float 3");
  EXPECT_PRED2(Has, s, "B = Float 30");
  EXPECT_PRED2(Has, s, "C = Float 30");
}

TEST(PathSites, MadeDestroyedAndMovedElements) {
  std::string s = Outcome(
      "I := 0; E := TREEMAKE(SELF, 'Knob');"
      "FOR I := 1 TO 5 DO BEGIN KNOB.RY := KNOB.RY + I;"
      "  IF I = 2 THEN TOFRONT(CHILD1); IF I = 3 THEN TREEDROP(KNOB); IF I = 4 THEN TREEMAKE(SELF, 'knob') END;"
      "A := E.RY; B := KNOB.RY; C := CHILD2.RY;");
  // The first Knob moves behind the new one, which takes round 3 and is destroyed.
  EXPECT_PRED2(Has, s, "A = Byte 0");
  EXPECT_PRED2(Has, s, "B = Float 12");
  EXPECT_PRED2(Has, s, "C = Float 0");
}

TEST(PathSites, ScriptVariablesAndAnotherRunningElement) {
  std::string s = Outcome(
      "I := 0; FOR I := 1 TO 4 DO BEGIN RX := RX + 1; KNOB.RX := KNOB.RX + 1;"
      "  IF I = 2 THEN KNOB := PARENT; IF I = 3 THEN TREEENTER(QELDB.ROOM.DOOR.KNOB) END;"
      "A := QELDB.ROOM.DOOR.RX; B := QELDB.ROOM.DOOR.KNOB.RX;");
  // The door's child KNOB wins over the script variable; the knob has no
  // child KNOB, so from it the variable leads to the room, which has no RX.
  EXPECT_PRED2(Has, s, "A = Float 3");
  EXPECT_PRED2(Has, s, "B = Float 4");
  EXPECT_PRED2(Has, s, "KNOB.RX = Integer 1");
}

// One compiled script run in two games: what it remembered of the first
// must not lead it astray in the second.
TEST(PathSites, OneProgramInTwoGames) {
  struct Game {
    Runtime runtime;
    TQelDB root{&runtime};
    InterpreterPool pool{runtime, root, [](TScriptCalc&) {}};
    explicit Game(bool withKnob) {
      TQelElement* door = root.CreateChild("TQelScreen")->CreateChild("TQelImage");
      if (withKnob) door->CreateChild("TQelImage")->SetId("Knob");
      runtime.script.CurrentElement = door->Handle();
    }
  } a(true), b(false);
  ProgramRef p = a.pool.At(0).Prepare("KNOB.RX := KNOB.RX + 1;");
  ASSERT_TRUE(a.pool.At(0).Run(p));
  EXPECT_EQ(a.pool.At(0).Variables().Count(), 0);
  EXPECT_FALSE(b.pool.At(0).Run(p));
  EXPECT_EQ(b.pool.At(0).ErrorMessage(), "Variable not found: KNOB.RX");
}

TEST(PathSites, ScriptVariablesThatReferToElements) {
  std::string s = Outcome(
      "I := 0; E := KNOB; F := 0;"
      "FOR I := 1 TO 6 DO BEGIN E.RX := E.RX + 1; F := F + E.RX;"
      "  IF I = 2 THEN E := SELF; IF I = 3 THEN G := 1; IF I = 4 THEN KNOB.ID := 'E';"
      "  IF I = 5 THEN BEGIN E.ID := 'Knob'; E := 5 END END;");
  // Rounds 1-2 the knob, 3-4 the door; at round 5 the knob, now the door's
  // child E, hides the variable; at round 6 E is 5, which leads nowhere.
  EXPECT_PRED2(Has, s, "F = Float 9");
  EXPECT_PRED2(Has, s, "error 3 Variable not found: E.RX");
}

TEST(PathSites, KeywordThatComesAndGoes) {
  // CURSOR names the cursor element only while there is one; until then a
  // script variable of that name stands for it.
  std::string s = Outcome(
      "I := 0; CURSOR := 0; SETVAR('CURSOR', KNOB);"
      "FOR I := 1 TO 4 DO BEGIN CURSOR.RX := CURSOR.RX + 1; IF I = 2 THEN SELF.CURSOR := SELF END;"
      "A := KNOB.RX; B := RX;");
  EXPECT_PRED2(Has, s, "A = Float 2");
  EXPECT_PRED2(Has, s, "B = Float 2");
}

// One compiled script on two interpreters of one game, whose variables
// stand in different places: each must find its own E.
TEST(PathSites, OneProgramOnTwoInterpreters) {
  Runtime runtime;
  TQelDB root(&runtime);
  TQelElement* door = root.CreateChild("TQelScreen")->CreateChild("TQelImage");
  TQelElement* knob = door->CreateChild("TQelImage");
  knob->SetId("Knob");
  InterpreterPool pool(runtime, root, [](TScriptCalc&) {});
  runtime.script.CurrentElement = door->Handle();
  TScriptCalc& a = pool.At(0);
  TScriptCalc& b = pool.At(1);
  ASSERT_TRUE(a.Run(a.Prepare("E := KNOB;")));
  ASSERT_TRUE(b.Run(b.Prepare("K := KNOB; E := SELF;")));
  ProgramRef p = a.Prepare("E.RX := E.RX + 1;");
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(a.Run(p));
    ASSERT_TRUE(b.Run(p));
  }
  EXPECT_EQ(knob->XValue(), 3);
  EXPECT_EQ(door->XValue(), 3);
}

// A variable of the root named like one of the root's own values: every
// write must still reach the root's own handling, not only the first.
TEST(PathSites, RootVariableNamedLikeARootValue) {
  for (bool fast : {true, false}) {
    Runtime runtime;
    TQelDB root(&runtime);
    root.Vars = std::make_unique<TVarList>();
    root.Vars->Append("VOLMUZ", Variant::Integer(50));
    InterpreterPool pool(runtime, root, [](TScriptCalc&) {});
    pool.SetFastPaths(fast);
    runtime.script.CurrentElement = root.Handle();
    ASSERT_TRUE(pool.At(0).Run(pool.At(0).Prepare("I := 0; FOR I := 1 TO 3 DO SELF.VOLMUZ := SELF.VOLMUZ + 10;")));
    EXPECT_EQ(runtime.shell.MusicVolume, 80) << fast;
  }
}

}  // namespace
}  // namespace qel
