#pragma once
// FOR, WHILE and REPEAT loops whose bodies are arithmetic on numbers, compiled once into
// register code: the control variable and every plain variable of the body
// live in registers while the loop runs, and are written back to the
// variable list when it ends or when an instruction meets something the
// general rules must decide. Each statement of the body writes its variable
// or element only with its last instruction, so a statement that gives up
// has changed nothing and can run again the general way.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/encoding.h"
#include "script/fast_numbers.h"
#include "script/name_cache.h"

namespace qel {

struct ExprNode;
struct Stmt;

struct LoopCode {
  enum Kind : uint8_t {
    // out := a (operator) b. One kind per common operator, so that the
    // dispatch already knows what to compute.
    kAdd, kSub, kMul, kDiv, kAnd, kOr, kXor, kLess, kGreater, kLessEq, kGreaterEq, kEqual, kNotEqual,
    kOther,         // any other operator: the shared fast rules
    kMove,          // out := a
    kElement,       // out := NAME[a + offset]
    kStoreElement,  // NAME[a + offset] := b
    kPath,          // out := an element's property or variable, by its remembered path
    kStorePath,     // the same := b
    kJumpUnless,    // a is a Boolean: on False jump, else go on
    kLoopUnless,    // a is a Boolean: on False the loop ends, else its body runs
    kLoopIf,        // a is a Boolean: on True the loop ends, else the next round starts
    kCount,         // only counts its steps
    kJump,
    kCase,          // a is an Integer: jump to the branch whose labels hold it
  };
  struct Ins {
    Kind kind;
    uint8_t code = 0;   // operator token
    uint8_t steps = 0;  // statements finished when this instruction succeeds (or jumps)
    uint16_t stmt = 0;  // statement of the body it belongs to
    uint16_t a = 0, b = 0, out = 0;
    int32_t offset = 0;  // index offset, or jump target
    int32_t table = -1;  // CASE table
    const ExprNode* node = nullptr;  // element or path read
    const Stmt* target = nullptr;    // element or path write
  };
  struct CaseRange {
    int32_t lo, hi, pc;
  };
  struct CaseTable {
    std::vector<CaseRange> ranges;
    int32_t elsePc = -1;  // -1: none
    int32_t endPc = 0;
  };

  // Instructions of a WHILE or UNTIL condition belong to no statement of
  // the body.
  static constexpr uint16_t kTest = 0xFFFF;
  enum Shape : uint8_t { kFor, kWhile, kRepeat } shape = kFor;

  std::vector<Ins> ins;
  std::vector<CaseTable> cases;
  // The body's statements, for finishing a round the general way.
  std::vector<const Stmt*> body;
  // Registers: constants, then variables, then the scratch of one statement.
  std::vector<Num> consts;
  std::vector<ByteString> names;  // the variables, the control variable among them
  std::vector<bool> written;      // by variable: assigned by the body or the loop
  // Arrays read or written: their names must not be variables.
  std::vector<const ExprNode*> arrayReads;
  std::vector<const Stmt*> arrayWrites;
  // Dotted names that lead into the element tree: they must not be variables.
  std::vector<const ExprNode*> pathReads;
  std::vector<const Stmt*> pathWrites;
  uint16_t counter = 0;  // register of the control variable
  uint16_t registers = 0;
  int maxSteps = 0;    // most steps one round's statements can take
  int blockSteps = 0;  // 1 when the body is a BEGIN ... END block

  // Run state: where each variable is, and the registers.
  mutable std::vector<NameCache> where;
  mutable std::vector<int> slots;
  mutable std::vector<Num> regs;

  uint16_t firstVar() const { return static_cast<uint16_t>(consts.size()); }
};

// The loop code of a FOR, WHILE or REPEAT statement, or null when it has anything
// else than assignments of arithmetic, IF and CASE over such assignments.
std::unique_ptr<LoopCode> CompileLoop(const Stmt& loop);

}  // namespace qel
