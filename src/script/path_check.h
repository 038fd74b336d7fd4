#pragma once
// Whether a remembered element path still leads where it led, and the plain
// number it reads there: shared by the environment and by the interpreter's
// in-place arithmetic, which checks without a call.
#include "elements/element.h"
#include "elements/element_registry.h"
#include "elements/property.h"
#include "script/script_env.h"

namespace qel {

// The remembered target of site, or null when the site no longer holds.
inline TQelElement* RememberedTarget(const PathSite& site, const PathWatch& watch, const TVarList& vars) {
  if (!site.tree || site.tree != watch.tree || site.treeStamp != watch.tree->treeStamp() ||
      site.start != *watch.current)
    return nullptr;
  for (int i = 0; i < site.askedCount; ++i) {
    const TQelElement* e = site.asked[i].element;
    if ((e->Vars ? e->Vars->stamp() : 0) != site.asked[i].varsStamp) return nullptr;
  }
  if (site.varSlot >= 0) {
    if (vars.stamp() != site.varStamp) return nullptr;
    const Variant& v = vars[site.varSlot].Value;
    if (!v.IsReference() || v.handle() != site.varHandle) return nullptr;
  }
  return site.target;
}

// The remembered variable or property of e as a plain number; false when it
// is none.
inline bool RememberedNum(const PathSite& site, const TQelElement& e, Num& v) {
  if (!site.property) return ToNum((*e.Vars)[site.var].Value, v);
  bool isFloat;
  if (!ReadNumber(*site.property, e, isFloat, v.i, v.f)) return false;
  v.kind = isFloat ? VarKind::Float : VarKind::Integer;
  return true;
}

// Writes v into the remembered property of e when it takes the number as
// it is; false, with nothing written, when the general write must decide.
inline bool WriteNumberTo(const PathSite& site, TQelElement& e, const Num& v) {
  const bool isFloat = v.kind == VarKind::Float;
  return site.property && (isFloat || v.kind == VarKind::Integer || v.kind == VarKind::Int64) &&
         WriteNumber(*site.property, e, isFloat, v.i, v.f);
}

}  // namespace qel
