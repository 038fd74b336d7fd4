// Statement execution and control flow.
#include <pthread.h>

#include <cstdint>
#include <cstdlib>

#include "script/machine.h"
#include "script/operators.h"

namespace qel {

namespace {

bool FastPathsFromEnvironment() {
  const char* v = std::getenv("QEL_NO_FAST_PATHS");
  return !v || !*v || (v[0] == '0' && !v[1]);
}

}  // namespace

Machine::Machine(TScriptCalc& calc) : calc_(calc), fast_(FastPathsFromEnvironment()) { undo_.reserve(64); }

namespace {

// The lowest address calls may reach on this thread's stack, with room kept
// for the host functions and library code a call may still run.
uintptr_t StackFloor() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  constexpr uintptr_t kReserve = 1024 * 1024;
#else
  constexpr uintptr_t kReserve = 256 * 1024;
#endif
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* base = nullptr;
  size_t size = 0;
  int r = pthread_attr_getstack(&attr, &base, &size);
  pthread_attr_destroy(&attr);
  if (r != 0 || size <= kReserve) return 0;
  return reinterpret_cast<uintptr_t>(base) + kReserve;
}

}  // namespace

bool Machine::StackShort() {
  static thread_local const uintptr_t floor = StackFloor();
  return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) < floor;
}

void Machine::OverBudget(TokenRange text) {
  Fail("Script budget exceeded: " + std::to_string(budget_) + " steps", text, 27);
}

bool Machine::RunProgram(const Program& program) {
  RunList(&program, program.main);
  return !failed();
}

void Machine::RunList(const Program* program, const StmtList& list) {
  const Program* saved = program_;
  program_ = program;
  ExecList(list);
  program_ = saved;
}

void Machine::StepHook() {
  if (calc_.StopRequested) flow_ = tkExit;
  if (calc_.OnStep) calc_.OnStep();
}

void Machine::ExecList(const StmtList& list) {
  ++blockLevel_;
  ++nest_;
  const auto& items = list.items;
  size_t i = 0;
  while (!failed() && i < items.size()) {
    const Stmt& s = items[i];
    if (!Step(s.text)) break;
    RunStatement(s);
    StepHook();
    if (flow_ == 0) {
      ++i;
      continue;
    }
    if (blockLevel_ == 0 && (flow_ == tkBreak || flow_ == tkContinue)) {
      Fail(ByteString(TokenText(flow_)) + " outside loop", s.text, 15);
      break;
    }
    if (flow_ != tkGoto) break;
    // Labels are searched from the top of this list; a statement that
    // cannot even be cut stops the search with its error.
    size_t found = items.size();
    for (size_t k = 0; k < items.size(); ++k) {
      if (items[k].cutError) {
        Fail(items[k].error);
        break;
      }
      if (items[k].hasLabel && items[k].label == gotoLabel_) {
        found = k;
        break;
      }
    }
    if (found == items.size()) break;
    flow_ = 0;
    i = found;
  }
  --nest_;
  if (--blockLevel_ < 0 && flow_ == tkGoto)
    Fail("Label " + gotoLabel_ + " not exist or unreacheble", TokenRange{}, 18);
}

void Machine::RunStatement(const Stmt& s) {
  // Arithmetic written in place needs no dispatch.
  if (s.numeric && fast_) {
    if (!AssignInPlace(s)) ExecAssign(s, true);
  } else {
    Exec(s);
  }
}

void Machine::Exec(const Stmt& s) {
  switch (s.kind) {
    case St::Assign: case St::ExprStmt: ExecAssign(s); return;
    case St::Block: ExecList(*s.body); return;
    case St::If: ExecIf(s); return;
    case St::For: ExecFor(s); return;
    case St::While: ExecWhile(s); return;
    case St::Repeat: ExecRepeat(s); return;
    case St::Flow: flow_ = s.flow; return;
    case St::Goto:
      gotoLabel_ = s.target;
      flow_ = tkGoto;
      return;
    case St::Case: ExecCase(s); return;
    case St::Fail: Fail(s.error); return;
  }
}

