#include "script/game_env.h"

namespace qel {

namespace {

// The element a segment leads to when the element answers it with a child or
// with a keyword that names a place in the tree; null when the answer may
// change without the tree changing (a variable, a property, the cursor ...).
const TQelElement* TreeStep(const TQelElement& e, const ByteString& segment) {
  if (!e.NamedByBase(segment) || (e.Vars && e.Vars->Find(segment)) || e.Class().FindProperty(segment) >= 0)
    return nullptr;
  if (const TQelElement* child = e.ChildNamed(segment)) return child;
  if (segment == "SELF") return &e;
  if (segment == "PARENT") return e.Parent();
  if (segment == "QELDB") return e.Root();
  return nullptr;
}

// A name the element surely does not answer while its variables, properties
// and children do not have it: one a script variable may then stand for.
bool SurelyMissing(const TQelElement& e, const ByteString& segment) {
  return e.NamedByBase(segment) && !e.KeywordName(segment) && !(e.Vars && e.Vars->Find(segment)) &&
         e.Class().FindProperty(segment) < 0 && !e.ChildNamed(segment);
}

void Ask(PathSite& trace, const TQelElement& e) {
  trace.asked[trace.askedCount++] = {&e, e.Vars ? e.Vars->stamp() : 0};
}

}  // namespace

bool GameEnv::Walk(const ByteString& path, const TVarList& vars, TQelElement*& element, ByteString& last,
                   PathSite* trace) const {
  TQelElement* current = CurrentElement();
  if (trace) {
    trace->tree = nullptr;
    trace->askedCount = 0;
    trace->varSlot = -1;
  }
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
    // What can be remembered of this step: the element the tree leads to,
    // or that a script variable stands for the name.
    const TQelElement* step = nullptr;
    bool byVariable = false;
    if (trace && trace->askedCount < PathSite::kMaxAsked - 1) {
      step = TreeStep(*current, segment);
      byVariable = !step && trace->varSlot < 0 && SurelyMissing(*current, segment);
      if (step || byVariable) Ask(*trace, *current);
      else trace = nullptr;
    } else {
      trace = nullptr;
    }
    Variant v;
    if (current->GetValue(segment, v)) {
      if (byVariable) trace = nullptr;
    } else {
      const TVar* var = vars.Find(segment);
      if (var) v = var->Value;
      else if (segment == "QELDB") v = Variant::LongWord(root_.Handle());
      else return false;
      if (trace && byVariable && var && v.IsReference()) {
        trace->varSlot = vars.IndexOf(segment);
        trace->varStamp = vars.stamp();
        trace->varHandle = v.handle();
        step = runtime_.Resolve(v.handle());
      } else {
        trace = nullptr;
      }
    }
    if (!v.IsReference()) return false;
    current = runtime_.Resolve(v.handle());
    if (trace && current != step) trace = nullptr;
  }
  element = current;
  last = path.substr(pos);
  // The last segment is remembered as a variable or a property of the
  // element, found the way GetValue and SetValue find them.
  if (trace && current && current->NamedByBase(last)) {
    Ask(*trace, *current);
    trace->var = current->Vars ? current->Vars->IndexOf(last) : -1;
    int prop = trace->var < 0 ? current->Class().FindProperty(last) : -1;
    trace->property = prop >= 0 ? &current->Class().properties[prop] : nullptr;
    if (trace->var >= 0 || trace->property) {
      trace->tree = &runtime_.elements;
      trace->treeStamp = runtime_.elements.treeStamp();
      trace->start = runtime_.script.CurrentElement;
      trace->target = current;
    }
  }
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

PathRead GameEnv::ResolvePathAt(const ByteString& path, const TVarList& vars, Variant& value, PathSite& site) {
  if (TQelElement* e = Remembered(site, vars)) {
    value = Get(*e, site);
    return PathRead::Found;
  }
  TQelElement* element = nullptr;
  ByteString last;
  if (!Walk(path, vars, element, last, &site)) return PathRead::Failed;
  if (!element) return PathRead::NotVarNil;
  return element->GetValue(last, value) ? PathRead::Found : PathRead::NotVar;
}

bool GameEnv::AssignPathAt(const ByteString& path, const Variant& value, const TVarList& vars, PathSite& site) {
  // A double-quoted text may be a key of the language table: SetValue knows.
  bool textKey = value.IsString() && !value.string_value().empty() && value.string_value()[0] == '"';
  if (TQelElement* e = Remembered(site, vars); e && !textKey) return Put(*e, site, value);
  TQelElement* element = nullptr;
  ByteString last;
  if (!Walk(path, vars, element, last, &site) || !element) return false;
  return element->SetValue(last, value);
}

bool GameEnv::ReadRememberedNum(PathSite& site, const TVarList& vars, Num& v) {
  TQelElement* e = Remembered(site, vars);
  return e && RememberedNum(site, *e, v);
}

bool GameEnv::WriteRememberedNum(PathSite& site, const TVarList& vars, const Num& v) {
  TQelElement* e = Remembered(site, vars);
  if (!e) return false;
  if (WriteNumberTo(site, *e, v)) return true;
  Variant value;
  SetNum(value, v);
  return Put(*e, site, value);
}

bool GameEnv::MayTake(const ByteString& name) const {
  TQelElement* e = CurrentElement();
  return e && e->MayTakeValue(name);
}

ByteString GameEnv::Place() const {
  TQelElement* e = CurrentElement();
  return e ? e->Id() + " <" + e->ClassName() + ">" : ByteString();
}

}  // namespace qel
