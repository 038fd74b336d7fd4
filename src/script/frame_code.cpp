#include "script/frame_code.h"

#include "script/frame_check.h"
#include "script/program.h"
#include "script/tokens.h"

namespace qel {

namespace {

class FrameCompiler {
 public:
  FrameCompiler(const Procedure& proc, FrameCode& code) : proc_(proc), code_(code), next_(proc.frameSize) {}

  bool Run() {
    if (!List(proc_.body)) return false;
    const int32_t end = static_cast<int32_t>(code_.ins.size());
    for (size_t at : exits_) code_.ins[at].jump = end;
    Emit({.op = FrameIns::End});
    code_.registers = next_;
    code_.named = proc_.frameSize;
    return ok_ && next_ < FrameCode::kConst && code_.consts.size() < FrameCode::kConst;
  }

 private:
  size_t Emit(FrameIns in) {
    code_.ins.push_back(in);
    return code_.ins.size() - 1;
  }

  // Steps in a row are counted at once, unless a jump lands between them.
  void Step() {
    if (!code_.ins.empty() && code_.ins.back().op == FrameIns::Step && code_.ins.size() > landing_ &&
        code_.ins.back().a < UINT16_MAX) {
      ++code_.ins.back().a;
      return;
    }
    Emit({.op = FrameIns::Step, .a = 1});
  }

  // Where a jump lands: the next instruction.
  int32_t Here() {
    landing_ = code_.ins.size();
    return static_cast<int32_t>(code_.ins.size());
  }

  uint16_t Temp() {
    if (next_ >= FrameCode::kConst) ok_ = false;
    return static_cast<uint16_t>(next_++);
  }

  bool List(const StmtList& list) {
    ++lists_;
    for (const Stmt& s : list.items) {
      Step();
      if (!Statement(s)) return false;
    }
    --lists_;
    return true;
  }

  bool Statement(const Stmt& s) {
    switch (s.kind) {
      case St::Assign: Unit(s.expr, s.slot); return true;
      case St::ExprStmt: Unit(s.expr, -1); return true;
      case St::Block: return List(*s.body);
      case St::If: {
        const size_t test = Condition(s.expr);
        if (s.body && !List(*s.body)) return false;
        if (!s.elseBody) {
          code_.ins[test].jump = Here();
          return true;
        }
        const size_t skip = Emit({.op = FrameIns::Jump});
        code_.ins[test].jump = Here();
        if (!List(*s.elseBody)) return false;
        code_.ins[skip].jump = Here();
        return true;
      }
      case St::Flow: exits_.push_back(Emit({.op = FrameIns::Jump})); return true;
      default: return false;  // loops stay with the tree walk
    }
  }

  // The unit's value into out (a register, or -1 for any place); the operand
  // that holds it.
  uint16_t Unit(const ExprUnit& unit, int out) {
    writesBack_ = WritesBack(*unit.root);
    return Expr(*unit.root, out, lists_ + unit.depth, 0);
  }

  // A comparison is tested where it is computed.
  size_t Condition(const ExprUnit& unit) {
    const ExprNode& root = *unit.root;
    const bool compare = root.op == Op::Binary && (root.code == tkEq || root.code == tkNe || root.code == tkLt ||
                                                   root.code == tkGt || root.code == tkLe || root.code == tkGe);
    if (!compare) return Emit({.op = FrameIns::JumpIfNot, .a = Unit(unit, -1)});
    writesBack_ = WritesBack(root);
    const int32_t nest = lists_ + unit.depth;
    const uint16_t a = Expr(*root.a, -1, nest, 0);
    const uint16_t b = Expr(*root.b, -1, nest, 0);
    return Emit({.op = FrameIns::TestIfNot, .code = root.code, .a = a, .b = b});
  }

  uint16_t Target(int out) { return out >= 0 ? static_cast<uint16_t>(out) : Temp(); }

  uint16_t Expr(const ExprNode& n, int out, int32_t nest, int32_t depth) {
    switch (n.op) {
      case Op::Const: {
        code_.consts.push_back(n.value);
        const auto k = static_cast<uint16_t>(FrameCode::kConst | (code_.consts.size() - 1));
        if (out < 0) return k;
        Emit({.op = FrameIns::Load, .out = static_cast<uint16_t>(out), .a = k});
        return static_cast<uint16_t>(out);
      }
      case Op::Var: {
        const auto slot = static_cast<uint16_t>(n.slot);
        // Read in place unless a call of the expression may change it first.
        if (out < 0 && !writesBack_) return slot;
        const uint16_t o = Target(out);
        Emit({.op = FrameIns::Load, .out = o, .a = slot});
        return o;
      }
      case Op::Unary: {
        const uint16_t a = Expr(*n.a, -1, nest, depth);
        const uint16_t o = Target(out);
        Emit({.op = FrameIns::Unary, .code = n.code, .out = o, .a = a});
        return o;
      }
      case Op::Binary: {
        const uint16_t a = Expr(*n.a, -1, nest, depth);
        const uint16_t b = Expr(*n.b, -1, nest, depth);
        const uint16_t o = Target(out);
        Emit({.op = FrameIns::Binary, .code = n.code, .out = o, .a = a, .b = b});
        return o;
      }
      case Op::ProcCall: {
        // Arguments are evaluated inside the call, one level further in.
        std::vector<uint16_t> args;
        for (const ExprUnit& arg : n.args) args.push_back(Expr(*arg.root, -1, nest + arg.depth, depth + 1));
        const auto first = static_cast<uint16_t>(code_.args.size());
        code_.args.insert(code_.args.end(), args.begin(), args.end());
        const uint16_t o = Target(out);
        bool writesBack = false;
        for (const ByteString& name : n.argNames) writesBack = writesBack || !name.empty();
        Emit({.op = FrameIns::Call, .code = writesBack, .out = o, .a = first, .b = static_cast<uint16_t>(args.size()),
              .nest = nest, .depth = depth, .call = &n});
        return o;
      }
      default: ok_ = false; return 0;
    }
  }

  const Procedure& proc_;
  FrameCode& code_;
  int next_;
  int lists_ = 0;
  bool writesBack_ = false;
  size_t landing_ = 0;
  bool ok_ = true;
  std::vector<size_t> exits_;
};

}  // namespace

std::unique_ptr<FrameCode> CompileFrame(const Procedure& proc) {
  auto code = std::make_unique<FrameCode>();
  if (!FrameCompiler(proc, *code).Run()) return nullptr;
  return code;
}

}  // namespace qel
