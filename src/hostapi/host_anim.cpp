// Image lists, animations and effects from scripts. Arguments of the wrong
// count, kind or class make these functions do nothing; none of them fails.
#include "hostapi/host_anim.h"

#include "elements/kinds.h"
#include "elements/particles.h"
#include "script/operators.h"
#include "script/scriptcalc.h"
#include "script/tokens.h"

namespace qel {
namespace {

// The element an argument refers to, when the argument is an element reference.
TQelElement* ElementArg(TScriptCalc& calc, const TVar& arg) {
  if (!arg.Value.IsReference()) return nullptr;
  Runtime* rt = calc.env() ? calc.env()->runtime() : nullptr;
  return rt ? rt->Resolve(arg.Value.handle()) : nullptr;
}

// The element of the first argument when it is exactly of the named class.
template <class Kind>
Kind* FirstOf(TScriptCalc& calc, TVarList& p, const char* className) {
  if (p.Count() < 1) return nullptr;
  TQelElement* e = ElementArg(calc, p[0]);
  return e && e->IsClass(className) ? static_cast<Kind*>(e) : nullptr;
}

// Process steps per second of the frame timer.
constexpr int32_t kTimerSpeed = 30;

}  // namespace

bool HostListAdd(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() < 2) return true;
  auto* list = FirstOf<TQelImList>(calc, p, "TQelImList");
  TQelElement* image = ElementArg(calc, p[1]);
  if (list && image && image->IsClass("TQelImage")) list->AddEntry(image);
  return true;
}

bool HostListDel(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() < 2) return true;
  auto* list = FirstOf<TQelImList>(calc, p, "TQelImList");
  if (!list) return true;
  if (p[1].Value.IsString()) {
    list->RemoveEntryById(p[1].Value.string_value());
  } else if (TQelElement* image = ElementArg(calc, p[1]); image && image->IsClass("TQelImage")) {
    list->RemoveEntry(image);
  }
  return true;
}

bool HostAnimStart(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() < 1) return true;
  TQelElement* e = ElementArg(calc, p[0]);
  if (!e) return true;
  if (e->IsClass("TQelAnim")) static_cast<TQelAnim*>(e)->Start();
  else if (e->IsClass("TQelEffect")) static_cast<TQelEffect*>(e)->EffectStart();
  return true;
}

bool HostAnimStop(TScriptCalc& calc, TVarList& p, TVar&) {
  if (auto* effect = FirstOf<TQelEffect>(calc, p, "TQelEffect")) effect->EffectStop();
  return true;
}

bool HostAnimBreak(TScriptCalc& calc, TVarList& p, TVar&) {
  if (auto* effect = FirstOf<TQelEffect>(calc, p, "TQelEffect")) {
    if (TXParticleSystem* system = effect->System()) system->Stop(true);
    effect->EffectStop();
  }
  return true;
}

bool HostAnimPlay(TScriptCalc& calc, TVarList& p, TVar&) {
  if (auto* anim = FirstOf<TQelAnim>(calc, p, "TQelAnim")) anim->Play();
  return true;
}

bool HostProcEf(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 2 || !p[0].Value.IsReference()) return true;
  r.Value = Variant::Byte(0);
  auto* effect = FirstOf<TQelEffect>(calc, p, "TQelEffect");
  if (!effect) return true;
  // dt / Speed * DAnim, with the scripts' own arithmetic.
  Variant step = p[1].Value;
  if (!ApplyBinary(tkSlash, step, Variant::Integer(kTimerSpeed)) ||
      !ApplyBinary(tkStar, step, Variant::Float(effect->DAnim)))
    return true;
  if (auto dt = step.ToDouble()) effect->Step(*dt);
  return true;
}

}  // namespace qel
