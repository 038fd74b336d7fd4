// Calls of host functions: arguments evaluated into a reused list, the
// callback, then the copy-out of arguments written as variable names.
#include <algorithm>
#include <bit>
#include <cstring>

#include "script/machine.h"

namespace qel {

namespace {

using HostFn = bool (*)(TScriptCalc&, TVarList&, TVar&);

// Same kind and same payload, floats bit for bit (so -0 differs from 0):
// writing one over the other would change nothing a script can see.
bool SameValue(const Variant& a, const Variant& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case VarKind::Empty: return true;
    case VarKind::Float:
    case VarKind::DateTime:
      return std::bit_cast<uint64_t>(a.float_value()) == std::bit_cast<uint64_t>(b.float_value());
    case VarKind::String: return a.string_value() == b.string_value();
    default: return a.int_value() == b.int_value();
  }
}

// Compared at a length known here, so that no call is made for it.
template <size_t N>
bool HasName(const TVar& arg, const char (&name)[N]) {
  return arg.Name.size() == N - 1 && std::memcmp(arg.Name.data(), name, N - 1) == 0;
}

bool CallsAnything(const ExprNode& n);

bool CallsAnything(const IndexList* list) {
  if (!list) return false;
  for (const ExprUnit& u : list->parts)
    if (u.root && CallsAnything(*u.root)) return true;
  return false;
}

bool CallsAnything(const ExprNode& n) {
  if (n.op == Op::Call || n.op == Op::ProcCall) return true;
  return (n.a && CallsAnything(*n.a)) || (n.b && CallsAnything(*n.b)) || CallsAnything(n.idx1.get()) ||
         CallsAnything(n.idx2.get());
}

// No argument can change a variable while the others are evaluated.
bool ArgsCallNothing(const ExprNode& call) {
  if (call.argsCallNothing < 0) {
    call.argsCallNothing = 1;
    for (const ExprUnit& u : call.args)
      if (u.root && CallsAnything(*u.root)) call.argsCallNothing = 0;
  }
  return call.argsCallNothing == 1;
}

}  // namespace

// The argument's value, and the caller's variable it names (-1 for none),
// found after the argument was evaluated, as its evaluation may change the
// list.
[[gnu::always_inline]] inline bool Machine::HostArg(const ExprNode& call, size_t k, Variant& value, int& slot) {
  const ExprUnit& unit = call.args[k];
  const ByteString& name = call.argNames[k];
  bool done = false;
  if (fast_ && unit.root && !unit.trailing) {
    // Constants and plain variables, most arguments, are read in place.
    const ExprNode& root = *unit.root;
    if (root.op == Op::Const) {
      value = root.value;
      done = true;
    } else if (root.op == Op::Var && !root.idx1) {
      int i = FindSlot(root.name, root.var);
      if (i >= 0) {
        value = calc_.vars_[i].Value;
        // A name written alone is the argument's name as well (not so with a
        // stray token after it).
        if (name == root.name) {
          slot = i;
          return true;
        }
        done = true;
      }
    }
  }
  if (!done && !EvalUnit(unit, value)) return false;
  slot = name.empty() ? -1 : FindSlot(name, call.argVars[k]);
  return true;
}

void Machine::CopyOut(int slot, const Variant& value) {
  // Most callbacks leave their arguments alone.
  if (fast_ && SameValue(calc_.vars_[slot].Value, value)) return;
  WriteSlot(slot, value);
}

void Machine::HostFailed(const ByteString& name, const char* exception, TokenRange ctx) {
  Fail("Invalid parameters, function " + name + (exception ? " : " + ByteString(exception) : ByteString()), ctx, 7);
  Fail("Error in function: " + name, ctx, 7);
}