void Machine::ExecAssign(const Stmt& s, bool tried) {
  if (fast_ && !s.idx1 && !s.badFollow) {
    AssignPlain(s, tried);
    return;
  }
  if (fast_ && s.kind == St::Assign && s.idx1 && !s.idx2 && !s.idx1->error && s.idx1->parts.size() == 1 && !s.badFollow) {
    AssignElement(s, tried);
    return;
  }
  ByteString i1, i2;
  if (s.idx1 && !EvalIndex(*s.idx1, s.text, i1)) return;
  if (s.idx2 && !EvalIndex(*s.idx2, s.text, i2)) return;
  if (s.badFollow) {
    Fail(*s.badFollow);
    return;
  }
  Variant value;
  if (!EvalUnit(s.expr, value)) {
    Fail("Error in expression", s.expr.text, 1);
    return;
  }
  if (s.kind == St::ExprStmt) return;
  bool exists = s.idx1 && FindSlot(s.target, s.var) >= 0;
  bool charIndex = s.idx2 != nullptr;
  if (s.idx1 && !s.idx2 && exists) {
    charIndex = true;
    i2 = i1;
  }
  if (!s.targetValid) {
    Fail("Invalid variable name: " + s.target, s.text, 4);
    return;
  }
  ByteString element;
  const ByteString* name = &s.target;
  if (s.idx1 && !(charIndex && !s.idx2)) {
    if (exists) {
      Fail("Variable with same name exist : " + s.target, s.text, 24);
      return;
    }
    element = s.target + '[' + i1 + ']';
    name = &element;
  }
  if (charIndex) {
    AssignChar(*name, i2, value, s);
    return;
  }
  if (name == &s.target) {
    int i = FindSlot(s.target, s.var);
    if (i >= 0) {
      WriteSlot(i, std::move(value));
      return;
    }
    Store(s.target, std::move(value), s.var, &s.path);
    return;
  }
  int scratch = -1;
  Store(*name, value, scratch);
}

// NAME := value, the statement loops are made of.
// tried: written in place was tried already and could not be.
void Machine::AssignPlain(const Stmt& s, bool tried) {
  if (!tried && s.kind == St::Assign && s.targetValid && AssignInPlace(s)) return;
  Variant value;
  if (!EvalUnit(s.expr, value)) {
    Fail("Error in expression", s.expr.text, 1);
    return;
  }
  if (s.kind == St::ExprStmt) return;
  if (!s.targetValid) {
    Fail("Invalid variable name: " + s.target, s.text, 4);
    return;
  }
  int i = FindSlot(s.target, s.var);
  if (i >= 0) {
    WriteSlot(i, std::move(value));
    return;
  }
  Create(s.target, value, i, true, &s.path);
}

// Arithmetic on variables and constants written straight into an existing
// target that no returning call has to restore: no temporary value. False
// when the general path must run; nothing has changed then.
bool Machine::AssignInPlace(const Stmt& s) {
  if (!s.numeric) return false;
  const ExprNode& root = *s.expr.root;
  Num v;
  if (const NumCode* code = root.flat.get()) {
    if (!fast_) return false;
    if (AssignFlat(s, *code)) return true;
    // Flat code binds variables only; an operand or target that is no
    // variable may still be an element property with a remembered path.
    const bool bound = code->bound == calc_.vars_.stamp() && code->target >= 0;
    if (bound || !NumOf(root, v)) return false;
  } else if (!EvalNum(root, v)) {
    return false;
  }
  int i = FindSlot(s.target, s.var);
  if (i < 0) return PathInPlace(s, v);
  if (NeedsUndo(i)) return false;
  SetNum(calc_.vars_[i].Value, v);
  return true;
}

// NAME[k] := arithmetic, with an integer index and the element remembered at
// this site: written in place when no returning call has to restore it.
// False, with nothing changed, when the general path must run.
bool Machine::ElementInPlace(const Stmt& s) {
  const ExprNode* root = s.expr.root.get();
  if (!root || s.expr.trailing) return false;
  int32_t k;
  Num v;
  if (!FastIndex(*s.idx1, k) || !EvalNum(*root, v)) return false;
  if (FindSlot(s.target, s.var) >= 0) return false;
  int i = CachedElement(s.target, k, s.arraySlots);
  if (i < 0 || NeedsUndo(i)) return false;
  SetNum(calc_.vars_[i].Value, v);
  return true;
}

