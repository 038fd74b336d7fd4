#include "script/frame_check.h"

#include "script/frame_code.h"
#include "script/tokens.h"

namespace qel {

namespace {

class FrameCheck {
 public:
  FrameCheck(const Program& program, Procedure& proc) : program_(program), proc_(proc) {}

  bool Run() {
    proc_.paramSlots.clear();
    proc_.reachedNames.clear();
    for (const ByteString& p : proc_.params) {
      if (p == "RESULT" || HasDot(p)) return false;
      proc_.paramSlots.push_back(Write(p));
    }
    proc_.resultSlot = SlotOf("RESULT");
    if (!List(proc_.body)) return false;
    // A name the body reads but never writes can only be the caller's: the
    // frame would give up at every call.
    for (size_t i = 0; i < names_.size(); ++i)
      if (!written_[i]) return false;
    proc_.frameSize = static_cast<int>(names_.size());
    proc_.slotNames = names_;
    return true;
  }

 private:
  // Names other than the parameters and RESULT are the body's own variables:
  // until the body writes one, reading it gives up the frame.
  int SlotOf(const ByteString& name) {
    for (size_t i = 0; i < names_.size(); ++i)
      if (names_[i] == name) return static_cast<int>(i);
    names_.push_back(name);
    written_.push_back(false);
    return static_cast<int>(names_.size() - 1);
  }

  int Write(const ByteString& name) {
    int i = SlotOf(name);
    written_[static_cast<size_t>(i)] = true;
    return i;
  }

  bool List(StmtList& list) {
    for (Stmt& s : list.items)
      if (!Statement(s)) return false;
    return true;
  }

  bool Statement(Stmt& s) {
    if (s.hasLabel || s.cutError || s.staged) return false;
    switch (s.kind) {
      case St::Assign:
        if (!s.targetValid || s.idx1 || s.badFollow || HasDot(s.target)) return false;
        s.slot = Write(s.target);
        return Unit(s.expr);
      case St::ExprStmt: return !s.idx1 && !s.badFollow && Unit(s.expr);
      case St::Block: return List(*s.body);
      case St::If:
        if (s.branchError || !Unit(s.expr)) return false;
        return (!s.body || List(*s.body)) && (!s.elseBody || List(*s.elseBody));
      case St::For:
        if (!s.body || HasDot(s.target)) return false;
        s.slot = SlotOf(s.target);
        return Unit(s.expr) && Unit(s.bound) && List(*s.body);
      case St::While:
      case St::Repeat: return s.body && Unit(s.expr) && List(*s.body);
      case St::Flow: return s.flow == tkExit;
      default: return false;
    }
  }

  bool Unit(const ExprUnit& u) { return u.root && !u.trailing && Expr(*u.root); }

  bool Expr(ExprNode& n) {
    switch (n.op) {
      case Op::Const: return true;
      case Op::Var:
        if (n.idx1 || HasDot(n.name)) return false;
        n.slot = SlotOf(n.name);
        return true;
      case Op::Unary: return Expr(*n.a);
      case Op::Binary: return Expr(*n.a) && Expr(*n.b);
      case Op::ProcCall: return Call(n);
      default: return false;
    }
  }

  bool Call(ExprNode& n) {
    n.callee = program_.FindProc(n.name);
    if (!n.callee || !n.callee->isFunction || n.args.size() != n.callee->params.size()) return false;
    for (size_t k = 0; k < n.args.size(); ++k) {
      if (!Unit(n.args[k])) return false;
      // Arguments are evaluated inside the call: what a call among them
      // writes back is undone when this one returns, which a frame cannot do.
      if (WritesBack(*n.args[k].root)) return false;
      // An argument sees the parameters stored before it.
      for (size_t j = 0; j < k; ++j)
        if (Reads(*n.args[k].root, n.callee->params[j])) return false;
      // Copy-out goes to the name the argument reads.
      const ExprNode& root = *n.args[k].root;
      if (!n.argNames[k].empty() && (root.op != Op::Var || root.name != n.argNames[k])) return false;
    }
    return true;
  }

