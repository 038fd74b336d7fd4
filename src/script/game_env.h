#pragma once
// The element tree as the interpreter sees it: the running element (the
// runtime's CurrentElement), dotted paths from it, and the root's switches.
#include "elements/qel_db.h"
#include "script/path_check.h"
#include "script/script_env.h"

namespace qel {

class GameEnv : public ScriptEnv {
 public:
  GameEnv(Runtime& runtime, TQelDB& root) : runtime_(runtime), root_(root) {
    watch_ = PathWatch{&runtime_.elements, &runtime_.script.CurrentElement};
  }

  PathRead ResolvePath(const ByteString& path, const TVarList& vars, Variant& value) override;
  bool AssignPath(const ByteString& path, const Variant& value, const TVarList& vars) override;
  PathRead ResolvePathAt(const ByteString& path, const TVarList& vars, Variant& value, PathSite& site) override;
  bool AssignPathAt(const ByteString& path, const Variant& value, const TVarList& vars, PathSite& site) override;
  bool ReadRememberedNum(PathSite& site, const TVarList& vars, Num& v) override;
  bool WriteRememberedNum(PathSite& site, const TVarList& vars, const Num& v) override;
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
  // The remembered target of site, or null when the site no longer holds.
  TQelElement* Remembered(const PathSite& site, const TVarList& vars) const {
    return RememberedTarget(site, watch_, vars);
  }
  // What GetValue and SetValue do with the remembered property or variable.
  static Variant Get(const TQelElement& e, const PathSite& site) {
    return site.property ? e.PropertyValue(*site.property) : (*e.Vars)[site.var].Value;
  }
  static bool Put(TQelElement& e, const PathSite& site, const Variant& value) {
    if (site.property) return e.SetPropertyValue(*site.property, value);
    (*e.Vars)[site.var].Value = value;
    return true;
  }

  Runtime& runtime_;
  TQelDB& root_;
};

}  // namespace qel
