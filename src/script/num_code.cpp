#include "script/num_code.h"

#include "script/program.h"

namespace qel {

namespace {

struct Flattener {
  std::vector<Num> consts;
  std::vector<const ExprNode*> leaves;
  // Operands by kind until the registers are numbered: constant k is
  // (kConst, k), leaf k is (kLeaf, k), result of instruction k is (kTemp, k).
  enum Kind : uint8_t { kConst, kLeaf, kTemp };
  struct Ref {
    Kind kind;
    uint16_t n;
  };
  struct Pending {
    uint8_t code;
    Ref left, right;
  };
  std::vector<Pending> ins;
  bool ok = true;

  Ref Operand(const ExprNode& n) {
    switch (n.op) {
      case Op::Binary: return Emit(n);
      case Op::Const: {
        Num v;
        if (!ToNum(n.value, v) || consts.size() >= NumCode::kMaxLeaves) break;
        consts.push_back(v);
        return {kConst, static_cast<uint16_t>(consts.size() - 1)};
      }
      case Op::Var:
        if (leaves.size() >= NumCode::kMaxLeaves) break;
        leaves.push_back(&n);
        return {kLeaf, static_cast<uint16_t>(leaves.size() - 1)};
      default: break;
    }
    ok = false;
    return {kConst, 0};
  }

  Ref Emit(const ExprNode& n) {
    if (!ok || ins.size() >= NumCode::kMaxLeaves) {
      ok = false;
      return {kConst, 0};
    }
    Ref left = Operand(*n.a);
    Ref right = Operand(*n.b);
    ins.push_back({n.code, left, right});
    return {kTemp, static_cast<uint16_t>(ins.size() - 1)};
  }

  uint16_t Register(Ref r) const {
    switch (r.kind) {
      case kConst: return r.n;
      case kLeaf: return static_cast<uint16_t>(consts.size() + r.n);
      default: return static_cast<uint16_t>(consts.size() + leaves.size() + r.n);
    }
  }
};

}  // namespace

std::unique_ptr<NumCode> FlattenNumeric(const ExprNode& n) {
  if (!n.numeric || n.op != Op::Binary) return nullptr;
  Flattener f;
  f.Emit(n);
  if (!f.ok) return nullptr;
  auto code = std::make_unique<NumCode>();
  for (size_t k = 0; k < f.ins.size(); ++k) {
    const auto& p = f.ins[k];
    code->ins.push_back({p.code, f.Register(p.left), f.Register(p.right),
                         f.Register({Flattener::kTemp, static_cast<uint16_t>(k)})});
  }
  code->leaves = f.leaves;
  code->firstLeaf = static_cast<uint16_t>(f.consts.size());
  code->regs = f.consts;
  code->regs.resize(f.consts.size() + f.leaves.size() + f.ins.size());
  code->slots.assign(f.leaves.size(), -1);
  return code;
}

void FlattenTree(ExprNode& n) {
  if (n.numeric && n.op == Op::Binary) {
    n.flat = FlattenNumeric(n);
    if (n.flat) return;
  }
  if (n.a) FlattenTree(*n.a);
  if (n.b) FlattenTree(*n.b);
}

}  // namespace qel
