#pragma once
// The body of a framed function as a list of register operations, so that
// a call runs one loop instead of walking statement lists and expression
// trees. Registers are the frame's named slots followed by temporaries.
// Every operation fails (and the whole framed call is made again the
// general way) exactly where the tree walk of frames.cpp would: steps are
// counted per statement, and a call checks the recursion limits with the
// depth and native levels the tree walk would have at that point.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/variant.h"

namespace qel {

struct ExprNode;
struct Procedure;

struct FrameIns {
  enum Op : uint8_t {
    Step,       // one statement of a list
    Load,       // out := a
    Unary,      // out := code a
    Binary,     // out := a code b
    Call,       // out := the framed function of call, arguments args[a .. a + b)
    JumpIfNot,  // a as a condition; false: go to jump
    TestIfNot,  // a code b as a condition; false: go to jump
    Jump,
    End,
  };
  Op op = End;
  uint8_t code = 0;  // operator token; Call: 1 when an argument is written back
  uint16_t out = 0;
  uint16_t a = 0, b = 0;  // registers, or constants when kConst is set
  int32_t jump = 0;
  // Call: native levels above the frame's and routine calls in progress
  // inside the expression, where the tree walk makes this call.
  int32_t nest = 0, depth = 0;
  const ExprNode* call = nullptr;
};

struct FrameCode {
  static constexpr uint16_t kConst = 0x8000;
  std::vector<FrameIns> ins;
  std::vector<Variant> consts;
  std::vector<uint16_t> args;  // argument operands of the calls
  int registers = 0;
  int named = 0;  // registers that are named slots; the rest are written before read
};

// Null when the body holds what this form does not take (loops), or more
// registers or constants than an operand can name.
std::unique_ptr<FrameCode> CompileFrame(const Procedure& proc);

}  // namespace qel
