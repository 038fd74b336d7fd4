// FOR loops run as register code: the variables of the body stay in
// registers for as many rounds as the code can take, and go back to the
// variable list whenever the general rules take over.
#include <bit>

#include "script/machine.h"

namespace qel {

namespace {

constexpr int kLoopDone = -1;    // every round ran
constexpr int kLoopBudget = -2;  // the next round could pass the step budget
// A round the code did not start.
constexpr uint16_t kWholeRound = 0xFFFE;

using Ins = LoopCode::Ins;

inline bool SameNum(const Num& a, const Variant& v) {
  if (a.kind != v.kind()) return false;
  if (a.kind == VarKind::Float) return std::bit_cast<uint64_t>(a.f) == std::bit_cast<uint64_t>(v.float_value());
  return a.i == v.int_value();
}

// The general fast rules, writing nothing when they refuse.
[[gnu::noinline]] bool OtherPair(const Ins& in, const Num& l, const Num& r, Num& out) {
  Num v;
  if (!FastNum(in.code, l, r, v)) return false;
  out = v;
  return true;
}

// The comparison K of two values of one type; false when K is none.
template <LoopCode::Kind K, class T>
inline bool Comparison(T x, T y, Num& o) {
  bool r;
  switch (K) {
    case LoopCode::kLess: r = x < y; break;
    case LoopCode::kGreater: r = x > y; break;
    case LoopCode::kLessEq: r = x <= y; break;
    case LoopCode::kGreaterEq: r = x >= y; break;
    case LoopCode::kEqual: r = x == y; break;
    case LoopCode::kNotEqual: r = x != y; break;
    default: return false;
  }
  o.kind = VarKind::Boolean;
  o.i = r;
  return true;
}

inline bool IsInt(const Num& n) { return n.kind == VarKind::Integer || n.kind == VarKind::Int64; }

// Integers of which at least one is an Int64: what the shared rules give,
// with 64-bit overflow left to the general ones.
template <LoopCode::Kind K>
bool WidePair(const Ins& in, const Num& l, const Num& r, Num& o) {
  const int64_t x = l.i, y = r.i;
  int64_t v;
  switch (K) {
    case LoopCode::kAdd: if (__builtin_add_overflow(x, y, &v)) return false; break;
    case LoopCode::kSub: if (__builtin_sub_overflow(x, y, &v)) return false; break;
    case LoopCode::kMul: if (__builtin_mul_overflow(x, y, &v)) return false; break;
    case LoopCode::kAnd: v = x & y; break;
    case LoopCode::kOr: v = x | y; break;
    case LoopCode::kXor: v = x ^ y; break;
    default: return Comparison<K>(x, y, o) || OtherPair(in, l, r, o);
  }
  o.kind = VarKind::Int64;
  o.i = v;
  return true;
}

// One operator on two registers: Integer and Float pairs inline, exactly as
// the shared rules compute them, every other pair through those rules.
template <LoopCode::Kind K>
[[gnu::always_inline]] inline bool Binary(const Ins& in, Num* regs) {
  const Num& l = regs[in.a];
  const Num& r = regs[in.b];
  Num& o = regs[in.out];
  if (l.kind == VarKind::Integer && r.kind == VarKind::Integer) {
    const int64_t x = l.i, y = r.i;
    int64_t v;
    switch (K) {
      case LoopCode::kAdd: v = x + y; break;
      case LoopCode::kSub: v = x - y; break;
      case LoopCode::kMul: v = x * y; break;
      case LoopCode::kAnd: v = x & y; break;
      case LoopCode::kOr: v = x | y; break;
      case LoopCode::kXor: v = x ^ y; break;
      case LoopCode::kDiv:
        if (y == 0) return false;
        o.kind = VarKind::Float;
        o.f = static_cast<double>(x) / static_cast<double>(y);
        return true;
      default: return Comparison<K>(x, y, o) || OtherPair(in, l, r, o);
    }
    o.kind = FitsInt32(v) ? VarKind::Integer : VarKind::Int64;
    o.i = v;
    return true;
  }
  if (l.kind == VarKind::Float && r.kind == VarKind::Float && l.f == l.f && r.f == r.f) {
    const double x = l.f, y = r.f;
    switch (K) {
      case LoopCode::kAdd: o.f = x + y; break;
      case LoopCode::kSub: o.f = x - y; break;
      case LoopCode::kMul: o.f = x * y; break;
      case LoopCode::kDiv:
        if (y == 0) return false;
        o.f = x / y;
        break;
      default: return Comparison<K>(x, y, o) || OtherPair(in, l, r, o);
    }
    o.kind = VarKind::Float;
    return true;
  }
  if (IsInt(l) && IsInt(r)) return WidePair<K>(in, l, r, o);
  return OtherPair(in, l, r, o);
}

}  // namespace

// Finds every variable of the code and loads it; false when one is missing,
// holds no number, or must be restored when a routine returns, or when an
// array name is a variable: the general way knows what to do then.
bool Machine::BindLoop(const LoopCode& code) {
  const TVarList& vars = calc_.vars_;
  Num* regs = code.regs.data() + code.firstVar();
  for (size_t k = 0; k < code.names.size(); ++k) {
    const int slot = FindSlot(code.names[k], code.where[k]);
    if (slot < 0 || (code.written[k] && NeedsUndo(slot))) return false;
    const Variant& v = vars[slot].Value;
    if (!ToNum(v, regs[k])) {
      if (v.kind() != VarKind::Boolean) return false;
      regs[k].i = v.int_value();
    }
    code.slots[k] = slot;
  }
  for (const ExprNode* n : code.arrayReads)
    if (FindSlot(n->name, n->var) >= 0) return false;
  for (const Stmt* s : code.arrayWrites)
    if (FindSlot(s->target, s->var) >= 0) return false;
  for (const ExprNode* n : code.pathReads)
    if (FindSlot(n->name, n->var) >= 0) return false;
  for (const Stmt* s : code.pathWrites)
    if (FindSlot(s->target, s->var) >= 0) return false;
  return true;
}

// Writes back what the rounds changed. A variable that holds what it held
// before is left alone, so that nothing but the values can differ from
// what the general way leaves.
void Machine::StoreLoopVars(const LoopCode& code) {
  TVarList& vars = calc_.vars_;
  const Num* regs = code.regs.data() + code.firstVar();
  for (size_t k = 0; k < code.names.size(); ++k) {
    if (!code.written[k]) continue;
    Variant& v = vars[code.slots[k]].Value;
    if (!SameNum(regs[k], v)) SetNum(v, regs[k]);
  }
}

// The element NAME[index + offset] for an Integer index: its position, or
// -1 with its name when it is absent, or -1 with no name when the code
// cannot tell. Elements a site remembers need no name.
inline int Machine::LoopSlot(const ByteString& base, ArraySites& sites, const Num& index, int32_t offset,
                             ByteString* name) {
  if (index.kind != VarKind::Integer) return -1;
  const int64_t k = index.i + offset;
  if (!FitsInt32(k)) return -1;
  const int slot = CachedElement(base, static_cast<int32_t>(k), sites);
  if (slot >= 0 || !name) return slot;
  return ArraySlot(base, static_cast<int32_t>(k), sites, *name);
}

// NAME[a + offset], read as a number.
bool Machine::LoopElement(const Ins& in, const Num* regs, Num& out) {
  const ExprNode& n = *in.node;
  int slot = LoopSlot(n.name, n.arraySlots, regs[in.a], in.offset, nullptr);
  if (slot < 0) {
    ByteString name;
    slot = LoopSlot(n.name, n.arraySlots, regs[in.a], in.offset, &name);
    if (slot < 0) return false;
  }
  // Loops mostly walk an array in order: ask for the records a few rounds
  // ahead, which a walk over a large array otherwise waits for.
  const TVarList& vars = calc_.vars_;
  if (slot + 8 < vars.Count()) __builtin_prefetch(&vars[slot + 8].Value);
  Num v;
  if (!ToNum(vars[slot].Value, v)) return false;
  out = v;
  return true;
}

// NAME[a + offset] := b.
bool Machine::LoopStore(const Ins& in, const Num* regs) {
  const Stmt& s = *in.target;
  const int slot = LoopSlot(s.target, s.arraySlots, regs[in.a], in.offset, nullptr);
  if (slot < 0) return LoopStoreNew(in, regs);
  if (NeedsUndo(slot)) return false;
  SetNum(calc_.vars_[slot].Value, regs[in.b]);
  return true;
}

// The same for an element the site does not remember. A new element is
// made as the general way makes it: appending moves no record, so the
// code's variables stay where they are.
bool Machine::LoopStoreNew(const Ins& in, const Num* regs) {
  const Stmt& s = *in.target;
  ByteString name;
  const int slot = LoopSlot(s.target, s.arraySlots, regs[in.a], in.offset, &name);
  if (slot >= 0) {
    if (NeedsUndo(slot)) return false;
    SetNum(calc_.vars_[slot].Value, regs[in.b]);
    return true;
  }
  if (name.empty()) return false;
  Variant value;
  SetNum(value, regs[in.b]);
  int made = -1;
  Create(name, value, made, true);
  return true;
}

// Rounds from i on until the loop ends (kLoopDone), the step budget could
// run out within a round (kLoopBudget), or an instruction gives up (its
// index). i is the round that did not finish; the steps of its finished
// statements are counted. The code of WHILE and REPEAT ignores i.
int Machine::RunLoopCode(const LoopCode& code, int64_t& i, int64_t last, int64_t step) {
  Num* const regs = code.regs.data();
  const Ins* const first = code.ins.data();
  const Ins* const end = first + code.ins.size();
  const uint64_t roundSteps = static_cast<uint64_t>(code.maxSteps + code.blockSteps + 1);
  const bool down = step < 0;
  const bool counted = code.shape == LoopCode::kFor;
  Num* const counter = counted ? regs + code.counter : nullptr;
  // REPEAT counts the loop's step itself, before its condition.
  const uint64_t roundEnd = code.shape == LoopCode::kRepeat ? 0 : 1;
  uint64_t steps = steps_;
  int64_t n = i;
  int result = kLoopDone;
  for (;; n += step) {
    if (counted && (down ? n < last : n > last)) break;
    if (steps + roundSteps > budget_) {
      result = kLoopBudget;
      break;
    }
    if (counted) {
      counter->kind = VarKind::Integer;
      counter->i = n;
    }
    // A WHILE loop's block opens once its condition holds.
    if (code.shape != LoopCode::kWhile) steps += static_cast<uint64_t>(code.blockSteps);
    const Ins* p = first;
    while (p != end) {
      bool ok = true;
      switch (p->kind) {
#define QEL_BINARY(K) \
  case LoopCode::K: ok = Binary<LoopCode::K>(*p, regs); break;
        QEL_BINARY(kAdd) QEL_BINARY(kSub) QEL_BINARY(kMul) QEL_BINARY(kDiv) QEL_BINARY(kAnd) QEL_BINARY(kOr)
        QEL_BINARY(kXor) QEL_BINARY(kLess) QEL_BINARY(kGreater) QEL_BINARY(kLessEq) QEL_BINARY(kGreaterEq)
        QEL_BINARY(kEqual) QEL_BINARY(kNotEqual)
#undef QEL_BINARY
        case LoopCode::kOther: ok = OtherPair(*p, regs[p->a], regs[p->b], regs[p->out]); break;
        case LoopCode::kMove: regs[p->out] = regs[p->a]; break;
        case LoopCode::kElement: ok = LoopElement(*p, regs, regs[p->out]); break;
        case LoopCode::kStoreElement: ok = LoopStore(*p, regs); break;
        case LoopCode::kPath: {
          Num v;
          ok = PathNum(*p->node, v);
          if (ok) regs[p->out] = v;
          break;
        }
        case LoopCode::kStorePath:
          // A Boolean from a variable is written the general way.
          ok = regs[p->b].kind != VarKind::Boolean && PathInPlace(*p->target, regs[p->b]);
          break;
        case LoopCode::kLoopUnless:
        case LoopCode::kLoopIf: {
          // WHILE ends on False, UNTIL on True.
          const Num& c = regs[p->a];
          if (c.kind != VarKind::Boolean) {
            ok = false;
            break;
          }
          if ((c.i != 0) == (p->kind == LoopCode::kLoopIf)) goto stop;
          break;
        }
        case LoopCode::kCount: break;
        case LoopCode::kJumpUnless: {
          const Num& c = regs[p->a];
          if (c.kind != VarKind::Boolean) {
            ok = false;
            break;
          }
          if (c.i) {
            ++p;
            continue;
          }
          steps += p->steps;
          p = first + p->offset;
          continue;
        }
        case LoopCode::kJump: p = first + p->offset; continue;
        case LoopCode::kCase: {
          const Num& c = regs[p->a];
          if (c.kind != VarKind::Integer) {
            ok = false;
            break;
          }
          const LoopCode::CaseTable& table = code.cases[static_cast<size_t>(p->table)];
          int32_t to = table.elsePc;
          for (const LoopCode::CaseRange& range : table.ranges)
            if (c.i >= range.lo && c.i <= range.hi) {
              to = range.pc;
              break;
            }
          if (to < 0) {
            steps += p->steps;
            to = table.endPc;
          }
          p = first + to;
          continue;
        }
      }
      if (!ok) {
        result = static_cast<int>(p - first);
        goto stop;
      }
      steps += p->steps;
      ++p;
    }
    steps += roundEnd;  // the loop's own step after each round
  }
stop:
  i = n;
  steps_ = steps;
  return result;
}

// The rest of a round from the body's statement `from`, the general way,
// inside the levels the body's lists would have opened.
void Machine::FinishRound(const LoopCode& code, size_t from) {
  const int levels = 1 + code.blockSteps;
  blockLevel_ += levels;
  nest_ += levels;
  for (size_t k = from; k < code.body.size() && !failed(); ++k) {
    const Stmt& s = *code.body[k];
    if (!Step(s.text)) break;
    RunStatement(s);
    StepHook();
    if (flow_) break;
  }
  nest_ -= levels;
  blockLevel_ -= levels;
}

// The general way from where the code stopped in round i: the whole round,
// the rest of it from the body's statement `from`, or from the loop's
// condition (kTest); then whether the loop goes on.
bool Machine::GeneralRound(const Stmt& s, int64_t i, uint16_t from) {
  const LoopCode& code = *s.loop;
  switch (code.shape) {
    case LoopCode::kFor:
      if (from == kWholeRound) return ForRound(s, i);
      break;
    case LoopCode::kWhile:
      if (from == kWholeRound || from == LoopCode::kTest) return WhileRound(s);
      break;
    case LoopCode::kRepeat:
      if (from == kWholeRound) return RepeatRound(s);
      break;
  }
  if (from != LoopCode::kTest) {
    FinishRound(code, from);
    if (!LoopContinues(s)) return false;
  }
  if (code.shape != LoopCode::kRepeat) return true;
  bool c;
  return Condition(s.expr, c) && !c;
}

// A loop with loop code: the code runs the rounds while it can. A round it
// gives up on is finished the general way and the code tries again; a loop
// where that keeps happening goes on the general way. Only FOR loops count
// their rounds in i .. last.
void Machine::RunLoop(const Stmt& s, int64_t i, int64_t last) {
  const LoopCode& code = *s.loop;
  const bool counted = code.shape == LoopCode::kFor;
  const int64_t step = s.downto ? -1 : 1;
  uint64_t rounds = 0, misses = 0;
  while (!counted || (s.downto ? i >= last : i <= last)) {
    if (misses * 16 > rounds + 64) {
      if (counted) ForRounds(s, i, last);
      else while (GeneralRound(s, i, kWholeRound)) {}
      return;
    }
    uint16_t from = kWholeRound;
    if (!calc_.OnStep && !calc_.StopRequested && !failed() && BindLoop(code)) {
      const int64_t start = i;
      const int stop = RunLoopCode(code, i, last, step);
      rounds += static_cast<uint64_t>((i - start) * step);
      StoreLoopVars(code);
      if (stop == kLoopDone) return;
      if (stop >= 0) from = code.ins[static_cast<size_t>(stop)].stmt;
    }
    ++misses;
    if (!GeneralRound(s, i, from)) return;
    i += step;
  }
}

}  // namespace qel
