#include "hostapi/host_elements.h"

#include <algorithm>
#include <optional>

#include "elements/kinds.h"
#include "hostapi/host_args.h"
#include "render/gfx_images.h"
#include "script/scriptcalc.h"
#include "script/script_env.h"

namespace qel {

namespace {

// The element an argument refers to: a LongWord naming a live element of
// the calling game; nil for anything else.
TQelElement* ElementArg(TScriptCalc& calc, const TVar& arg) {
  if (arg.Value.kind() != VarKind::LongWord) return nullptr;
  ScriptEnv* env = calc.env();
  Runtime* rt = env ? env->runtime() : nullptr;
  if (!rt) return nullptr;
  const auto handle = arg.Value.ToInt64();
  return handle ? rt->Resolve(static_cast<ElementRef>(*handle)) : nullptr;
}

// The element events: at least one argument; anything but an element is ignored.
template <void (TQelElement::*Operation)()>
bool OnElement(TScriptCalc& calc, TVarList& p) {
  if (p.Count() < 1) return true;
  if (TQelElement* e = ElementArg(calc, p[0])) (e->*Operation)();
  return true;
}

// A pixel of the image's current pattern, in unscaled picture coordinates; 0 without a picture.
std::optional<uint32_t> ImagePixel(TScriptCalc& calc, TVarList& p, TVar& r) {
  r.Value = Variant::Byte(0);
  auto* image = dynamic_cast<TQelImage*>(ElementArg(calc, p[0]));
  const TGfxImage* picture = image ? image->Picture() : nullptr;
  if (!picture || picture->PatternCount <= 0) return std::nullopt;
  const int pattern = std::clamp(image->Anim, 0, picture->PatternCount - 1);
  return picture->GetPatternPixel(pattern, IntegerArg(p[1].Value), IntegerArg(p[2].Value));
}

}  // namespace

bool HostUpdate(TScriptCalc& calc, TVarList& p, TVar&) { return OnElement<&TQelElement::Update>(calc, p); }
bool HostProcess(TScriptCalc& calc, TVarList& p, TVar&) { return OnElement<&TQelElement::Process>(calc, p); }
bool HostMsDown(TScriptCalc& calc, TVarList& p, TVar&) { return OnElement<&TQelElement::DoMouseDown>(calc, p); }
bool HostMsMove(TScriptCalc& calc, TVarList& p, TVar&) { return OnElement<&TQelElement::DoMouseMove>(calc, p); }
bool HostInit(TScriptCalc& calc, TVarList& p, TVar&) { return OnElement<&TQelElement::ReInit>(calc, p); }
bool HostShow(TScriptCalc& calc, TVarList& p, TVar&) { return OnElement<&TQelElement::Show>(calc, p); }

// A non-text argument leaves the focus where it was.
bool HostSetFocus(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() < 1) return true;
  if (auto* text = dynamic_cast<TQelText*>(ElementArg(calc, p[0]))) text->runtime().shell.FocusedText = text->Handle();
  return true;
}

bool HostGetAlpha(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 3 || p[0].Value.kind() != VarKind::LongWord) return true;
  if (auto pixel = ImagePixel(calc, p, r)) r.Value = Variant::Integer(static_cast<int32_t>(*pixel >> 24));
  return true;
}

bool HostGetPixel(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 3 || p[0].Value.kind() != VarKind::LongWord) return true;
  if (auto pixel = ImagePixel(calc, p, r)) r.Value = Variant::Integer(static_cast<int32_t>(*pixel & 0xFFFFFF));
  return true;
}

bool HostMoveTo(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 3 || p[0].Value.kind() != VarKind::LongWord) return true;
  r.Value = Variant::Byte(0);
  if (TQelElement* e = ElementArg(calc, p[0])) e->SetPos(IntegerArg(p[1].Value), IntegerArg(p[2].Value));
  return true;
}

bool HostGetText(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  ScriptEnv* env = calc.env();
  r.Value = Variant::String(env ? env->GetLangText(TextArg(p[0])) : ByteString());
  return true;
}

bool HostToFront(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() < 1) return true;
  TQelElement* e = ElementArg(calc, p[0]);
  if (e && e->Parent()) e->Parent()->BringToFront(e);
  return true;
}

}  // namespace qel
