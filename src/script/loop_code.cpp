#include "script/loop_code.h"

#include "script/program.h"

namespace qel {

namespace {

LoopCode::Kind KindOf(uint8_t code) {
  switch (code) {
    case tkPlus: return LoopCode::kAdd;
    case tkMinus: return LoopCode::kSub;
    case tkStar: return LoopCode::kMul;
    case tkSlash: return LoopCode::kDiv;
    case tkAnd: return LoopCode::kAnd;
    case tkOr: return LoopCode::kOr;
    case tkXor: return LoopCode::kXor;
    case tkLt: return LoopCode::kLess;
    case tkGt: return LoopCode::kGreater;
    case tkLe: return LoopCode::kLessEq;
    case tkGe: return LoopCode::kGreaterEq;
    case tkEq: return LoopCode::kEqual;
    case tkNe: return LoopCode::kNotEqual;
    default: return LoopCode::kOther;
  }
}

// A statement of the body the loop code can run: an assignment of
// arithmetic to a variable or to NAME[V + c].
bool Assignment(const Stmt& s) {
  if (s.kind != St::Assign || s.hasLabel || s.cutError || s.badFollow || !s.targetValid || s.idx2) return false;
  if (!s.expr.root || s.expr.trailing || !s.expr.root->numeric) return false;
  return !s.idx1 || (!s.idx1->error && s.idx1->counter);
}

const Stmt* OnlyAssignment(const StmtList* list) {
  if (!list || list->items.size() != 1) return nullptr;
  const Stmt& s = list->items[0];
  return Assignment(s) ? &s : nullptr;
}

class LoopCompiler {
 public:
  explicit LoopCompiler(LoopCode& code) : code_(code) {}

  bool Body(const StmtList& list) {
    for (const Stmt& s : list.items) {
      stmt_ = static_cast<uint16_t>(code_.body.size());
      code_.body.push_back(&s);
      temps_ = 0;
      int steps = 0;
      if (!Statement(s, steps)) return false;
      if (steps > 0) code_.maxSteps += steps;
      if (code_.body.size() > 4096 || code_.ins.size() > 60000) return false;
    }
    return true;
  }

  // A path may step through a script variable: none of the code's may be
  // one, since the code keeps their values in registers.
  bool PathsAvoidVariables() const {
    auto avoids = [&](const ByteString& path) {
      for (const ByteString& name : code_.names) {
        size_t at = 0;
        while ((at = path.find(name, at)) != ByteString::npos) {
          const size_t end = at + name.size();
          if ((at == 0 || path[at - 1] == '.') && (end == path.size() || path[end] == '.')) return false;
          ++at;
        }
      }
      return true;
    };
    for (const ExprNode* n : code_.pathReads)
      if (!avoids(n->name)) return false;
    for (const Stmt* s : code_.pathWrites)
      if (!avoids(s->target)) return false;
    return true;
  }

  // A WHILE loop's condition, tested before each round, or an UNTIL
  // condition after it, once the loop's own step is counted.
  bool Test(const ExprUnit& u, bool until) {
    stmt_ = LoopCode::kTest;
    temps_ = 0;
    if (until) {
      LoopCode::Ins count{LoopCode::kCount};
      count.steps = 1;
      if (!Emit(count)) return false;
    }
    uint16_t cond;
    if (!Condition(u, cond)) return false;
    LoopCode::Ins in{until ? LoopCode::kLoopIf : LoopCode::kLoopUnless};
    in.a = cond;
    in.steps = until ? 0 : static_cast<uint8_t>(code_.blockSteps);
    return Emit(in);
  }

  // Numbers the registers once every constant and variable is known.
  bool Finish(const ByteString* counterName) {
    const uint16_t counter = counterName ? Variable(*counterName) : 0;
    if (!PathsAvoidVariables()) return false;
    if (counterName) code_.written[counter - kVar] = true;
    const size_t first = consts_.size(), temps = first + code_.names.size();
    if (temps + maxTemps_ > UINT16_MAX) return false;
    auto final = [&](uint16_t r) {
      if (r >= kTemp) return static_cast<uint16_t>(temps + (r - kTemp));
      if (r >= kVar) return static_cast<uint16_t>(first + (r - kVar));
      return r;
    };
    for (LoopCode::Ins& in : code_.ins) {
      in.a = final(in.a);
      in.b = final(in.b);
      in.out = final(in.out);
    }
    code_.consts = consts_;
    code_.counter = final(counter);
    code_.registers = static_cast<uint16_t>(temps + maxTemps_);
    code_.regs.assign(code_.registers, Num{});
    for (size_t k = 0; k < consts_.size(); ++k) code_.regs[k] = consts_[k];
    code_.where.resize(code_.names.size());
    code_.slots.assign(code_.names.size(), -1);
    return true;
  }