void Machine::CallHost(const ExprNode& n, Variant& out) {
  TokenRange ctx = unit_->text;
  const TFuncList& funcs = calc_.funcs_;
  if (n.funcOwner != &calc_ || n.funcVersion != funcs.version()) {
    n.funcIndex = funcs.IndexOf(n.name);
    n.funcOwner = &calc_;
    n.funcVersion = funcs.version();
    const TScriptFunc* func = n.funcIndex < 0 ? nullptr : &funcs[n.funcIndex].Func;
    const HostFn* plain = func ? func->target<HostFn>() : nullptr;
    n.funcPlain = plain ? *plain : nullptr;
    n.plainFunc = func ? func->target<PlainHostFunction>() : nullptr;
    if (n.plainFunc && n.plainFunc->fn) n.funcPlain = n.plainFunc->fn;
  }
  if (n.funcIndex < 0) {
    Fail("Unknown function: " + n.name, ctx, 8);
    return;
  }
  // Host calls are the hot path of library-heavy scripts: each nesting level
  // reuses its argument list, and short slot lists stay on the stack.
  const size_t argc = n.args.size();
  // One list per nesting level and argument count, so that calls of
  // different arity in one expression do not resize a shared list.
  const size_t list = hostDepth_ * (kArgListSizes + 1) + std::min(argc, kArgListSizes);
  if (list >= argLists_.size()) argLists_.resize(list + 1);
  if (!argLists_[list]) argLists_[list] = std::make_unique<TVarList>();
  TVarList& params = *argLists_[list];
  struct Leave {
    size_t& depth;
    ~Leave() { --depth; }
  } leave{++hostDepth_};
  const int count = static_cast<int>(argc);
  if (params.Count() != count) {
    while (params.Count() > count) params.PopBack();
    params.Reserve(count);
    while (params.Count() < count) params.Append(TVar{});
  }
  int inlineSlots[8];
  std::vector<int> moreSlots(argc > 8 ? argc : 0);
  int* slots = argc > 8 ? moreSlots.data() : inlineSlots;
  for (size_t k = 0; k < argc; ++k) {
    TVar& arg = params[static_cast<int>(k)];
    if (!HostArg(n, k, arg.Value, slots[k])) {
      Fail("Invalid expression in function params: " + Encode(n.args[k].text), ctx, 7);
      return;
    }
    // Most calls pass the same way as the last one: no rewrite then.
    if (slots[k] >= 0) {
      if (!HasName(arg, "VAR")) arg.Name = "VAR";
    } else if (!HasName(arg, "VALUE")) {
      arg.Name = "VALUE";
    }
  }
  TVar result;
  bool ok = false;
  try {
    if (fast_ && n.funcPlain) {
      ok = n.funcPlain(calc_, params, result);
    } else if (fast_ && n.plainFunc) {
      // A plain callback registers nothing: no copy is needed.
      ok = (*n.plainFunc)(calc_, params, result);
    } else {
      // A copy, so that a callback may register functions without pulling
      // the callee out from under itself.
      TScriptFunc func = funcs[n.funcIndex].Func;
      ok = func && func(calc_, params, result);
    }
  } catch (const std::exception& e) {
    HostFailed(n.name, e.what(), ctx);
    return;
  } catch (...) {
    HostFailed(n.name, "Unknown exception", ctx);
    return;
  }
  if (!ok) {
    HostFailed(n.name, nullptr, ctx);
    return;
  }
  // A plain callback changes no argument, and when no argument calls
  // anything no variable passed can have changed since it was read: every
  // write-back would write the value the variable has.
  if (fast_ && n.plainFunc && ArgsCallNothing(n)) {
    out = std::move(result.Value);
    return;
  }
  // The callback may have changed the list's length.
  const size_t written = std::min(argc, static_cast<size_t>(params.Count()));
  const int vars = calc_.vars_.Count();
  for (size_t k = 0; k < written; ++k)
    if (slots[k] >= 0 && slots[k] < vars) CopyOut(slots[k], params[static_cast<int>(k)].Value);
  out = std::move(result.Value);
}

}  // namespace qel
