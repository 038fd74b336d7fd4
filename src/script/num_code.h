#pragma once
// Arithmetic subtrees flattened into postfix code, so that the loops of a
// script evaluate them without recursion: constants already converted,
// variables found once for every operand while the variable list keeps its
// names. The code reads only; it computes what the tree walk computes and
// gives up at the same points.
#include <cstdint>
#include <memory>
#include <vector>

#include "script/fast_numbers.h"

namespace qel {

struct ExprNode;

struct NumCode {
  // One binary operator on three registers.
  struct Ins {
    uint8_t code;  // operator token
    uint16_t left, right, out;
  };
  static constexpr size_t kMaxLeaves = 256;

  std::vector<Ins> ins;
  // Operands not computed by an instruction, in register order after the
  // constants: plain variables and array elements.
  std::vector<const ExprNode*> leaves;
  uint16_t firstLeaf = 0;  // register of leaves[0]; constants come before
  // Registers: the constants (written once), the leaves (read at the
  // start of each run) and one result per instruction. Scratch of one run:
  // numeric code calls nothing, so no run starts while another is going.
  mutable std::vector<Num> regs;
  // Where each plain leaf was for the list whose stamp is bound, and the
  // statement's target when the code is an assignment's whole value.
  mutable uint64_t bound = 0;
  mutable std::vector<int> slots;
  mutable int target = -1;
};

// In NumCode::slots and target: a name that is no variable, read or written
// through the element path it remembers.
constexpr int kPathSlot = -2;

// Flattens the numeric subtree under n; null when it is too large or too
// deep for the fixed stack, or has nothing to gain (a single operand).
std::unique_ptr<NumCode> FlattenNumeric(const ExprNode& n);

// Gives every maximal numeric subtree of the tree under n its flat code.
void FlattenTree(ExprNode& n);

}  // namespace qel