// NAME[k] := value with one index: a character of a string variable or an
// array element, the element's position remembered per statement.
void Machine::AssignElement(const Stmt& s, bool tried) {
  if (!tried && s.targetValid && ElementInPlace(s)) return;
  int32_t k;
  if (!FastIndex(*s.idx1, k) && !SingleIndex(*s.idx1, s.text, k)) return;
  Variant value;
  if (!EvalUnit(s.expr, value)) {
    Fail("Error in expression", s.expr.text, 1);
    return;
  }
  if (!s.targetValid) {
    Fail("Invalid variable name: " + s.target, s.text, 4);
    return;
  }
  if (FindSlot(s.target, s.var) >= 0) {
    AssignChar(s.target, std::to_string(k), value, s);
    return;
  }
  ByteString name;
  int slot = ArraySlot(s.target, k, s.arraySlots, name);
  if (slot >= 0) {
    WriteSlot(slot, std::move(value));
    return;
  }
  // Known to be no variable: what Store does for an absent name. A valid
  // array name with an integer index is a valid name.
  Create(name, value, slot, true);
}

void Machine::AssignChar(const ByteString& name, const ByteString& index, const Variant& value, const Stmt& s) {
  Variant target;
  int cache = -1;
  if (!Lookup(name, cache, target)) {
    Fail("Variable not found :" + name, s.text, 3);
    return;
  }
  if (!target.IsString()) {
    Fail("Invalid variable type: " + name, s.text, 5);
    return;
  }
  size_t at;
  if (!CheckStringIndex(index, target.string_value().size(), s.text, at)) return;
  char c;
  if (value.IsString()) {
    if (value.string_value().size() != 1) {
      Fail("Character expected: '" + value.string_value() + "'", s.text, 20);
      return;
    }
    c = value.string_value()[0];
  } else {
    auto n = value.ToInt32();
    if (!n) {
      Fail("Invalid variable type: " + name, s.text, 5);
      return;
    }
    if (*n < 0 || *n > 255) {
      Fail("Character value out of range: " + std::to_string(*n), s.text, 20);
      return;
    }
    c = static_cast<char>(*n);
  }
  target.mutable_string()[at] = c;
  Store(name, target, cache);
}

bool Machine::Condition(const ExprUnit& unit, bool& value) {
  Num n;
  if (unit.root && !unit.trailing && !failed() && EvalNum(*unit.root, n) && n.kind == VarKind::Boolean) {
    value = n.i != 0;
    return true;
  }
  Variant v;
  if (!EvalUnit(unit, v)) {
    Fail("Error in expression", unit.text, 1);
    return false;
  }
  auto b = v.ToBoolean();
  if (!b) {
    Fail("Invalid condition type", unit.text, 5);
    return false;
  }
  value = *b;
  return true;
}

// A branch of IF or CASE. Most are one assignment written in place; what
// the list would do around it then comes down to counting its step.
void Machine::RunBranch(const StmtList& list) {
  if (fast_ && list.items.size() == 1) {
    const Stmt& s = list.items[0];
    if (s.numeric && !s.hasLabel && !calc_.OnStep && !calc_.StopRequested && steps_ < budget_ && !failed()) {
      ++steps_;
      if (AssignInPlace(s)) return;
      --steps_;
    }
  }
  ExecList(list);
}

void Machine::ExecIf(const Stmt& s) {
  bool c;
  if (!Condition(s.expr, c)) return;
  if (s.branchError) {
    Fail(*s.branchError);
    return;
  }
  if (c) {
    if (s.body) RunBranch(*s.body);
  } else if (s.elseBody) {
    RunBranch(*s.elseBody);
  }
}

