#include "script/game_env.h"

namespace qel {

bool GameEnv::Walk(const ByteString& path, const TVarList& vars, TQelElement*& element, ByteString& last) const {
  TQelElement* current = CurrentElement();
  size_t pos = 0;
  // Each leading dot climbs one level; there is nothing above the root.
  while (pos < path.size() && path[pos] == '.') {
    if (!current || !current->Parent()) return false;
    current = current->Parent();
    ++pos;
  }
  while (true) {
    size_t dot = path.find('.', pos);
    if (dot == ByteString::npos) break;
    if (dot == pos || !current) return false;
    ByteString segment = path.substr(pos, dot - pos);
    pos = dot + 1;
    Variant v;
    if (!current->GetValue(segment, v)) {
      if (const TVar* var = vars.Find(segment)) v = var->Value;
      else if (segment == "QELDB") v = Variant::LongWord(root_.Handle());
      else return false;
    }
    if (!v.IsReference()) return false;
    current = runtime_.Resolve(v.handle());
  }
  element = current;
  last = path.substr(pos);
  return true;
}

PathRead GameEnv::ResolvePath(const ByteString& path, const TVarList& vars, Variant& value) {
  TQelElement* element = nullptr;
  ByteString last;
  if (!Walk(path, vars, element, last)) return PathRead::Failed;
  if (!element) return PathRead::NotVarNil;
  return element->GetValue(last, value) ? PathRead::Found : PathRead::NotVar;
}

bool GameEnv::AssignPath(const ByteString& path, const Variant& value, const TVarList& vars) {
  TQelElement* element = nullptr;
  ByteString last;
  if (!Walk(path, vars, element, last) || !element) return false;
  return element->SetValue(last, value);
}

bool GameEnv::MayTake(const ByteString& name) const {
  TQelElement* e = CurrentElement();
  return e && e->MayTakeValue(name);
}

ByteString GameEnv::Place() const {
  TQelElement* e = CurrentElement();
  return e ? e->Id + " <" + e->ClassName() + ">" : ByteString();
}

}  // namespace qel
