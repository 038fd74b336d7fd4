#include <cmath>

#include "hostapi/host_args.h"
#include "hostapi/host_functions.h"
#include "hostapi/random.h"
#include "hostapi/stdlib_error.h"
#include "hostapi/stdlib_math.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

using FloatMap = double (*)(double);

bool MapFloat(TVarList& p, TVar& r, FloatMap map) {
  if (p.Count() != 1) return false;
  r.Value.SetFloat(CheckedFloat(map(NumberArg(p[0].Value))));
  return true;
}

using WholeMap = Variant (*)(double);

bool MapWhole(TVarList& p, TVar& r, WholeMap map) {
  if (p.Count() != 1) return false;
  r.Value = map(NumberArg(p[0].Value));
  return true;
}

double Square(double x) { return x * x; }

double NaturalLog(double x) {
  if (x == 0) throw StdlibError("Logarithm of zero");
  return std::log(x);
}

}  // namespace

bool HostAbs(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::fabs); }
bool HostFrac(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, FracPart); }
bool HostSin(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::sin); }
bool HostCos(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::cos); }
bool HostTan(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::tan); }
bool HostArcSin(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::asin); }
bool HostArcCos(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::acos); }
bool HostArcTan(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::atan); }
bool HostExp(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::exp); }
bool HostLn(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, NaturalLog); }
bool HostSqr(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, Square); }
bool HostSqrt(TScriptCalc&, TVarList& p, TVar& r) { return MapFloat(p, r, std::sqrt); }

bool HostRound(TScriptCalc&, TVarList& p, TVar& r) { return MapWhole(p, r, RoundValue); }
bool HostCeil(TScriptCalc&, TVarList& p, TVar& r) { return MapWhole(p, r, CeilValue); }
bool HostFloor(TScriptCalc&, TVarList& p, TVar& r) { return MapWhole(p, r, FloorValue); }
bool HostTrunc(TScriptCalc&, TVarList& p, TVar& r) { return MapWhole(p, r, TruncValue); }

bool HostInt(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = Variant::Int64(IntPart(NumberArg(p[0].Value)));
  return true;
}

bool HostSign(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = Variant::ShortInt(SignOf(IntegerArg(p[0].Value)));
  return true;
}

bool HostIntPower(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 2) return false;
  r.Value = Variant::Float(IntPower(NumberArg(p[0].Value), TruncatedArg(p[1].Value)));
  return true;
}

bool HostMod(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 2) return false;
  r.Value = Variant::Integer(ModInt(IntegerArg(p[0].Value), IntegerArg(p[1].Value)));
  return true;
}

bool HostRandom(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  const int32_t range = IntegerArg(p[0].Value);
  if (range <= 0) throw StdlibError("Random range must be positive");
  r.Value = Variant::Integer(static_cast<int32_t>(NextRandom(calc.RandSeed(), static_cast<uint32_t>(range))));
  return true;
}

}  // namespace qel