// One round of a loop body made of plain assignments, with the steps and
// levels the statement lists would count; each assignment written in place
// when it can be, else the general way. The lists run instead when a step
// hook is set or the budget could run out within the round, so that the
// error names the statement the general way would name.
void Machine::LoopRound(const Stmt& loop) {
  const uint64_t steps = loop.blockSteps + loop.plainBody.size();
  if (!fast_ || loop.plainBody.empty() || calc_.OnStep || calc_.StopRequested || steps_ + steps > budget_) {
    BlockBody(*loop.body);
    return;
  }
  steps_ += static_cast<uint64_t>(loop.blockSteps);
  ++blockLevel_;
  nest_ += 1 + loop.blockSteps;
  for (const Stmt* s : loop.plainBody) {
    // Checked each time, as the list would: a call in an earlier statement
    // may have used up the steps the round began with.
    if (!Step(s->text)) break;
    if (s->idx1 ? ElementInPlace(*s) : AssignInPlace(*s)) continue;
    ExecAssign(*s, true);
    if (failed()) break;
  }
  nest_ -= 1 + loop.blockSteps;
  --blockLevel_;
}

// A loop body that is one BEGIN ... END block: the outer list's work for
// that one statement (its step, level and hook; a pending jump simply ends
// it, as no label can be found beside the block, and inside a running list
// BREAK is never outside a loop here) without a second list run.
void Machine::BlockBody(const StmtList& body) {
  const Stmt* block = body.items.size() == 1 ? &body.items[0] : nullptr;
  if (!fast_ || !block || block->kind != St::Block || block->hasLabel || block->cutError || steps_ >= budget_ ||
      failed() || blockLevel_ < 0) {
    ExecList(body);
    return;
  }
  ++blockLevel_;
  ++nest_;
  ++steps_;
  ExecList(*block->body);
  StepHook();
  --nest_;
  --blockLevel_;
}

bool Machine::LoopContinues(const Stmt& loop) {
  if (failed() || !Step(loop.text)) return false;
  StepHook();
  if (flow_ == tkBreak) {
    flow_ = 0;
    return false;
  }
  if (flow_ == tkExit || flow_ == tkGoto) return false;
  if (flow_ == tkContinue) flow_ = 0;
  return true;
}

void Machine::ExecFor(const Stmt& s) {
  Variant v;
  if (!EvalUnit(s.expr, v)) {
    Fail("Error in expression", s.expr.text, 1);
    return;
  }
  auto start = v.ToInt32();
  if (!start) {
    Fail("Invalid loop variable value ", s.expr.text, 5);
    return;
  }
  if (s.staged) {
    Fail(s.error);
    return;
  }
  if (!EvalUnit(s.bound, v)) {
    Fail("Error in expression", s.bound.text, 1);
    return;
  }
  auto bound = v.ToInt32();
  if (!bound) {
    Fail("Invalid loop variable value ", s.bound.text, 5);
    return;
  }
  if (fast_ && s.loop) {
    RunLoop(s, *start, *bound);
    return;
  }
  ForRounds(s, *start, *bound);
}

void Machine::ForRounds(const Stmt& s, int64_t i, int64_t last) {
  if (fast_ && !s.plainBody.empty()) {
    PlainFor(s, i, last);
    return;
  }
  for (const int64_t step = s.downto ? -1 : 1; s.downto ? i >= last : i <= last; i += step)
    if (!ForRound(s, i)) return;
}

bool Machine::ForRound(const Stmt& s, int64_t i) {
  int slot = FindSlot(s.target, s.var);
  if (slot < 0) {
    Fail("Invalid variable name: " + s.target, s.text, 1);
    return false;
  }
  if (NeedsUndo(slot) || !fast_) {
    Variant counter;
    counter.SetInteger(static_cast<int32_t>(i));
    WriteSlot(slot, std::move(counter));
  } else {
    calc_.vars_[slot].Value.SetInteger(static_cast<int32_t>(i));
  }
  LoopRound(s);
  return LoopContinues(s);
}

