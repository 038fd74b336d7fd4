#include "hostapi/date_format.h"
#include "hostapi/date_time.h"
#include "hostapi/host_args.h"
#include "hostapi/host_functions.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

double DateArg(const TVar& arg) { return NumberArg(arg.Value); }

bool AllVarsFrom(const TVarList& p, int first) {
  for (int i = first; i < p.Count(); ++i)
    if (!IsVarArg(p[i])) return false;
  return true;
}

Variant WordOf(int value) { return Variant::Word(static_cast<uint16_t>(value)); }

}  // namespace

TScriptFunc MakeNow(const HostServices& services) {
  const Clock* clock = services.clock;
  return [clock](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() != 0) return false;
    r.Value = Variant::DateTime(clock->Now());
    return true;
  };
}

TScriptFunc MakeDate(const HostServices& services) {
  const Clock* clock = services.clock;
  return [clock](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() != 0) return false;
    r.Value = Variant::DateTime(static_cast<double>(SplitDateTime(clock->Now()).day));
    return true;
  };
}

TScriptFunc MakeTime(const HostServices& services) {
  const Clock* clock = services.clock;
  return [clock](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() != 0) return false;
    r.Value = Variant::DateTime(ComposeDateTime(0, SplitDateTime(clock->Now()).msec));
    return true;
  };
}

TScriptFunc MakeDateToStr(const HostServices& services) {
  const LocaleSettings* locale = services.locale;
  return [locale](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() != 1) return false;
    r.Value = Variant::String(DateToStr(DateArg(p[0]), *locale));
    return true;
  };
}

TScriptFunc MakeTimeToStr(const HostServices& services) {
  const LocaleSettings* locale = services.locale;
  return [locale](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() != 1) return false;
    r.Value = Variant::String(TimeToStr(DateArg(p[0]), *locale));
    return true;
  };
}

TScriptFunc MakeStrToDate(const HostServices& services) {
  const HostServices s = services;
  return [s](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() != 1) return false;
    const int year = DecodeDate(s.clock->Now()).year;
    r.Value = Variant::DateTime(StrToDate(TextArg(p[0]), *s.locale, year));
    return true;
  };
}

TScriptFunc MakeStrToTime(const HostServices& services) {
  const LocaleSettings* locale = services.locale;
  return [locale](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() != 1) return false;
    r.Value = Variant::DateTime(StrToTime(TextArg(p[0]), *locale));
    return true;
  };
}

TScriptFunc MakeFormatDateTime(const HostServices& services) {
  const LocaleSettings* locale = services.locale;
  return [locale](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() != 2) return false;
    r.Value = Variant::String(FormatDateTime(TextArg(p[0]), DateArg(p[1]), *locale));
    return true;
  };
}

bool HostDayOfWeek(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = WordOf(DayOfWeek(DateArg(p[0])));
  return true;
}

bool HostIncMonth(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 2) return false;
  r.Value = Variant::DateTime(IncMonth(DateArg(p[0]), TruncatedArg(p[1].Value)));
  return true;
}

bool HostDecodeDate(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 4 || !AllVarsFrom(p, 1)) return false;
  const CivilDate d = DecodeDate(DateArg(p[0]));
  p[1].Value = WordOf(d.year);
  p[2].Value = WordOf(d.month);
  p[3].Value = WordOf(d.day);
  r.Value = p[0].Value;
  return true;
}

bool HostDecodeTime(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 5 || !AllVarsFrom(p, 1)) return false;
  const ClockTime t = DecodeTime(DateArg(p[0]));
  p[1].Value = WordOf(t.hour);
  p[2].Value = WordOf(t.minute);
  p[3].Value = WordOf(t.second);
  p[4].Value = WordOf(t.msec);
  r.Value = p[0].Value;
  return true;
}

bool HostEncodeDate(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 3) return false;
  r.Value = Variant::DateTime(
      EncodeDate(TruncatedInt(p[0].Value), TruncatedInt(p[1].Value), TruncatedInt(p[2].Value)));
  return true;
}

bool HostEncodeTime(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 4) return false;
  r.Value = Variant::DateTime(EncodeTime(TruncatedInt(p[0].Value), TruncatedInt(p[1].Value),
                                         TruncatedInt(p[2].Value), TruncatedInt(p[3].Value)));
  return true;
}

bool HostYearDays(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = WordOf(YearDays(DateArg(p[0])));
  return true;
}

bool HostYearFrac(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 2) return false;
  r.Value = Variant::Float(YearFrac(DateArg(p[0]), DateArg(p[1])));
  return true;
}

}  // namespace qel
