// Expression evaluation over the compiled trees.
#include <algorithm>
#include <charconv>

#include "script/machine.h"
#include "script/operators.h"
#include "script/string_limit.h"

namespace qel {

namespace {

void AppendInt(ByteString& s, int64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  s.append(buf, r.ptr);
}

}  // namespace

void Machine::Fail(const ErrorInfo& e) { Fail(e.message, e.text, e.code); }

void Machine::Fail(const ByteString& message, TokenRange text, int code) {
  if (failed()) return;
  calc_.SetError(message, Encode(text), code);
}

bool Machine::EvalUnit(const ExprUnit& unit, Variant& out) {
  out.Reset();
  if (failed()) return false;
  if (!unit.root) {
    Fail("Empty string - not expression", unit.text, 1);
    return false;
  }
  const ExprUnit* saved = unit_;
  unit_ = &unit;
  nest_ += unit.depth;
  Eval(*unit.root, out);
  nest_ -= unit.depth;
  unit_ = saved;
  return !failed() && !unit.trailing;
}

bool Machine::EvalWhilePreparing(const Program& program, const ExprUnit& unit, Variant& out) {
  const Program* savedProgram = program_;
  int savedLevel = blockLevel_;
  program_ = &program;
  blockLevel_ = 0;
  bool ok = EvalUnit(unit, out);
  blockLevel_ = savedLevel;
  program_ = savedProgram;
  return ok;
}

void Machine::Eval(const ExprNode& n, Variant& out, bool numTried) {
  switch (n.op) {
    case Op::Const: out = n.value; return;
    case Op::Var: ReadVar(n, out); return;
    case Op::Call: CallHost(n, out); return;
    case Op::ProcCall: CallProc(n, out); return;
    case Op::Fail: Fail(*n.fail); return;
    case Op::FailAfter:
      Eval(*n.a, out);
      Fail(*n.fail);
      return;
    case Op::Unary:
      Eval(*n.a, out);
      if (failed()) return;
      if (!(n.code == tkMinus ? Negate(out) : LogicalNot(out))) OperandFail(n.code);
      return;
    case Op::Binary: {
      // Arithmetic on plain numbers first, once for the whole numeric
      // subtree: when it gives up, the parts below do not try again.
      if (n.numeric && !numTried) {
        Num v;
        if (EvalNum(n, v)) {
          SetNum(out, v);
          return;
        }
        numTried = true;
      }
      Eval(*n.a, out, numTried);
      if (failed()) return;
      Variant right;
      Eval(*n.b, right, numTried);
      if (failed()) return;
      if (fast_ && FastNumbers(n.code, out, right, out)) return;
      if (fast_ && n.code == tkPlus && out.IsString() && right.IsString() && (out.string_value().empty() || out.string_value()[0] != '"') &&
          (right.string_value().empty() || right.string_value()[0] != '"') &&
          StringFits(out.string_value().size(), right.string_value().size())) {
        out.mutable_string() += right.string_value();
        return;
      }
      ApplyGeneral(n.code, out, right);
      return;
    }
  }
}

void Machine::OperandFail(uint8_t code) {
  Fail(ByteString("Invalid operand types for \"") + TokenText(code) + "\"", unit_->text, 5);
}

// The general rule for a binary operator: text keys looked up first.
void Machine::ApplyGeneral(uint8_t code, Variant& out, Variant& right) {
  ScriptEnv* env = calc_.env();
  for (Variant* v : {&out, &right}) {
    // A double-quoted text is a key of the language table.
    if (!env || !v->IsString() || v->string_value().empty() || v->string_value()[0] != '"') continue;
    const ByteString& s = v->string_value();
    ByteString text = env->GetLangText(s.size() >= 2 ? s.substr(1, s.size() - 2) : ByteString());
    if (!text.empty()) *v = Variant::String(std::move(text));
  }
  if (ConcatTooLong(code, out, right)) {
    Fail(StringTooLong(out.string_value().size(), right.string_value().size()), unit_->text, 5);
    return;
  }
  if (!ApplyBinary(code, out, right)) OperandFail(code);
}

// Arithmetic on variables and constants, the stuff of loops, without a
// Variant for each partial result. It reads only existing variables and
// calls nothing, so when it gives up the general path may start over.
bool Machine::EvalNum(const ExprNode& n, Num& v) {
  if (!fast_) return false;
  return n.flat ? RunFlat(*n.flat, v) : NumOf(n, v);
}

// Finds every plain operand of the code for the list as it is now; false
// when one is no variable and no element path may stand for it (the
// general path then reads it).
bool Machine::BindFlat(const NumCode& code) {
  const bool paths = calc_.env() != nullptr;
  for (size_t k = 0; k < code.leaves.size(); ++k) {
    const ExprNode& leaf = *code.leaves[k];
    int i = -1;  // an array element, found at each run
    if (!leaf.idx1 && (i = FindSlot(leaf.name, leaf.var)) < 0) {
      // No variable while the names stay: an element property, read
      // through its remembered path at each run.
      if (!paths) return false;
      i = kPathSlot;
    }
    code.slots[k] = i;
  }
  code.target = -1;
  code.bound = calc_.vars_.stamp();
  return true;
}

// Runs bound code; result points at its value in the registers.
[[gnu::always_inline]] inline bool Machine::FlatResult(const NumCode& code, const Num*& result) {
  const TVarList& vars = calc_.vars_;
  Num* regs = code.regs.data();
  Num* leaf = regs + code.firstLeaf;
  const size_t leaves = code.slots.size();
  for (size_t k = 0; k < leaves; ++k) {
    int slot = code.slots[k];
    if (slot == kPathSlot) {
      if (!PathNum(*code.leaves[k], leaf[k])) return false;
      continue;
    }
    const Variant* p = slot >= 0 ? &vars[slot].Value : PeekElement(*code.leaves[k]);
    if (!p || !ToNum(*p, leaf[k])) return false;
  }
  for (const NumCode::Ins& in : code.ins) {
    const Num& l = regs[in.left];
    const Num& r = regs[in.right];
    Num& o = regs[in.out];
    if (l.kind == VarKind::Integer && r.kind == VarKind::Integer) {
      if (IntPair(in.code, l.i, r.i, o)) continue;
    } else if (l.kind == VarKind::Float && r.kind == VarKind::Float) {
      if (FloatPair(in.code, l.f, r.f, o)) continue;
    }
    if (!FastNum(in.code, l, r, o)) return false;
  }
  result = &regs[code.ins.back().out];
  return true;
}

bool Machine::RunFlat(const NumCode& code, Num& out) {
  if (code.bound != calc_.vars_.stamp() && !BindFlat(code)) return false;
  const Num* result;
  if (!FlatResult(code, result)) return false;
  out.kind = result->kind;
  out.i = result->i;
  out.f = result->f;
  return true;
}

// NAME := arithmetic with flat code, its target found with its operands:
// false, with nothing changed, when the general path must run.
bool Machine::AssignFlat(const Stmt& s, const NumCode& code) {
  TVarList& vars = calc_.vars_;
  if (code.bound != vars.stamp() || code.target == -1) {
    if (!BindFlat(code)) return false;
    code.target = FindSlot(s.target, s.var);
    // No variable: an element property, written through its path.
    if (code.target < 0) {
      if (!calc_.env()) return false;
      code.target = kPathSlot;
    }
  }
  const Num* result;
  if (code.target == kPathSlot) return FlatResult(code, result) && PathInPlace(s, *result);
  if (NeedsUndo(code.target)) return false;
  if (!FlatResult(code, result)) return false;
  SetNum(vars[code.target].Value, *result);
  return true;
}

// Constants and plain variables are read in place, without a call: they
// are most of the operands of loops.
inline bool Machine::LeafNum(const ExprNode& n, Num& v) {
  if (n.op == Op::Const) return ToNum(n.value, v);
  if (n.op == Op::Var && !n.idx1) {
    int i = FindSlot(n.name, n.var);
    return i >= 0 ? ToNum(calc_.vars_[i].Value, v) : PathNum(n, v);
  }
  return NumOf(n, v);
}

bool Machine::NumOf(const ExprNode& n, Num& v) {
  switch (n.op) {
    case Op::Binary: {
      Num a, b;
      return LeafNum(*n.a, a) && LeafNum(*n.b, b) && FastNum(n.code, a, b, v);
    }
    case Op::Var: {
      const Variant* p = n.idx1 ? PeekElement(n) : Peek(n);
      return p && ToNum(*p, v);
    }
    case Op::Const: return ToNum(n.value, v);
    default: return false;
  }
}

const Variant* Machine::Peek(const ExprNode& n) {
  if (n.op == Op::Const) return &n.value;
  if (n.op == Op::Var && !n.idx1) {
    int i = FindSlot(n.name, n.var);
    if (i >= 0) return &calc_.vars_[i].Value;
  }
  return nullptr;
}

// NAME[k] with an integer index, when the element is already remembered at
// this site; null whenever the general path has more to say.
const Variant* Machine::PeekElement(const ExprNode& n) {
  if (n.idx2) return nullptr;
  int32_t k;
  if (!FastIndex(*n.idx1, k)) return nullptr;
  if (FindSlot(n.name, n.var) >= 0) return nullptr;
  int s = CachedElement(n.name, k, n.arraySlots);
  if (s < 0) {
    // Not remembered yet: looked up here, so that the first round of a
    // loop over an array does not take the general way for every element.
    ByteString name;
    s = ArraySlot(n.name, k, n.arraySlots, name);
  }
  return s >= 0 ? &calc_.vars_[s].Value : nullptr;
}

// A single index that is an Integer as plain arithmetic gives it; false
// whenever the general evaluation has more to say.
bool Machine::FastIndex(const IndexList& list, int32_t& k) {
  if (const ExprNode* v = list.counter) {
    // V or V + c: EvalNum's Integer result, read in place.
    int i = FindSlot(v->name, v->var);
    if (!fast_ || i < 0) return false;
    const Variant& x = calc_.vars_[i].Value;
    if (x.kind() != VarKind::Integer) return false;
    const int64_t r = x.int_value() + list.offset;
    if (!FitsInt32(r)) return false;
    k = static_cast<int32_t>(r);
    return true;
  }
  if (list.error || list.parts.size() != 1) return false;
  const ExprUnit& part = list.parts[0];
  Num v;
  if (!part.root || part.trailing || !EvalNum(*part.root, v) || v.kind != VarKind::Integer) return false;
  k = static_cast<int32_t>(v.i);
  return true;
}

bool Machine::SingleIndex(const IndexList& list, TokenRange ctx, int32_t& k) {
  const ExprUnit& part = list.parts[0];
  Variant v;
  if (!EvalUnit(part, v)) {
    Fail("Error in expression: " + Readable(part.text, true), ctx, 1);
    return false;
  }
  if (v.kind() == VarKind::Integer) {
    k = static_cast<int32_t>(v.int_value());
    return true;
  }
  auto i = v.ToInt32();
  if (!i) {
    Fail("Invalid index: " + Readable(part.text, true), ctx, 5);
    return false;
  }
  k = *i;
  return true;
}

bool Machine::EvalIndex(const IndexList& list, TokenRange ctx, ByteString& out) {
  out.clear();
  if (list.error) {
    Fail(*list.error);
    return false;
  }
  Variant v;
  for (size_t i = 0; i < list.parts.size(); ++i) {
    const ExprUnit& part = list.parts[i];
    if (!EvalUnit(part, v)) {
      Fail("Error in expression: " + Readable(part.text, true), ctx, 1);
      return false;
    }
    auto k = v.ToInt32();
    if (!k) {
      Fail("Invalid index: " + Readable(part.text, true), ctx, 5);
      return false;
    }
    if (i) out += ',';
    AppendInt(out, *k);
  }
  return true;
}

void Machine::ReadVar(const ExprNode& n, Variant& out) {
  TokenRange ctx = unit_->text;
  if (!n.idx1) {
    if (!Lookup(n.name, n.var, out, &n.path)) Fail("Variable not found: " + n.name, ctx, 3);
    return;
  }
  if (!fast_ || n.idx2 || n.idx1->error || n.idx1->parts.size() != 1) {
    ReadElement(n, out);
    return;
  }
  // One index: a character of a string variable or an array element.
  int32_t k;
  if (!SingleIndex(*n.idx1, ctx, k)) return;
  int slot = FindSlot(n.name, n.var);
  if (slot >= 0) {
    CharAt(n.name, calc_.vars_[slot].Value, k, ctx, out);
    return;
  }
  ByteString name;
  slot = ArraySlot(n.name, k, n.arraySlots, name);
  if (slot >= 0) {
    out = calc_.vars_[slot].Value;
    return;
  }
  int cache = -1;
  if (!Lookup(name, cache, out)) Fail("Variable not found: " + name, ctx, 3);
}

void Machine::ReadElement(const ExprNode& n, Variant& out) {
  TokenRange ctx = unit_->text;
  ByteString i1, i2;
  if (!EvalIndex(*n.idx1, ctx, i1)) return;
  if (n.idx2 && !EvalIndex(*n.idx2, ctx, i2)) return;
  bool exists = FindSlot(n.name, n.var) >= 0;
  if (!n.idx2 && exists) {
    if (!Lookup(n.name, n.var, out)) return;
    Variant whole = std::move(out);
    CharAt(n.name, whole, i1, ctx, out);
    return;
  }
  if (exists) {
    Fail("Variable with same name exist : " + n.name, ctx, 24);
    return;
  }
  ByteString name = n.name + '[' + i1 + ']';
  int cache = -1;
  if (!Lookup(name, cache, out)) {
    Fail("Variable not found: " + name, ctx, 3);
    return;
  }
  if (!n.idx2) return;
  Variant whole = std::move(out);
  CharAt(name, whole, i2, ctx, out);
}

bool Machine::CheckStringIndex(const ByteString& index, size_t length, TokenRange ctx, size_t& at) {
  if (index.empty()) {
    Fail("Empty string index", ctx, 19);
    return false;
  }
  if (index.find(',') != ByteString::npos) {
    Fail("Invalid string index", ctx, 19);
    return false;
  }
  auto i = ParseInteger(index);
  if (!i) {
    Fail("Invalid string index : " + index, ctx, 19);
    return false;
  }
  if (*i < 1 || static_cast<uint64_t>(*i) > length) {
    Fail("String index out of range: " + index, ctx, 19);
    return false;
  }
  at = static_cast<size_t>(*i - 1);
  return true;
}

bool Machine::CheckCharIndex(int64_t index, size_t length, TokenRange ctx, size_t& at) {
  if (index < 1 || static_cast<uint64_t>(index) > length) {
    Fail("String index out of range: " + std::to_string(index), ctx, 19);
    return false;
  }
  at = static_cast<size_t>(index - 1);
  return true;
}

bool Machine::CharAt(const ByteString& name, const Variant& value, int64_t index, TokenRange ctx, Variant& out) {
  if (!value.IsString()) {
    Fail("Invalid variable type: " + name, ctx, 5);
    return false;
  }
  size_t at;
  if (!CheckCharIndex(index, value.string_value().size(), ctx, at)) return false;
  out = Variant::String(ByteString(1, value.string_value()[at]));
  return true;
}

bool Machine::CharAt(const ByteString& name, const Variant& value, const ByteString& index, TokenRange ctx,
                     Variant& out) {
  if (!value.IsString()) {
    Fail("Invalid variable type: " + name, ctx, 5);
    return false;
  }
  size_t at;
  if (!CheckStringIndex(index, value.string_value().size(), ctx, at)) return false;
  out = Variant::String(ByteString(1, value.string_value()[at]));
  return true;
}

void Machine::CallProc(const ExprNode& n, Variant& out) {
  TokenRange ctx = unit_->text;
  if (n.procOwner != program_) {
    n.procCache = program_ ? program_->FindProc(n.name) : nullptr;
    n.procOwner = program_;
  }
  const Procedure* proc = static_cast<const Procedure*>(n.procCache);
  if (!proc) {
    Fail("Unknown procedure: " + n.name, ctx, 8);
    return;
  }
  if (!CallProcedure(*proc, n, out)) Fail("Error in procedure: " + n.name, ctx, 7);
}

}  // namespace qel