// The rounds of a FOR loop whose body is plain assignments: what the loop
// above and LoopRound do, in one place, so that the bookkeeping of a round
// stays in registers.
void Machine::PlainFor(const Stmt& s, int64_t i, int64_t last) {
  const int64_t step = s.downto ? -1 : 1;
  const uint64_t roundSteps = static_cast<uint64_t>(s.blockSteps) + s.plainBody.size();
  const int levels = 1 + s.blockSteps;
  for (; s.downto ? i >= last : i <= last; i += step) {
    int slot = FindSlot(s.target, s.var);
    if (slot < 0) {
      Fail("Invalid variable name: " + s.target, s.text, 1);
      return;
    }
    if (NeedsUndo(slot)) {
      Variant counter;
      counter.SetInteger(static_cast<int32_t>(i));
      WriteSlot(slot, std::move(counter));
    } else {
      calc_.vars_[slot].Value.SetInteger(static_cast<int32_t>(i));
    }
    if (calc_.OnStep || calc_.StopRequested || steps_ + roundSteps > budget_) {
      ExecList(*s.body);
    } else {
      steps_ += static_cast<uint64_t>(s.blockSteps);
      ++blockLevel_;
      nest_ += levels;
      for (const Stmt* a : s.plainBody) {
        if (!Step(a->text)) break;
        if (a->idx1 ? ElementInPlace(*a) : AssignInPlace(*a)) continue;
        ExecAssign(*a, true);
        if (failed()) break;
      }
      nest_ -= levels;
      --blockLevel_;
    }
    if (!LoopContinues(s)) return;
  }
}

void Machine::ExecWhile(const Stmt& s) {
  if (fast_ && s.loop) {
    RunLoop(s, 0, 0);
    return;
  }
  while (WhileRound(s)) {
  }
}

bool Machine::WhileRound(const Stmt& s) {
  bool c;
  if (!Condition(s.expr, c) || !c) return false;
  LoopRound(s);
  return LoopContinues(s);
}

void Machine::ExecRepeat(const Stmt& s) {
  if (fast_ && s.loop) {
    RunLoop(s, 0, 0);
    return;
  }
  while (RepeatRound(s)) {
  }
}

bool Machine::RepeatRound(const Stmt& s) {
  LoopRound(s);
  if (!LoopContinues(s)) return false;
  bool c;
  return Condition(s.expr, c) && !c;
}

bool Machine::CaseMatches(const CaseLabel& label, const Variant& selector, bool& error) {
  if (label.constant && fast_) {
    if (selector.IsString()) return false;
    if (selector.kind() == VarKind::Integer)
      return selector.int_value() >= label.lo && selector.int_value() <= label.hi;
  }
  Variant low, high;
  if (!EvalUnit(label.low, low)) {
    Fail("Error in expression", label.low.text, 1);
    error = true;
    return false;
  }
  if (label.range) {
    if (!EvalUnit(label.high, high)) {
      Fail("Error in expression", label.high.text, 1);
      error = true;
      return false;
    }
  } else {
    high = low;
  }
  int order;
  if (low.IsString() != high.IsString() || !CompareValues(low, high, order)) {
    Fail("Invalid typecast in CASE range", label.text, 1);
    error = true;
    return false;
  }
  if (order > 0) std::swap(low, high);
  if (selector.IsString() != low.IsString()) return false;
  int a, b;
  return CompareValues(low, selector, a) && CompareValues(selector, high, b) && a <= 0 && b <= 0;
}

void Machine::ExecCase(const Stmt& s) {
  Variant selector;
  Num k;
  const ExprNode* root = s.expr.root.get();
  // An Integer selector is compared with integer constant labels as it is.
  bool integer = false;
  if (root && root->numeric && !s.expr.trailing && !failed() && EvalNum(*root, k)) {
    SetNum(selector, k);
    integer = k.kind == VarKind::Integer;
  } else if (!EvalUnit(s.expr, selector)) {
    Fail("Error in expression", s.expr.text, 1);
    return;
  }
  const StmtList* elseBranch = nullptr;
  for (const CaseItem& item : s.cases) {
    switch (item.kind) {
      case CaseItem::End:
        if (elseBranch) ExecList(*elseBranch);
        return;
      case CaseItem::Fail: Fail(item.error); return;
      case CaseItem::Else: elseBranch = item.body.get(); break;
      case CaseItem::Branch:
        for (const CaseLabel& label : item.labels) {
          if (integer && label.constant) {
            if (k.i < label.lo || k.i > label.hi) continue;
            RunBranch(*item.body);
            return;
          }
          bool error = false;
          if (CaseMatches(label, selector, error)) {
            ExecList(*item.body);
            return;
          }
          if (error) return;
        }
        break;
    }
  }
}

}  // namespace qel
