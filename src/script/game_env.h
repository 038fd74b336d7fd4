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
  bool Walk(const ByteString& path, const TVarList& vars, TQelElement*& element, ByteString& last) const;

  Runtime& runtime_;
  TQelDB& root_;
};

}  // namespace qel