 private:
  // Until Finish, registers are numbered by kind: constants from 0,
  // variables from kVar, scratch from kTemp.
  static constexpr uint16_t kVar = 0x4000, kTemp = 0x8000;

  bool Statement(const Stmt& s, int& steps) {
    switch (s.kind) {
      case St::Assign:
        if (!Assignment(s)) return false;
        steps = 1;
        return Assign(s, 1);
      case St::If: return If(s, steps);
      case St::Case: return Case(s, steps);
      default: return false;
    }
  }

  bool Assign(const Stmt& s, uint8_t steps) {
    const ExprNode& root = *s.expr.root;
    if (!s.idx1 && HasDot(s.target)) {
      uint16_t value = Temp();
      if (!Value(root, value, 0)) return false;
      LoopCode::Ins in{LoopCode::kStorePath};
      in.b = value;
      in.target = &s;
      in.steps = steps;
      code_.pathWrites.push_back(&s);
      return Emit(in);
    }
    if (!s.idx1) {
      const uint16_t target = Variable(s.target);
      code_.written[target - kVar] = true;
      return Value(root, target, steps);
    }
    uint16_t value = Temp();
    if (!Value(root, value, 0)) return false;
    LoopCode::Ins in{LoopCode::kStoreElement};
    in.a = Variable(s.idx1->counter->name);
    in.b = value;
    in.offset = s.idx1->offset;
    in.target = &s;
    in.steps = steps;
    code_.arrayWrites.push_back(&s);
    return Emit(in);
  }

  // Computes n into register out, the last instruction finishing `steps`
  // statements.
  bool Value(const ExprNode& n, uint16_t out, uint8_t steps) {
    if (n.op == Op::Binary) {
      uint16_t a, b;
      if (!Operand(*n.a, a) || !Operand(*n.b, b)) return false;
      LoopCode::Ins in{KindOf(n.code)};
      in.code = n.code;
      in.a = a;
      in.b = b;
      in.out = out;
      in.steps = steps;
      return Emit(in);
    }
    if (n.op == Op::Var && n.idx1) return Element(n, out, steps);
    if (n.op == Op::Var && HasDot(n.name)) return Path(n, out, steps);
    uint16_t a;
    if (!Operand(n, a)) return false;
    LoopCode::Ins in{LoopCode::kMove};
    in.a = a;
    in.out = out;
    in.steps = steps;
    return Emit(in);
  }

  bool Operand(const ExprNode& n, uint16_t& r) {
    switch (n.op) {
      case Op::Const: {
        Num v;
        if (!ToNum(n.value, v)) return false;
        consts_.push_back(v);
        r = static_cast<uint16_t>(consts_.size() - 1);
        return consts_.size() < kVar;
      }
      case Op::Var:
        if (!n.idx1 && HasDot(n.name)) {
          r = Temp();
          return Path(n, r, 0);
        }
        if (!n.idx1) {
          r = Variable(n.name);
          return true;
        }
        r = Temp();
        return Element(n, r, 0);
      case Op::Binary: r = Temp(); return Value(n, r, 0);
      default: return false;
    }
  }

  bool Element(const ExprNode& n, uint16_t out, uint8_t steps) {
    if (n.idx2 || n.idx1->error || !n.idx1->counter) return false;
    LoopCode::Ins in{LoopCode::kElement};
    in.a = Variable(n.idx1->counter->name);
    in.offset = n.idx1->offset;
    in.node = &n;
    in.out = out;
    in.steps = steps;
    code_.arrayReads.push_back(&n);
    return Emit(in);
  }

  bool Path(const ExprNode& n, uint16_t out, uint8_t steps) {
    LoopCode::Ins in{LoopCode::kPath};
    in.node = &n;
    in.out = out;
    in.steps = steps;
    code_.pathReads.push_back(&n);
    return Emit(in);
  }

  // Condition into a register: a variable or constant needs no instruction.
  bool Condition(const ExprUnit& u, uint16_t& r) {
    if (!u.root || u.trailing || !u.root->numeric) return false;
    const ExprNode& n = *u.root;
    if (n.op == Op::Const || (n.op == Op::Var && !n.idx1)) return Operand(n, r);
    r = Temp();
    return Value(n, r, 0);
  }

  bool If(const Stmt& s, int& steps) {
    if (s.hasLabel || s.cutError || s.branchError) return false;
    const Stmt* then = OnlyAssignment(s.body.get());
    const Stmt* otherwise = s.elseBody ? OnlyAssignment(s.elseBody.get()) : nullptr;
    if (!then || (s.elseBody && !otherwise)) return false;
    uint16_t cond;
    if (!Condition(s.expr, cond)) return false;
    const size_t jump = code_.ins.size();
    LoopCode::Ins in{LoopCode::kJumpUnless};
    in.a = cond;
    in.steps = otherwise ? 0 : 1;  // a False condition without ELSE ends the statement
    if (!Emit(in) || !Assign(*then, 2)) return false;
    if (otherwise) {
      const size_t skip = code_.ins.size();
      if (!Emit(LoopCode::Ins{LoopCode::kJump})) return false;
      code_.ins[jump].offset = Here();
      if (!Assign(*otherwise, 2)) return false;
      code_.ins[skip].offset = Here();
    } else {
      code_.ins[jump].offset = Here();
    }
    steps = 2;
    return true;
  }

