// User routines: parameters stored as variables, body on the same
// interpreter, and every variable change undone afterwards. Instead of
// copying the whole variable list before and after each call, changes are
// recorded in an undo log and rolled back, which keeps calls cheap.
#include "script/machine.h"

namespace qel {

void Machine::WriteSlot(int i, const Variant& value) {
  TVar& v = calc_.vars_[i];
  if (&value == &v.Value) return;
  if (NeedsUndo(i)) undo_.push_back(Undo{Undo::Set, i, std::move(v.Value)});
  v.Value = value;
}

void Machine::WriteSlot(int i, Variant&& value) {
  TVar& v = calc_.vars_[i];
  if (NeedsUndo(i)) undo_.push_back(Undo{Undo::Set, i, std::move(v.Value)});
  v.Value = std::move(value);
}

void Machine::AppendVar(const ByteString& name, const Variant& value) {
  if (callDepth_ > 0) undo_.push_back(Undo{Undo::Append, calc_.vars_.Count(), Variant()});
  calc_.vars_.Append(name, value);
}

void Machine::EraseSlot(int i) {
  TVar& v = calc_.vars_[i];
  if (callDepth_ > 0) {
    undo_.push_back(Undo{Undo::Erase, i, std::move(v.Value)});
    erased_.push_back(v.Name);
    if (i < frameBase_ && frameBase_ != kNoFrame) --frameBase_;
  }
  calc_.vars_.Erase(i);
}

void Machine::UndoTo(size_t mark) {
  TVarList& vars = calc_.vars_;
  while (undo_.size() > mark) {
    Undo& u = undo_.back();
    // Bounds are checked because a host function may have cleared the list
    // (which drops the log as well, so a Set always finds its own name).
    switch (u.kind) {
      case Undo::Set:
        if (u.index < vars.Count()) vars[u.index].Value = std::move(u.old);
        break;
      case Undo::Append:
        if (u.index == vars.Count() - 1) vars.PopBack();
        break;
      case Undo::Erase:
        if (u.index <= vars.Count()) vars.Insert(u.index, TVar{std::move(erased_.back()), std::move(u.old)});
        erased_.pop_back();
        break;
    }
    undo_.pop_back();
  }
}

bool Machine::CallProcedure(const Procedure& proc, const ExprNode& call, Variant& out) {
  if (FramesAllowed(proc, call)) {
    FrameRun r = CallFramed(proc, call, out);
    if (r == FrameRun::Done) return true;
    if (r == FrameRun::Dropped) {
      generalOnly_ = true;
      bool ok = CallGeneral(proc, call, out);
      generalOnly_ = false;
      return ok;
    }
  }
  return CallGeneral(proc, call, out);
}

bool Machine::CallGeneral(const Procedure& proc, const ExprNode& call, Variant& out) {
  TokenRange ctx = unit_->text;
  if (call.args.size() != proc.params.size()) {
    Fail("Wrong parameters amount, procedure " + proc.name, ctx, 7);
    return false;
  }
  if (TooDeep()) {
    Fail("Too deep recursion, procedure " + proc.name, ctx, 7);
    return false;
  }
  Outs outs;
  bool hasResult = false;
  size_t mark = undo_.size();
  int callerBase = frameBase_;
  if (frameBase_ != kNoFrame) frameBase_ = calc_.vars_.Count();
  ++callDepth_;
  nest_ += kCallLevels;
  bool ok = RunBody(proc, call, ctx, out, outs, hasResult);
  UndoTo(mark);
  nest_ -= kCallLevels;
  --callDepth_;
  if (frameBase_ != kNoFrame || callDepth_ == 0) frameBase_ = callerBase;
  if (!ok) return false;
  // Parameters passed as plain variables are in-out.
  for (auto& [k, value] : outs) {
    int i = calc_.vars_.IndexOf(call.argNames[k]);
    if (i >= 0) WriteSlot(i, value);
  }
  if (proc.isFunction && !hasResult) {
    Fail("Function must return result : " + proc.name, ctx, 26);
    return false;
  }
  return true;
}

bool Machine::RunBody(const Procedure& proc, const ExprNode& call, TokenRange ctx, Variant& out, Outs& outs,
                      bool& hasResult) {
  Variant v;
  proc.paramVars.resize(proc.params.size());
  for (size_t k = 0; k < proc.params.size(); ++k) {
    if (!EvalUnit(call.args[k], v)) {
      Fail("Invalid expression in function params: " + Encode(call.args[k].text), ctx, 7);
      return false;
    }
    if (!Store(proc.params[k], std::move(v), proc.paramVars[k])) {
      Fail("Duplicate variable name: " + proc.params[k], ctx, 24);
      return false;
    }
  }
  static const ByteString kResult = "RESULT";
  if (proc.isFunction) {
    int i = FindSlot(kResult, proc.resultVar);
    if (i >= 0) EraseSlot(i);
  }
  ExecList(proc.body);
  if (failed()) return false;
  if (flow_ == tkBreak || flow_ == tkContinue) {
    Fail(ByteString(TokenText(flow_)) + " outside loop", ctx, 15);
    return false;
  }
  if (flow_ == tkGoto) {
    Fail("Label " + gotoLabel_ + " not exist or unreacheble", ctx, 18);
    return false;
  }
  flow_ = 0;  // EXIT leaves only the routine
  for (size_t k = 0; k < proc.params.size(); ++k) {
    if (call.argNames[k].empty()) continue;
    int i = calc_.vars_.IndexOf(proc.params[k]);
    if (i >= 0) outs.emplace_back(k, calc_.vars_[i].Value);
  }
  int r = proc.isFunction ? FindSlot(kResult, proc.resultVar) : -1;
  hasResult = r >= 0;
  if (hasResult) out = calc_.vars_[r].Value;
  return true;
}

}  // namespace qel
