#pragma once
// The library rows of the host-function table. Plain functions follow the
// TScriptFunc contract directly; the makers bind the services a row reads.
#include "hostapi/host_services.h"
#include "script/script_func.h"

namespace qel {

// Strings.
bool HostVal(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostChar(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostIntToStr(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostStrToInt(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostFloatToStr(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostStrToFloat(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostCopy(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostPoss(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostLength(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostDelLastChar(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostInsert(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostDelete(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostTrim(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostTrimLeft(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostTrimRight(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostUpperCase(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostLowerCase(TScriptCalc& calc, TVarList& p, TVar& r);
TScriptFunc MakeFormat(const HostServices& services);

// Dates and times.
TScriptFunc MakeNow(const HostServices& services);
TScriptFunc MakeDate(const HostServices& services);
TScriptFunc MakeTime(const HostServices& services);
TScriptFunc MakeDateToStr(const HostServices& services);
TScriptFunc MakeStrToDate(const HostServices& services);
TScriptFunc MakeTimeToStr(const HostServices& services);
TScriptFunc MakeStrToTime(const HostServices& services);
TScriptFunc MakeFormatDateTime(const HostServices& services);
bool HostDayOfWeek(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostIncMonth(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostDecodeDate(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostDecodeTime(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostEncodeDate(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostEncodeTime(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostYearDays(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostYearFrac(TScriptCalc& calc, TVarList& p, TVar& r);

// Numbers.
bool HostAbs(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostInt(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostFrac(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostRound(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostCeil(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostFloor(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostTrunc(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostSin(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostSign(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostCos(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostTan(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostArcSin(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostArcCos(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostArcTan(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostExp(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostLn(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostIntPower(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostSqr(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostSqrt(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostMod(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostRandom(TScriptCalc& calc, TVarList& p, TVar& r);

// Values: variant arithmetic and comparison, variables by computed name.
bool HostInc(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostDec(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostMin(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostMax(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostDecode(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostGetVar(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostSetVar(TScriptCalc& calc, TVarList& p, TVar& r);

}  // namespace qel