  bool Case(const Stmt& s, int& steps) {
    if (s.hasLabel || s.cutError) return false;
    uint16_t selector;
    if (!Condition(s.expr, selector)) return false;
    LoopCode::CaseTable table;
    std::vector<std::pair<const Stmt*, size_t>> branches;  // statement, first range
    const Stmt* otherwise = nullptr;
    bool ended = false;
    for (const CaseItem& item : s.cases) {
      if (item.kind == CaseItem::End) {
        ended = true;
        break;
      }
      if (item.kind == CaseItem::Fail) return false;
      const Stmt* body = OnlyAssignment(item.body.get());
      if (!body) return false;
      if (item.kind == CaseItem::Else) {
        otherwise = body;
        continue;
      }
      branches.emplace_back(body, table.ranges.size());
      for (const CaseLabel& label : item.labels) {
        if (!label.constant) return false;
        table.ranges.push_back({label.lo, label.hi, -1});
      }
    }
    if (!ended) return false;
    const int32_t index = static_cast<int32_t>(code_.cases.size());
    LoopCode::Ins in{LoopCode::kCase};
    in.a = selector;
    in.table = index;
    in.steps = 1;  // no branch taken
    if (!Emit(in)) return false;
    std::vector<size_t> exits;
    for (size_t k = 0; k < branches.size(); ++k) {
      const int32_t pc = Here();
      const size_t end = k + 1 < branches.size() ? branches[k + 1].second : table.ranges.size();
      for (size_t r = branches[k].second; r < end; ++r) table.ranges[r].pc = pc;
      if (!Assign(*branches[k].first, 2)) return false;
      exits.push_back(code_.ins.size());
      if (!Emit(LoopCode::Ins{LoopCode::kJump})) return false;
    }
    if (otherwise) {
      table.elsePc = Here();
      if (!Assign(*otherwise, 2)) return false;
    }
    table.endPc = Here();
    for (size_t e : exits) code_.ins[e].offset = table.endPc;
    code_.cases.push_back(std::move(table));
    steps = 2;
    return true;
  }

  uint16_t Variable(const ByteString& name) {
    auto& names = code_.names;
    for (size_t k = 0; k < names.size(); ++k)
      if (names[k] == name) return static_cast<uint16_t>(kVar + k);
    names.push_back(name);
    code_.written.push_back(false);
    return static_cast<uint16_t>(kVar + names.size() - 1);
  }

  uint16_t Temp() {
    const uint16_t r = static_cast<uint16_t>(kTemp + temps_++);
    if (temps_ > maxTemps_) maxTemps_ = temps_;
    return r;
  }

  bool Emit(LoopCode::Ins in) {
    in.stmt = stmt_;
    code_.ins.push_back(in);
    return temps_ < 0x3000 && code_.names.size() < 0x3000;
  }

  int32_t Here() const { return static_cast<int32_t>(code_.ins.size()); }

  LoopCode& code_;
  std::vector<Num> consts_;
  uint16_t stmt_ = 0;
  size_t temps_ = 0, maxTemps_ = 0;
};

}  // namespace

std::unique_ptr<LoopCode> CompileLoop(const Stmt& loop) {
  if ((loop.kind != St::For && loop.kind != St::While && loop.kind != St::Repeat) || !loop.body) return nullptr;
  const StmtList* list = loop.body.get();
  int blockSteps = 0;
  if (list->items.size() == 1 && list->items[0].kind == St::Block && !list->items[0].hasLabel) {
    list = list->items[0].body.get();
    blockSteps = 1;
  }
  if (list->items.empty()) return nullptr;
  auto code = std::make_unique<LoopCode>();
  code->blockSteps = blockSteps;
  code->shape = loop.kind == St::For ? LoopCode::kFor : loop.kind == St::While ? LoopCode::kWhile : LoopCode::kRepeat;
  LoopCompiler compiler(*code);
  if (code->shape == LoopCode::kWhile && !compiler.Test(loop.expr, false)) return nullptr;
  if (!compiler.Body(*list)) return nullptr;
  if (code->shape == LoopCode::kRepeat && !compiler.Test(loop.expr, true)) return nullptr;
  if (!compiler.Finish(code->shape == LoopCode::kFor ? &loop.target : nullptr)) return nullptr;
  return code;
}

}  // namespace qel
