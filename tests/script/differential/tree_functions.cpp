#include "differential/tree_functions.h"

#include "elements/element.h"
#include "script/scriptcalc.h"

namespace qel {

namespace {

TQelElement* ElementOf(Runtime& runtime, const TVar& arg) {
  return arg.Value.IsReference() ? runtime.Resolve(arg.Value.handle()) : nullptr;
}

TVarList& VarsOf(TQelElement& e) {
  if (!e.Vars) e.Vars = std::make_unique<TVarList>();
  return *e.Vars;
}

}  // namespace

void RegisterTreeFunctions(TScriptCalc& calc, Runtime& runtime) {
  Runtime* rt = &runtime;
  calc.RegisterFunction("TREEMAKE", [rt](TScriptCalc&, TVarList& p, TVar& r) {
    TQelElement* parent = p.Count() == 2 ? ElementOf(*rt, p[0]) : nullptr;
    r.Value = Variant::LongWord(0);
    if (!parent) return true;
    TQelElement* made = parent->CreateChild("TQelImage");
    if (made) made->SetId(p[1].Value.ToString());
    r.Value = Variant::LongWord(made ? made->Handle() : 0);
    return true;
  });
  calc.RegisterFunction("TREEDROP", [rt](TScriptCalc&, TVarList& p, TVar&) {
    TQelElement* e = p.Count() == 1 ? ElementOf(*rt, p[0]) : nullptr;
    if (!e || !e->Parent()) return true;
    e->Parent()->DestroyChild(e);
    return true;
  });
  calc.RegisterFunction("TREEVAR", [rt](TScriptCalc&, TVarList& p, TVar&) {
    TQelElement* e = p.Count() == 3 ? ElementOf(*rt, p[0]) : nullptr;
    if (!e) return true;
    ByteString name = p[1].Value.ToString();
    if (!VarsOf(*e).UpdateValue(name, p[2].Value)) VarsOf(*e).Append(name, p[2].Value);
    return true;
  });
  calc.RegisterFunction("TREEUNVAR", [rt](TScriptCalc&, TVarList& p, TVar&) {
    TQelElement* e = p.Count() == 2 ? ElementOf(*rt, p[0]) : nullptr;
    if (!e) return true;
    if (e->Vars) {
      int i = e->Vars->IndexOf(p[1].Value.ToString());
      if (i >= 0) e->Vars->Erase(i);
    }
    return true;
  });
  calc.RegisterFunction("TREEENTER", [rt](TScriptCalc&, TVarList& p, TVar&) {
    TQelElement* e = p.Count() == 1 ? ElementOf(*rt, p[0]) : nullptr;
    if (!e) return true;
    rt->script.CurrentElement = e->Handle();
    return true;
  });
}

}  // namespace qel
