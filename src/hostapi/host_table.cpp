#include "hostapi/host_table.h"

#include "elements/kinds.h"
#include "hostapi/host_anim.h"
#include "hostapi/host_elements.h"
#include "hostapi/host_functions.h"
#include "hostapi/host_puzzles.h"
#include "hostapi/host_screens.h"
#include "hostapi/host_state.h"
#include "hostapi/puzzle_routines.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

// Functions that read only their arguments: calls may lend them variables.
TScriptFunc Plain(bool (*fn)(TScriptCalc&, TVarList&, TVar&)) { return PlainHostFunction{fn, {}}; }
TScriptFunc Plain(TScriptFunc fn) { return PlainHostFunction{nullptr, std::move(fn)}; }

void RegisterRows(TScriptCalc& calc, std::vector<HostRow> rows) {
  for (HostRow& row : rows) calc.RegisterFunction(row.name, std::move(row.func));
}

}  // namespace

std::vector<HostRow> HostRows(const HostServices& s) {
  return {
      {"Val", HostVal},
      {"Char", Plain(HostChar)},
      {"IntToStr", Plain(HostIntToStr)},
      {"StrToInt", Plain(HostStrToInt)},
      {"FloatToStr", Plain(HostFloatToStr)},
      {"StrToFloat", Plain(HostStrToFloat)},
      {"Copy", Plain(HostCopy)},
      {"Poss", Plain(HostPoss)},
      {"Length", Plain(HostLength)},
      {"DelLastChar", Plain(HostDelLastChar)},
      {"Insert", HostInsert},
      {"Delete", HostDelete},
      {"Trim", Plain(HostTrim)},
      {"TrimLeft", Plain(HostTrimLeft)},
      {"TrimRight", Plain(HostTrimRight)},
      {"UpperCase", Plain(HostUpperCase)},
      {"LowerCase", Plain(HostLowerCase)},
      {"Format", Plain(MakeFormat(s))},
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
      {"Abs", Plain(HostAbs)},
      {"Int", Plain(HostInt)},
      {"Frac", Plain(HostFrac)},
      {"Round", Plain(HostRound)},
      {"Ceil", Plain(HostCeil)},
      {"Floor", Plain(HostFloor)},
      {"Trunc", Plain(HostTrunc)},
      {"Sin", Plain(HostSin)},
      {"Sign", Plain(HostSign)},
      {"Cos", Plain(HostCos)},
      {"Tan", Plain(HostTan)},
      {"ArcSin", Plain(HostArcSin)},
      {"ArcCos", Plain(HostArcCos)},
      {"ArcTan", Plain(HostArcTan)},
      {"Exp", Plain(HostExp)},
      {"Ln", Plain(HostLn)},
      {"IntPower", Plain(HostIntPower)},
      {"Sqr", Plain(HostSqr)},
      {"Sqrt", Plain(HostSqrt)},
      {"Inc", HostInc},
      {"Dec", HostDec},
      {"Min", HostMin},
      {"Max", HostMax},
      {"GetVar", HostGetVar},
      {"SetVar", HostSetVar},
      {"Decode", HostDecode},
      {"YearDays", HostYearDays},
      {"YearFrac", HostYearFrac},
      {"Mod", Plain(HostMod)},
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
      {"SetScreen", HostSetScreen},
      {"FastSetScreen", HostFastSetScreen},
      {"FastSetScreenNS", HostFastSetScreenNS},
      {"Random", HostRandom},
      {"GetAlpha", HostGetAlpha},
      {"GetPixel", HostGetPixel},
      {"MoveTo", HostMoveTo},
      {"ProcEf", HostProcEf},
      {"GetText", HostGetText},
      {"LoadIm", HostLoadIm},
      {"EndLoadIm", HostEndLoadIm},
      {"SaveState", HostSaveState},
      {"LoadState", HostLoadState},
      {"TimerReset", HostTimerReset},
      {"GetIni", HostGetIni},
      {"SetIni", HostSetIni},
      {"DelFile", HostDelFile},
      {"ToFront", HostToFront},
      {"PlaySnd", HostPlaySnd},
      {"PlayMuz", HostPlayMuz},
      {"StopMuz", HostStopMuz},
      {"ExitGame", HostExitGame},
      {"AddStar", HostAddStar},
      {"ImStarsR", HostImStarsR},
  };
}

std::vector<HostRow> GameRows(PuzzleOutlets& out) {
  using Image = TQelImage;
  return {
      {"DropColumnsStep", OnElementOf<Image>(DropColumnsStep)},
      {"MarkGroups", OnElementOf<TQelElement>(MarkGroups)},
      {"DragInRing", OnElementOf<Image>(DragInRing)},
      {"WebDraw2", OnElementOf<Image>([&out](Image& e) { WebDraw(e, WebGraph::TwoHubs, out); })},
      {"WebCheck2", OnElementOf<Image>([](Image& e) { WebCheck(e, WebGraph::TwoHubs); })},
      {"DragInOval", OnElementOf<Image>(DragInOval)},
      {"WebDraw1", OnElementOf<Image>([&out](Image& e) { WebDraw(e, WebGraph::OneHub, out); })},
      {"WebCheck1", OnElementOf<Image>([](Image& e) { WebCheck(e, WebGraph::OneHub); })},
      {"TowerStep", OnElementOf<Image>([&out](Image& e) { TowerStep(e, out); })},
      {"SortStackStep", OnElementOf<Image>(SortStackStep)},
      {"PipesStep", OnElementOf<Image>(PipesStep)},
      {"ProgressBarUpdate", OnElementOf<Image>(ProgressBarUpdate)},
      {"ScreenScore", OnElementOf<TQelScreen>(ScreenScore)},
      {"MapScore", OnElementOf<Image>(MapScore)},
      {"ShelfRowsStep", OnElementOf<Image>(ShelfRowsStep)},
      {"SlideInStep", OnElementOf<Image>(SlideInStep)},
      {"SparkRiseEdge", OnElementOf<Image>([&out](Image& e) { SparkRiseEdge(e, out); })},
      {"SparkRiseTop", OnElementOf<Image>([&out](Image& e) { SparkRiseTop(e, out); })},
      {"SparkCover10", OnElementOf<Image>([&out](Image& e) { SparkCover(e, 10, out); })},
      {"SparkCover3", OnElementOf<Image>([&out](Image& e) { SparkCover(e, 3, out); })},
      {"DropColumnsStepB", OnElementOf<Image>(DropColumnsStepB)},
      {"InventoryUpdate", OnElementOf<Image>(InventoryUpdate)},
      {"PairsStep", OnElementOf<Image>([&out](Image& e) { PairsStep(e, out); })},
  };
}

void RegisterHostFunctions(TScriptCalc& calc, const HostServices& services) {
  RegisterRows(calc, HostRows(services));
}

void RegisterHostFunctions(TScriptCalc& calc) { RegisterHostFunctions(calc, DefaultHostServices()); }

void RegisterGameFunctions(TScriptCalc& calc, PuzzleOutlets& outlets) { RegisterRows(calc, GameRows(outlets)); }

void RegisterGameFunctions(TScriptCalc& calc) { RegisterGameFunctions(calc, GameOutlets()); }

}  // namespace qel
