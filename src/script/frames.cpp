// Framed functions (see frame_check.h) keep their parameters, RESULT and
// variables in slots of a frame stack instead of the variable list, which saves the
// stores, searches and undo records of the general call. Nothing a framed
// body does is visible outside its frames, so whenever it meets anything but
// the plain case (an error, a name not yet set, the depth limit) the whole
// call is dropped and made again the general way, which then says exactly
// what the general way says.
#include "script/machine.h"
#include "script/operators.h"

namespace qel {

namespace {

bool ReadsAny(const ExprNode& n, const std::vector<ByteString>& names, size_t count) {
  if (n.op == Op::Var)
    for (size_t j = 0; j < count; ++j)
      if (n.name == names[j]) return true;
  if (n.a && ReadsAny(*n.a, names, count)) return true;
  return n.b && ReadsAny(*n.b, names, count);
}

// Two Integers written straight into a Variant: IntPair's results, as
// SetNum would store them. False for what QuickNum must decide.
inline bool IntegerPair(uint8_t code, int64_t x, int64_t y, Variant& out) {
  Num n;
  if (!IntPair(code, x, y, n)) return false;
  SetNum(out, n);
  return true;
}

// A comparison of two Integers, as IntegerPair gives it.
inline bool IntegerTest(uint8_t code, int64_t x, int64_t y) {
  switch (code) {
    case tkEq: return x == y;
    case tkNe: return x != y;
    case tkLt: return x < y;
    case tkGt: return x > y;
    case tkLe: return x <= y;
    default: return x >= y;
  }
}

// A value as a condition, as FrameCondition takes it.
inline bool Truth(const Variant& v, bool& c) {
  if (v.kind() == VarKind::Boolean) {
    c = v.int_value() != 0;
    return true;
  }
  auto b = v.ToBoolean();
  if (!b) return false;
  c = *b;
  return true;
}

}  // namespace

bool Machine::FramesAllowed(const Procedure& proc, const ExprNode& call) const {
  if (!fast_ || !proc.framed || generalOnly_ || calc_.OnStep || calc_.StopRequested || failed() ||
      call.args.size() != proc.params.size() || callDepth_ >= kMaxCallDepth)
    return false;
  // A name the running element takes never becomes a variable.
  if (ScriptEnv* env = calc_.env())
    for (const ByteString& name : proc.reachedNames)
      if (env->MayTake(name)) return false;
  return true;
}

// Operators as the general evaluation applies them, minus the language
// table, which is left to it.
bool Machine::FrameBinary(uint8_t code, Variant& left, const Variant& right) const {
  Num a, b, c;
  if (ToNum(left, a) && ToNum(right, b) && QuickNum(code, a, b, c)) {
    SetNum(left, c);
    return true;
  }
  // The general way reports a string grown too long.
  if (ConcatTooLong(code, left, right)) return false;
  auto quoted = [](const Variant& v) {
    return v.IsString() && !v.string_value().empty() && v.string_value()[0] == '"';
  };
  if (quoted(left) || quoted(right)) return false;
  if (code == tkPlus && left.IsString() && right.IsString()) {
    left.mutable_string() += right.string_value();
    return true;
  }
  return ApplyBinary(code, left, right);
}

// An argument of the outermost framed call, read from the variable list.
bool Machine::EntryArg(const ExprNode& n, Variant& out) {
  switch (n.op) {
    case Op::Const: out = n.value; return true;
    case Op::Var: {
      if (n.idx1) return false;
      int i = FindSlot(n.name, n.var);
      if (i < 0) return false;
      out = calc_.vars_[i].Value;
      return true;
    }
    case Op::Unary:
      if (!EntryArg(*n.a, out)) return false;
      return n.code == tkMinus ? Negate(out) : LogicalNot(out);
    case Op::Binary: {
      Variant right;
      return EntryArg(*n.a, out) && EntryArg(*n.b, right) && FrameBinary(n.code, out, right);
    }
    default: return false;
  }
}

Machine::FrameRun Machine::CallFramed(const Procedure& proc, const ExprNode& call, Variant& out) {
  // Steps are counted as the general way counts them; a dropped call takes
  // back its steps, since the general way makes it again.
  uint64_t steps = steps_;
  size_t top = PushFrame(proc.frameSize);
  for (size_t k = 0; k < call.args.size(); ++k) {
    const ExprUnit& arg = call.args[k];
    Variant v;
    // An argument sees the parameters stored before it.
    if (!arg.root || arg.trailing || ReadsAny(*arg.root, proc.params, k) || !EntryArg(*arg.root, v)) {
      frameTop_ = top;
      return FrameRun::Declined;
    }
    frame_[top + static_cast<size_t>(proc.paramSlots[k])] = FrameSlot{std::move(v), true};
  }
  Variant result;
  bool ok = RunFrame(proc, top, result);
  if (ok) {
    for (size_t k = 0; k < call.args.size(); ++k) {
      if (call.argNames[k].empty()) continue;
      int i = calc_.vars_.IndexOf(call.argNames[k]);
      if (i >= 0) WriteSlot(i, frame_[top + static_cast<size_t>(proc.paramSlots[k])].value);
    }
    out = std::move(result);
  }
  frameTop_ = top;
  if (!ok) steps_ = steps;
  return ok ? FrameRun::Done : FrameRun::Dropped;
}

// A frame counts steps and native stack levels exactly where the general
// way counts them, so that both stop at the same point.
bool Machine::RunFrame(const Procedure& proc, size_t base, Variant& result) {
  if (TooDeep()) return false;
  ++callDepth_;
  nest_ += kCallLevels;
  bool ok = FrameBody(proc, base, result);
  nest_ -= kCallLevels;
  --callDepth_;
  return ok;
}

bool Machine::FrameBody(const Procedure& proc, size_t base, Variant& result) {
  bool exited = false;
  if (proc.code ? !RunCode(*proc.code, base) : !FrameList(proc.body, base, exited)) return false;
  FrameSlot& r = frame_[base + static_cast<size_t>(proc.resultSlot)];
  if (!r.set) return false;
  result = std::move(r.value);
  return true;
}

bool Machine::FrameList(const StmtList& list, size_t base, bool& exited) {
  ++nest_;
  bool ok = true;
  for (const Stmt& s : list.items) {
    if (++steps_ > budget_ || !FrameStmt(s, base, exited)) {
      ok = false;
      break;
    }
    if (exited) break;
  }
  --nest_;
  return ok;
}

bool Machine::FrameUnit(const ExprUnit& unit, size_t base, Variant& out) {
  nest_ += unit.depth;
  bool ok = FrameEval(*unit.root, base, out);
  nest_ -= unit.depth;
  return ok;
}

bool Machine::FrameStmt(const Stmt& s, size_t base, bool& exited) {
  switch (s.kind) {
    case St::Assign: {
      FrameSlot& target = frame_[base + static_cast<size_t>(s.slot)];
      Num n;
      // Arithmetic calls nothing: stored without a temporary.
      if (s.expr.root->numeric && FrameNum(*s.expr.root, base, n)) {
        SetNum(target.value, n);
        target.set = true;
        return true;
      }
      Variant v;
      if (!FrameUnit(s.expr, base, v)) return false;
      frame_[base + static_cast<size_t>(s.slot)] = FrameSlot{std::move(v), true};
      return true;
    }
    case St::ExprStmt: {
      Variant v;
      return FrameUnit(s.expr, base, v);
    }
    case St::Block: return FrameList(*s.body, base, exited);
    case St::If: {
      bool c;
      if (!FrameCondition(s.expr, base, c)) return false;
      const StmtList* branch = c ? s.body.get() : s.elseBody.get();
      return !branch || FrameList(*branch, base, exited);
    }
    case St::For: return FrameFor(s, base, exited);
    case St::While:
      while (true) {
        bool c;
        if (!FrameCondition(s.expr, base, c)) return false;
        if (!c) return true;
        if (!FrameList(*s.body, base, exited) || ++steps_ > budget_) return false;
        if (exited) return true;
      }
    case St::Repeat:
      while (true) {
        if (!FrameList(*s.body, base, exited) || ++steps_ > budget_) return false;
        if (exited) return true;
        bool c;
        if (!FrameCondition(s.expr, base, c)) return false;
        if (c) return true;
      }
    case St::Flow: exited = true; return true;
    default: return false;
  }
}

bool Machine::FrameFor(const Stmt& s, size_t base, bool& exited) {
  Variant v;
  if (!FrameUnit(s.expr, base, v)) return false;
  auto start = v.ToInt32();
  if (!start || !FrameUnit(s.bound, base, v)) return false;
  auto bound = v.ToInt32();
  if (!bound) return false;
  int64_t step = s.downto ? -1 : 1;
  for (int64_t i = *start; s.downto ? i >= *bound : i <= *bound; i += step) {
    FrameSlot& counter = frame_[base + static_cast<size_t>(s.slot)];
    // The counter must exist already, as in the general way.
    if (!counter.set) return false;
    counter.value.SetInteger(static_cast<int32_t>(i));
    if (!FrameList(*s.body, base, exited) || ++steps_ > budget_) return false;
    if (exited) return true;
  }
  return true;
}

bool Machine::FrameCondition(const ExprUnit& unit, size_t base, bool& value) {
  Num num;
  if (FrameNum(*unit.root, base, num) && num.kind == VarKind::Boolean) {
    value = num.i != 0;
    return true;
  }
  Variant v;
  if (!FrameUnit(unit, base, v)) return false;
  auto b = v.ToBoolean();
  if (!b) return false;
  value = *b;
  return true;
}

bool Machine::FrameNum(const ExprNode& n, size_t base, Num& v) const {
  switch (n.op) {
    case Op::Const: return ToNum(n.value, v);
    case Op::Var: {
      const FrameSlot& s = frame_[base + static_cast<size_t>(n.slot)];
      return s.set && ToNum(s.value, v);
    }
    case Op::Binary: {
      Num a, b;
      return FrameLeaf(*n.a, base, a) && FrameLeaf(*n.b, base, b) && QuickNum(n.code, a, b, v);
    }
    default: return false;
  }
}

// Constants and frame slots without a call.
inline bool Machine::FrameLeaf(const ExprNode& n, size_t base, Num& v) const {
  if (n.op == Op::Const) return ToNum(n.value, v);
  if (n.op == Op::Var) {
    const FrameSlot& s = frame_[base + static_cast<size_t>(n.slot)];
    return s.set && ToNum(s.value, v);
  }
  return FrameNum(n, base, v);
}

bool Machine::FrameEval(const ExprNode& n, size_t base, Variant& out, bool numTried) {
  switch (n.op) {
    case Op::Const: out = n.value; return true;
    case Op::Var: {
      const FrameSlot& s = frame_[base + static_cast<size_t>(n.slot)];
      if (!s.set) return false;
      out = s.value;
      return true;
    }
    case Op::ProcCall: return FrameCall(n, base, out);
    case Op::Unary:
      if (!FrameEval(*n.a, base, out)) return false;
      return n.code == tkMinus ? Negate(out) : LogicalNot(out);
    case Op::Binary: {
      if (n.numeric && !numTried) {
        Num v;
        if (FrameNum(n, base, v)) {
          SetNum(out, v);
          return true;
        }
        numTried = true;
      }
      Variant right;
      return FrameEval(*n.a, base, out, numTried) && FrameEval(*n.b, base, right, numTried) &&
             FrameBinary(n.code, out, right);
    }
    default: return false;
  }
}

bool Machine::FrameCall(const ExprNode& n, size_t base, Variant& out) {
  const Procedure& proc = *n.callee;
  if (TooDeep()) return false;
  ++callDepth_;
  nest_ += kCallLevels;
  bool ok = FrameCallBody(proc, n, base, out);
  nest_ -= kCallLevels;
  --callDepth_;
  return ok;
}

bool Machine::FrameCallBody(const Procedure& proc, const ExprNode& n, size_t base, Variant& out) {
  size_t top = PushFrame(proc.frameSize);
  for (size_t k = 0; k < n.args.size(); ++k) {
    FrameSlot& param = frame_[top + static_cast<size_t>(proc.paramSlots[k])];
    Num v;
    if (n.args[k].root->numeric && FrameNum(*n.args[k].root, base, v)) {
      SetNum(param.value, v);
      param.set = true;
      continue;
    }
    Variant value;
    if (!FrameUnit(n.args[k], base, value)) return false;
    frame_[top + static_cast<size_t>(proc.paramSlots[k])] = FrameSlot{std::move(value), true};
  }
  if (!FrameBody(proc, top, out)) return false;
  // Parameters passed as plain names are in-out.
  for (size_t k = 0; k < n.args.size(); ++k) {
    if (n.argNames[k].empty()) continue;
    frame_[base + static_cast<size_t>(n.args[k].root->slot)].value =
        frame_[top + static_cast<size_t>(proc.paramSlots[k])].value;
  }
  frameTop_ = top;
  return true;
}

// A binary operator of frame code: out may be one of the operands.
[[gnu::always_inline]] inline bool Machine::CodeBinary(uint8_t code, const Variant& l, const Variant& r,
                                                       Variant& out) const {
  if (l.kind() == VarKind::Integer && r.kind() == VarKind::Integer &&
      IntegerPair(code, l.int_value(), r.int_value(), out))
    return true;
  Num x, y, z;
  if (ToNum(l, x) && ToNum(r, y) && QuickNum(code, x, y, z)) {
    SetNum(out, z);
    return true;
  }
  Variant t = l;
  if (!FrameBinary(code, t, r)) return false;
  out = std::move(t);
  return true;
}

const Variant* Machine::CodeOperand(const FrameCode& code, uint16_t r, size_t base) const {
  if (r & FrameCode::kConst) return &code.consts[r & ~FrameCode::kConst];
  const FrameSlot& s = frame_[base + r];
  return s.set ? &s.value : nullptr;
}

bool Machine::RunCode(const FrameCode& code, size_t base) {
  // Levels and calls of the frame itself: a call inside sets its own from
  // these, as the tree walk would have them there.
  const int nest = nest_, depth = callDepth_;
  const FrameIns* ins = code.ins.data();
  for (size_t pc = 0;;) {
    const FrameIns& in = ins[pc++];
    switch (in.op) {
      case FrameIns::Step:
        steps_ += in.a;
        if (steps_ > budget_) return false;
        break;
      case FrameIns::Load: {
        const Variant* v = CodeOperand(code, in.a, base);
        if (!v) return false;
        FrameSlot& o = frame_[base + in.out];
        if (&o.value != v) o.value = *v;
        o.set = true;
        break;
      }
      case FrameIns::Unary: {
        const Variant* v = CodeOperand(code, in.a, base);
        if (!v) return false;
        Variant t = *v;
        if (!(in.code == tkMinus ? Negate(t) : LogicalNot(t))) return false;
        FrameSlot& o = frame_[base + in.out];
        o.value = std::move(t);
        o.set = true;
        break;
      }
      case FrameIns::Binary: {
        const Variant* l = CodeOperand(code, in.a, base);
        const Variant* r = CodeOperand(code, in.b, base);
        if (!l || !r) return false;
        if (!CodeBinary(in.code, *l, *r, frame_[base + in.out].value)) return false;
        frame_[base + in.out].set = true;
        break;
      }
      case FrameIns::TestIfNot: {
        const Variant* l = CodeOperand(code, in.a, base);
        const Variant* r = CodeOperand(code, in.b, base);
        if (!l || !r) return false;
        bool c;
        if (l->kind() == VarKind::Integer && r->kind() == VarKind::Integer) {
          c = IntegerTest(in.code, l->int_value(), r->int_value());
        } else {
          Variant v;
          if (!CodeBinary(in.code, *l, *r, v) || !Truth(v, c)) return false;
        }
        if (!c) pc = static_cast<size_t>(in.jump);
        break;
      }
      case FrameIns::Call: {
        nest_ = nest + in.nest + in.depth * kCallLevels;
        callDepth_ = depth + in.depth;
        const bool ok = CodeCall(code, in, base);
        nest_ = nest;
        callDepth_ = depth;
        if (!ok) return false;
        break;
      }
      case FrameIns::JumpIfNot: {
        const Variant* v = CodeOperand(code, in.a, base);
        bool c;
        if (!v || !Truth(*v, c)) return false;
        if (!c) pc = static_cast<size_t>(in.jump);
        break;
      }
      case FrameIns::Jump: pc = static_cast<size_t>(in.jump); break;
      case FrameIns::End: return true;
    }
  }
}

bool Machine::CodeCall(const FrameCode& code, const FrameIns& in, size_t base) {
  if (TooDeep()) return false;
  ++callDepth_;
  nest_ += kCallLevels;
  const ExprNode& n = *in.call;
  const Procedure& callee = *n.callee;
  size_t top;
  if (callee.code) {
    // Only the named slots start unset.
    top = frameTop_;
    const size_t need = top + static_cast<size_t>(callee.frameSize);
    if (frame_.size() < need) frame_.resize(need);
    for (size_t k = top, named = top + static_cast<size_t>(callee.code->named); k < named; ++k) frame_[k].set = false;
    frameTop_ = need;
  } else {
    top = PushFrame(callee.frameSize);
  }
  for (size_t k = 0; k < in.b; ++k) {
    const Variant* v = CodeOperand(code, code.args[in.a + k], base);
    if (!v) return false;
    FrameSlot& param = frame_[top + static_cast<size_t>(callee.paramSlots[k])];
    param.value = *v;
    param.set = true;
  }
  bool exited = false;
  if (callee.code ? !RunCode(*callee.code, top) : !FrameList(callee.body, top, exited)) return false;
  if (!frame_[top + static_cast<size_t>(callee.resultSlot)].set) return false;
  // Parameters passed as plain names are in-out.
  if (in.code)
    for (size_t k = 0; k < in.b; ++k) {
      if (n.argNames[k].empty()) continue;
      frame_[base + static_cast<size_t>(n.args[k].root->slot)].value =
          frame_[top + static_cast<size_t>(callee.paramSlots[k])].value;
    }
  FrameSlot& o = frame_[base + in.out];
  o.value = std::move(frame_[top + static_cast<size_t>(callee.resultSlot)].value);
  o.set = true;
  frameTop_ = top;
  return true;
}

}  // namespace qel
