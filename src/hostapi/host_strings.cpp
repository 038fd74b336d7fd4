#include <algorithm>
#include <span>

#include "hostapi/host_args.h"
#include "hostapi/host_functions.h"
#include "hostapi/stdlib_format.h"
#include "hostapi/stdlib_strings.h"
#include "hostapi/float_text.h"
#include "hostapi/stdlib_error.h"
#include "script/string_limit.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

using TextMap = ByteString (*)(const ByteString&);

bool MapText(TVarList& p, TVar& r, TextMap map) {
  if (p.Count() != 1) return false;
  ByteString scratch;
  r.Value = Variant::String(map(TextRef(p[0], scratch)));
  return true;
}

int32_t ToInt32Length(int64_t n) { return static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX)); }

}  // namespace

bool HostVal(TScriptCalc&, TVarList& p, TVar&) {
  if (p.Count() != 3 || !IsVarArg(p[1]) || !IsVarArg(p[2])) return false;
  const ValResult v = Val(TextArg(p[0]));
  p[1].Value = Variant::Float(v.value);
  p[2].Value = Variant::Integer(v.code);
  return true;
}

bool HostChar(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = Variant::String(CharOf(IntegerArg(p[0].Value)));
  return true;
}

bool HostIntToStr(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = Variant::String(IntToStr(IntegerArg(p[0].Value)));
  return true;
}

bool HostStrToInt(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = Variant::Integer(StrToInt(TextArg(p[0])));
  return true;
}

bool HostFloatToStr(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = Variant::String(FloatToStr(NumberArg(p[0].Value)));
  return true;
}

bool HostStrToFloat(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  const auto value = StrToFloat(TextArg(p[0]));
  if (!value) return false;
  r.Value = Variant::Float(*value);
  return true;
}

bool HostCopy(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 3) return false;
  ByteString scratch;
  const ByteString& text = TextRef(p[0], scratch);
  r.Value = Variant::String(CopyText(text, TruncatedArg(p[1].Value), TruncatedArg(p[2].Value)));
  return true;
}

bool HostPoss(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 2) return false;
  ByteString scratch0, scratch1;
  r.Value.SetInteger(ToInt32Length(Poss(TextRef(p[0], scratch0), TextRef(p[1], scratch1))));
  return true;
}

bool HostLength(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  ByteString scratch;
  r.Value.SetInteger(ToInt32Length(TextLength(TextRef(p[0], scratch), calc.UnicodeMode())));
  return true;
}

bool HostDelLastChar(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  r.Value = Variant::String(DelLastChar(TextArg(p[0]), calc.UnicodeMode()));
  return true;
}

bool HostInsert(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 3 || !IsVarArg(p[1])) return false;
  const ByteString source = TextArg(p[0]), text = TextArg(p[1]);
  if (!StringFits(source.size(), text.size())) throw StdlibError(StringTooLong(source.size(), text.size()));
  r.Value = Variant::String(InsertText(source, text, TruncatedArg(p[2].Value)));
  p[1].Value = r.Value;
  return true;
}

bool HostDelete(TScriptCalc&, TVarList& p, TVar& r) {
  if (p.Count() != 3 || !IsVarArg(p[0])) return false;
  r.Value = Variant::String(DeleteText(TextArg(p[0]), TruncatedArg(p[1].Value), TruncatedArg(p[2].Value)));
  p[0].Value = r.Value;
  return true;
}

bool HostTrim(TScriptCalc&, TVarList& p, TVar& r) { return MapText(p, r, Trim); }
bool HostTrimLeft(TScriptCalc&, TVarList& p, TVar& r) { return MapText(p, r, TrimLeft); }
bool HostTrimRight(TScriptCalc&, TVarList& p, TVar& r) { return MapText(p, r, TrimRight); }
bool HostUpperCase(TScriptCalc&, TVarList& p, TVar& r) { return MapText(p, r, UpperCase); }
bool HostLowerCase(TScriptCalc&, TVarList& p, TVar& r) { return MapText(p, r, LowerCase); }

TScriptFunc MakeFormat(const HostServices& services) {
  const LocaleSettings* locale = services.locale;
  return [locale](TScriptCalc&, TVarList& p, TVar& r) {
    if (p.Count() < 2) return false;
    ByteString scratch;
    const std::span<const TVar> args(&p[1], static_cast<size_t>(p.Count() - 1));
    r.Value = Variant::String(FormatScript(TextRef(p[0], scratch), args, *locale));
    return true;
  };
}

}  // namespace qel
