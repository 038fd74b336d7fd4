#pragma once
// The element tree as the interpreter sees it: the running element (the
// runtime's CurrentElement), dotted paths from it, and the root's switches.
#include "elements/qel_db.h"
#include "script/script_env.h"

namespace qel {

class GameEnv : public ScriptEnv {
 public:
  GameEnv(Runtime& runtime, TQelDB& root) : runtime_(runtime), root_(root) {}

  PathRead ResolvePath(const ByteString& path, const TVarList& vars, Variant& value) override;
  bool AssignPath(const ByteString& path, const Variant& value, const TVarList& vars) override;
  PathRead ResolvePathAt(const ByteString& path, const TVarList& vars, Variant& value, PathSite& site) override;
  bool AssignPathAt(const ByteString& path, const Variant& value, const TVarList& vars, PathSite& site) override;
  bool ReadRemembered(PathSite& site, Variant& value) override {
    TQelElement* e = Remembered(site);
    if (!e) return false;
    value = site.property ? e->PropertyValue(*site.property) : (*e->Vars)[site.var].Value;
    return true;
  }
  bool ReadRememberedNum(PathSite& site, Num& v) override {
    TQelElement* e = Remembered(site);
    if (!e) return false;
    if (!site.property) return ToNum((*e->Vars)[site.var].Value, v);
    bool isFloat;
    if (!ReadNumber(*site.property, *e, isFloat, v.i, v.f)) return false;
    v.kind = isFloat ? VarKind::Float : VarKind::Integer;
    return true;
  }
  bool WriteRememberedNum(PathSite& site, const Num& v) override {
    TQelElement* e = Remembered(site);
    if (!e) return false;
    bool isFloat = v.kind == VarKind::Float;
    if (site.property && (isFloat || v.kind == VarKind::Integer || v.kind == VarKind::Int64) &&
        WriteNumber(*site.property, *e, isFloat, v.i, v.f))
      return true;
    Variant value;
    SetNum(value, v);
    return Put(*e, site, value);
  }
  bool WriteRemembered(PathSite& site, const Variant& value) override {
    TQelElement* e = Remembered(site);
    return e && Put(*e, site, value);
  }
  bool MayTake(const ByteString& name) const override;
  ByteString Place() const override;
  ByteString EventName() const override { return runtime_.script.EventName; }
  bool SaveErr() const override { return root_.SaveErr; }
  bool UnicodeMode() const override { return root_.UnicodeMode; }
  ByteString GetLangText(const ByteString& key) const override { return root_.GetLangText(key); }
  Runtime* runtime() const override { return &runtime_; }
  TQelElement* CurrentElement() const override { return runtime_.Resolve(runtime_.script.CurrentElement); }
  TQelElement* RootElement() const override { return &root_; }

 private:
  // Walks the leading dots and inner segments; false when the walk fails.
  // element may end nil; last receives the final segment.
  // trace, when given, is filled when the walk can be remembered.
  bool Walk(const ByteString& path, const TVarList& vars, TQelElement*& element, ByteString& last,
            PathSite* trace = nullptr) const;
  // What SetValue does with the remembered property or variable.
  static bool Put(TQelElement& e, const PathSite& site, const Variant& value) {
    if (site.property) return e.SetPropertyValue(*site.property, value);
    (*e.Vars)[site.var].Value = value;
    return true;
  }
  // The remembered target of site, or null when the site no longer holds.
  TQelElement* Remembered(const PathSite& site) const {
    if (site.tree != &runtime_.elements || site.treeStamp != runtime_.elements.treeStamp() ||
        site.start != runtime_.script.CurrentElement)
      return nullptr;
    for (int i = 0; i < site.askedCount; ++i) {
      const TQelElement* e = site.asked[i].element;
      if ((e->Vars ? e->Vars->stamp() : 0) != site.asked[i].varsStamp) return nullptr;
    }
    return site.target;
  }

  Runtime& runtime_;
  TQelDB& root_;
};

}  // namespace qel
