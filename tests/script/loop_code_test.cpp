// Which loops the engine compiles to loop code. What the code computes is
// checked against the general way by the differential runs; here, that the
// loops worth compiling are compiled and the others are left alone.
#include <gtest/gtest.h>

#include "script/program.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

// The loop code of the program's last statement, a loop.
bool Compiled(const std::string& source) {
  TScriptCalc calc;
  ProgramRef program = calc.Prepare(source);
  EXPECT_EQ(calc.ErrorCode(), 0) << source;
  if (!program || program->main.items.empty()) return false;
  return program->main.items.back().loop != nullptr;
}

TEST(LoopCode, LoopsOverArithmeticAreCompiled) {
  for (const char* source : {
           "FOR I := 1 TO 10 DO S := S + I * 2;",
           "FOR I := 10 DOWNTO 1 DO BEGIN S := S + 1; X := I * 2 - S END;",
           "FOR I := 1 TO 10 DO BEGIN K := K + 1; IF K > 7 THEN K := 0 ELSE J := J - 1 END;",
           "FOR I := 1 TO 10 DO CASE K OF 0: A := A + 1; 1, 2: B := 1; 3 .. 5: C := C / 2; ELSE D := 0; END;",
           "FOR I := 1 TO 10 DO A[I] := A[I - 1] + B[I + 1];",
           "FOR I := 1 TO 10 DO DOOR.RX := DOOR.RX + 0.5;",
           "WHILE I < 10 DO BEGIN T := T + I; I := I + 1 END;",
           "REPEAT I := I + 1 UNTIL I >= 10;",
       })
    EXPECT_TRUE(Compiled(source)) << source;
}

TEST(LoopCode, LoopsWithAnythingElseAreLeftToTheGeneralWay) {
  for (const char* source : {
           "FOR I := 1 TO 10 DO S := S + 'a';",               // text
           "FOR I := 1 TO 10 DO S := S + Length('abc');",     // a call
           "FOR I := 1 TO 10 DO IF I > 3 THEN BREAK;",        // a jump
           "FOR I := 1 TO 10 DO IF I > 3 THEN BEGIN A := 1; B := 2 END;",  // a branch of two statements
           "FOR I := 1 TO 10 DO CASE K OF X: A := 1; END;",   // a label that is no constant
           "FOR I := 1 TO 10 DO A[I * 2] := 1;",              // an index that is no counter
           "FOR I := 1 TO 10 DO S := -S;",                    // a unary operator
           "FOR I := 1 TO 10 DO FOR J := 1 TO 2 DO S := S + 1;",  // a loop in the body
           "FOR I := 1 TO 10 DO BEGIN E := 5; X := E.RX END;",    // a path through a variable of the body
           "FOR I := 1 TO 10 DO L1: S := S + 1;",             // a label
       })
    EXPECT_FALSE(Compiled(source)) << source;
}

}  // namespace
}  // namespace qel