  static bool Reads(const ExprNode& n, const ByteString& name) {
    if (n.op == Op::Var && n.name == name) return true;
    if (n.a && Reads(*n.a, name)) return true;
    if (n.b && Reads(*n.b, name)) return true;
    for (const ExprUnit& u : n.args)
      if (u.root && Reads(*u.root, name)) return true;
    return false;
  }

  const Program& program_;
  Procedure& proc_;
  std::vector<ByteString> names_;
  std::vector<bool> written_;
};

// Framed only while every function it calls is framed too.
bool CallsUnframed(const ExprNode& n) {
  if (n.op == Op::ProcCall && !n.callee->framed) return true;
  if (n.a && CallsUnframed(*n.a)) return true;
  if (n.b && CallsUnframed(*n.b)) return true;
  for (const ExprUnit& u : n.args)
    if (u.root && CallsUnframed(*u.root)) return true;
  return false;
}

bool CallsUnframed(const StmtList& list) {
  for (const Stmt& s : list.items) {
    if (s.expr.root && CallsUnframed(*s.expr.root)) return true;
    if (s.bound.root && CallsUnframed(*s.bound.root)) return true;
    if (s.body && CallsUnframed(*s.body)) return true;
    if (s.elseBody && CallsUnframed(*s.elseBody)) return true;
  }
  return false;
}

void Reach(const Procedure& proc, std::vector<const Procedure*>& seen, std::vector<ByteString>& names);

void Reach(const ExprNode& n, std::vector<const Procedure*>& seen, std::vector<ByteString>& names) {
  if (n.op == Op::ProcCall) Reach(*n.callee, seen, names);
  if (n.a) Reach(*n.a, seen, names);
  if (n.b) Reach(*n.b, seen, names);
  for (const ExprUnit& u : n.args)
    if (u.root) Reach(*u.root, seen, names);
}

void Reach(const StmtList& list, std::vector<const Procedure*>& seen, std::vector<ByteString>& names) {
  for (const Stmt& s : list.items) {
    if (s.expr.root) Reach(*s.expr.root, seen, names);
    if (s.bound.root) Reach(*s.bound.root, seen, names);
    if (s.body) Reach(*s.body, seen, names);
    if (s.elseBody) Reach(*s.elseBody, seen, names);
  }
}

void Reach(const Procedure& proc, std::vector<const Procedure*>& seen, std::vector<ByteString>& names) {
  for (const Procedure* p : seen)
    if (p == &proc) return;
  seen.push_back(&proc);
  auto add = [&names](const ByteString& name) {
    for (const ByteString& n : names)
      if (n == name) return;
    names.push_back(name);
  };
  for (const ByteString& name : proc.slotNames) add(name);
  Reach(proc.body, seen, names);
}

}  // namespace

bool WritesBack(const ExprNode& n) {
  if (n.op == Op::ProcCall)
    for (const ByteString& name : n.argNames)
      if (!name.empty()) return true;
  if (n.a && WritesBack(*n.a)) return true;
  if (n.b && WritesBack(*n.b)) return true;
  for (const ExprUnit& u : n.args)
    if (u.root && WritesBack(*u.root)) return true;
  return false;
}

void MarkFramedRoutines(Program& program) {
  for (auto& [name, proc] : program.procs)
    proc->framed = proc->isFunction && FrameCheck(program, *proc).Run();
  for (bool changed = true; changed;) {
    changed = false;
    for (auto& [name, proc] : program.procs) {
      if (proc->framed && CallsUnframed(proc->body)) {
        proc->framed = false;
        changed = true;
      }
    }
  }
  for (auto& [name, proc] : program.procs) {
    proc->code.reset();
    if (!proc->framed) continue;
    std::vector<const Procedure*> seen;
    Reach(*proc, seen, proc->reachedNames);
    if (auto code = CompileFrame(*proc)) {
      proc->frameSize = code->registers;
      proc->code = std::move(code);
    }
  }
}

}  // namespace qel
