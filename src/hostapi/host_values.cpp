#include "hostapi/host_args.h"
#include "hostapi/host_functions.h"
#include "hostapi/stdlib_error.h"
#include "hostapi/stdlib_strings.h"
#include "script/operators.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

// Token codes of the binary operators the engine applies.
constexpr int kPlus = 17;
constexpr int kMinus = 18;

bool Step(TVarList& p, int op) {
  if (p.Count() != 1 && p.Count() != 2) return false;
  Variant value = p[0].Value;
  if (!ApplyBinary(op, value, p.Count() == 2 ? p[1].Value : Variant::Integer(1))) return false;
  // Written back by the engine only when the argument was a variable.
  p[0].Value = value;
  return true;
}

// The first argument, replaced only by a strictly smaller (sign -1) or
// larger (sign 1) one; every argument must be of the first one's kind.
bool Extreme(TVarList& p, TVar& r, int sign) {
  if (p.Count() < 1) return false;
  const VarKind kind = p[0].Value.kind();
  const Variant* best = &p[0].Value;
  for (int i = 1; i < p.Count(); ++i) {
    if (p[i].Value.kind() != kind) return false;
    int order = 0;
    if (!CompareValues(p[i].Value, *best, order)) return false;
    if ((order > 0) - (order < 0) == sign) best = &p[i].Value;
  }
  r.Value = *best;
  return true;
}

bool Equal(const Variant& a, const Variant& b) {
  int order = 0;
  if (!CompareValues(a, b, order)) throw StdlibError("Invalid variant type comparison");
  return order == 0;
}

}  // namespace

bool HostInc(TScriptCalc&, TVarList& p, TVar&) { return Step(p, kPlus); }
bool HostDec(TScriptCalc&, TVarList& p, TVar&) { return Step(p, kMinus); }
bool HostMin(TScriptCalc&, TVarList& p, TVar& r) { return Extreme(p, r, -1); }
bool HostMax(TScriptCalc&, TVarList& p, TVar& r) { return Extreme(p, r, 1); }

bool HostDecode(TScriptCalc&, TVarList& p, TVar& r) {
  const int count = p.Count();
  if (count < 3) return false;
  for (int i = 1; i + 1 < count; i += 2) {
    if (Equal(p[0].Value, p[i].Value)) {
      r.Value = p[i + 1].Value;
      return true;
    }
  }
  if (count % 2 != 0) return false;
  r.Value = p[count - 1].Value;
  return true;
}

bool HostGetVar(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  const ByteString name = UpperCase(Trim(TextArg(p[0])));
  // Looked up here rather than through GetVariable, which reads a name that
  // is found nowhere as Byte 0; GetVar answers the nil reference instead.
  const int i = calc.IndexOfVariable(name);
  ScriptEnv* env = calc.env();
  Variant value;
  if (i >= 0)
    r.Value = calc.Variables()[i].Value;
  else if (env && env->ResolvePath(name, calc.Variables(), value) == PathRead::Found)
    r.Value = value;
  else
    r.Value = Variant::LongWord(0);
  return true;
}

bool HostSetVar(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() != 2) return false;
  return calc.SetVariable(UpperCase(TextArg(p[0])), p[1].Value);
}

}  // namespace qel
