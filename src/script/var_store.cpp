// The variable store: script variables first, then the element tree.
#include "script/machine.h"

namespace qel {

namespace {

ByteString Where(const TScriptCalc& calc) {
  ScriptEnv* env = calc.env();
  return env ? " (in " + env->Place() + " " + env->EventName() : ByteString(" (in  ");
}

}  // namespace

int Machine::FindSlot(const ByteString& name, int& cache) const {
  const TVarList& vars = calc_.vars_;
  if (cache >= 0 && cache < vars.Count() && vars[cache].Name == name) return cache;
  cache = vars.IndexOf(name);
  return cache;
}

bool Machine::Lookup(const ByteString& name, int& cache, Variant& out) {
  int i = FindSlot(name, cache);
  if (i >= 0) {
    out = calc_.vars_[i].Value;
    return true;
  }
  ScriptEnv* env = calc_.env();
  PathRead r;
  if (env) r = env->ResolvePath(name, calc_.vars_, out);
  else r = name.find('.') == ByteString::npos ? PathRead::NotVarNil : PathRead::Failed;
  switch (r) {
    case PathRead::Found: return true;
    case PathRead::NotVar:
    case PathRead::NotVarNil:
      out = Variant::Byte(0);
      calc_.LogLine((r == PathRead::NotVar ? "Not var " : "Not var NIL ") + name + Where(calc_));
      return true;
    case PathRead::Failed: break;
  }
  return false;
}

bool Machine::Store(const ByteString& name, const Variant& value, int& cache) {
  int i = FindSlot(name, cache);
  if (i >= 0) {
    WriteSlot(i, value);
    return true;
  }
  ScriptEnv* env = calc_.env();
  if (env && env->AssignPath(name, value, calc_.vars_)) return true;
  if (!IsValidName(name)) return false;
  if (name.find('.') != ByteString::npos) calc_.LogLine("Add var " + name + Where(calc_));
  AppendVar(TVar{name, value});
  cache = calc_.vars_.Count() - 1;
  return true;
}

}  // namespace qel
