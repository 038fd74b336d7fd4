#include "hostapi/host_table.h"

#include "hostapi/host_anim.h"
#include "hostapi/host_elements.h"
#include "hostapi/host_functions.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

void RegisterRows(TScriptCalc& calc, std::vector<HostRow> rows) {
  for (HostRow& row : rows) calc.RegisterFunction(row.name, std::move(row.func));
}

}  // namespace

std::vector<HostRow> HostRows(const HostServices& s) {
  return {
      {"Val", HostVal},
      {"Char", HostChar},
      {"IntToStr", HostIntToStr},
      {"StrToInt", HostStrToInt},
      {"FloatToStr", HostFloatToStr},
      {"StrToFloat", HostStrToFloat},
      {"Copy", HostCopy},
      {"Poss", HostPoss},
      {"Length", HostLength},
      {"DelLastChar", HostDelLastChar},
      {"Insert", HostInsert},
      {"Delete", HostDelete},
      {"Trim", HostTrim},
      {"TrimLeft", HostTrimLeft},
      {"TrimRight", HostTrimRight},
      {"UpperCase", HostUpperCase},
      {"LowerCase", HostLowerCase},
      {"Format", MakeFormat(s)},
      {"Now", MakeNow(s)},
      {"Date", MakeDate(s)},
      {"Time", MakeTime(s)},
      {"DateToStr", MakeDateToStr(s)},
      {"StrToDate", MakeStrToDate(s)},
      {"TimeToStr", MakeTimeToStr(s)},
      {"StrToTime", MakeStrToTime(s)},
      {"FormatDateTime", MakeFormatDateTime(s)},
      {"DayOfWeek", HostDayOfWeek},
      {"IncMonth", HostIncMonth},
      {"DecodeDate", HostDecodeDate},
      {"DecodeTime", HostDecodeTime},
      {"EncodeDate", HostEncodeDate},
      {"EncodeTime", HostEncodeTime},
      {"Abs", HostAbs},
      {"Int", HostInt},
      {"Frac", HostFrac},
      {"Round", HostRound},
      {"Ceil", HostCeil},
      {"Floor", HostFloor},
      {"Trunc", HostTrunc},
      {"Sin", HostSin},
      {"Sign", HostSign},
      {"Cos", HostCos},
      {"Tan", HostTan},
      {"ArcSin", HostArcSin},
      {"ArcCos", HostArcCos},
      {"ArcTan", HostArcTan},
      {"Exp", HostExp},
      {"Ln", HostLn},
      {"IntPower", HostIntPower},
      {"Sqr", HostSqr},
      {"Sqrt", HostSqrt},
      {"Inc", HostInc},
      {"Dec", HostDec},
      {"Min", HostMin},
      {"Max", HostMax},
      {"GetVar", HostGetVar},
      {"SetVar", HostSetVar},
      {"Decode", HostDecode},
      {"YearDays", HostYearDays},
      {"YearFrac", HostYearFrac},
      {"Mod", HostMod},
      {"ListAdd", HostListAdd},
      {"ListDel", HostListDel},
      {"AnimStart", HostAnimStart},
      {"AnimStop", HostAnimStop},
      {"AnimBreak", HostAnimBreak},
      {"AnimPlay", HostAnimPlay},
      {"Update", HostUpdate},
      {"Process", HostProcess},
      {"MsDown", HostMsDown},
      {"MsMove", HostMsMove},
      {"Init", HostInit},
      {"Show", HostShow},
      {"SetFocus", HostSetFocus},
      // Rows 75-77 (screen switching) come with the player.
      {"Random", HostRandom},
      {"GetAlpha", HostGetAlpha},
      {"GetPixel", HostGetPixel},
      {"MoveTo", HostMoveTo},
      {"ProcEf", HostProcEf},
      {"GetText", HostGetText},
      // Rows 84-91 (loading, state, settings) come with the runtime functions.
      {"ToFront", HostToFront},
      // Rows 93-98 (sound, stars) come with the runtime functions.
  };
}

std::vector<HostRow> GameRows() {
  // The puzzle routines come with their own issue.
  return {};
}

void RegisterHostFunctions(TScriptCalc& calc, const HostServices& services) {
  RegisterRows(calc, HostRows(services));
}

void RegisterHostFunctions(TScriptCalc& calc) { RegisterHostFunctions(calc, DefaultHostServices()); }

void RegisterGameFunctions(TScriptCalc& calc) { RegisterRows(calc, GameRows()); }

}  // namespace qel
