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
