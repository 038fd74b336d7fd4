// Named reads and writes of elements: variables, published properties,
// children by Id and the keywords scripts use.
#include <cstring>

#include "elements/element.h"
#include "elements/qel_db.h"

namespace qel {

Variant TQelElement::ReadProperty(const TQelElement& e, const PropertyInfo& p) {
  if (p.IsOrdinal()) return Variant::Integer(static_cast<int32_t>(p.getOrdinal(e)));
  if (p.IsFloat()) return Variant::Float(p.getFloat(e));
  return Variant::String(p.getString(e));
}

bool TQelElement::WriteProperty(TQelElement& e, const PropertyInfo& p, const Variant& value) {
  if (p.IsOrdinal()) {
    int64_t v = 0;
    if (value.IsString()) {
      auto parsed = ParseInteger(value.string_value());
      v = parsed && *parsed >= INT32_MIN && *parsed <= INT32_MAX ? *parsed : 0;
    } else {
      auto converted = value.ToInt64();
      if (!converted) return false;
      v = *converted;
    }
    p.setOrdinal(e, NarrowOrdinal(p.type, v));
  } else if (p.IsFloat()) {
    auto converted = value.ToDouble();
    if (!converted) return false;
    p.setFloat(e, *converted);
  } else {
    p.setString(e, value.ToString());
  }
  return true;
}

namespace {

bool StartsWith(const ByteString& s, const char* prefix) { return s.compare(0, std::strlen(prefix), prefix) == 0; }

// UpperCase(id) == upper, without making the upper-case copy.
bool SameUpper(const ByteString& id, const ByteString& upper) {
  if (id.size() != upper.size()) return false;
  for (size_t i = 0; i < id.size(); ++i)
    if (UpperCp1251(static_cast<unsigned char>(id[i])) != static_cast<unsigned char>(upper[i])) return false;
  return true;
}

Variant Ref(const TQelElement* e) { return Variant::LongWord(e ? e->Handle() : 0); }

// CHILD[n] and CHILDn: the n-th child (1-based), nil when out of range.
bool ChildByNumber(const TQelElement& e, const ByteString& number, Variant& value) {
  if (number.empty() || number.find_first_of(" \t") != ByteString::npos) return false;
  auto n = ParseInteger(number);
  if (!n) return false;
  value = Ref(*n >= 1 && *n <= e.ChildCount() ? e.Child(static_cast<int>(*n - 1)) : nullptr);
  return true;
}

}  // namespace

bool TQelElement::GetValue(const ByteString& name, Variant& value) {
  if (Vars) {
    if (const TVar* v = Vars->Find(name)) {
      value = v->Value;
      return true;
    }
  }
  const ElementClass& cls = Class();
  int prop = cls.FindProperty(name);
  if (prop >= 0) {
    value = ReadProperty(*this, cls.properties[prop]);
    return true;
  }
  if (TQelElement* child = ChildNamed(name)) {
    value = Ref(child);
    return true;
  }
  return GetKeyword(name, value);
}

TQelElement* TQelElement::ChildNamed(const ByteString& upperName) const {
  for (const auto& c : children_)
    if (SameUpper(c->Id(), upperName)) return c.get();
  return nullptr;
}

// Every name GetKeyword below may answer; keep the two in step.
bool TQelElement::KeywordName(const ByteString& name) const {
  static const char* const kKeywords[] = {
      "NIL", "SELF", "CLASS", "PARENT", "QELDB", "CURRENTSCREEN", "CURSOR", "CURSORAT", "CURSORATNIL", "ABSX", "ABSY",
      "SZX", "SZY", "TEXTSZ", "MOUSEIN", "MSDX", "MSDY", "MSX", "MSY", "IMFORLOADCOUNT", "IMFORLOADPOS",
      "KEYDOWNED", "MOUSEDOWN", "MOUSEINDOWN"};
  if (StartsWith(name, "CHILD") || StartsWith(name, "PARPOS")) return true;  // CHILDCOUNT, CHILD[n], CHILDn
  for (const char* k : kKeywords)
    if (name == k) return true;
  return false;
}

bool TQelElement::GetKeyword(const ByteString& name, Variant& value) {
  const ShellState& shell = runtime().shell;
  TQelElement* hovered = runtime().Resolve(shell.HoveredElement);
  auto integer = [&](int64_t v) { value = Variant::Integer(static_cast<int32_t>(v)); return true; };
  auto boolean = [&](bool v) { value = Variant::Boolean(v); return true; };
  auto ref = [&](const TQelElement* e) { value = Ref(e); return true; };

  if (name == "NIL") return ref(nullptr);
  if (name == "SELF") return ref(this);
  if (name == "CLASS") {
    value = Variant::String(UpperAscii(ClassName()));
    return true;
  }
  if (name == "PARENT") return parent_ ? ref(parent_) : false;
  if (name == "CHILDCOUNT") return integer(ChildCount());
  if (name == "PARPOS") return parent_ ? integer(parent_->IndexOfChild(this) + 1) : false;
  if (StartsWith(name, "CHILD[")) return ChildByNumber(*this, name.substr(6, name.size() - 7), value);
  if (StartsWith(name, "CHILD")) return ChildByNumber(*this, name.substr(5), value);
  if (name == "QELDB") return ref(root_);
  if (name == "CURRENTSCREEN") return ref(runtime().Resolve(shell.CurrentScreen));
  if (name == "CURSOR") {
    TQelElement* cursor = runtime().Resolve(shell.CursorElement);
    return cursor ? ref(cursor) : false;
  }
  if (name == "CURSORAT") return ref(hovered);
  if (name == "CURSORATNIL") {
    value = Variant::Byte(hovered ? 0 : 1);
    return true;
  }
  if (name == "ABSX") return integer(GetAbsX());
  if (name == "ABSY") return integer(GetAbsY());
  if (name == "SZX") return integer(GetSizeX());
  if (name == "SZY") return integer(GetSizeY());
  if (name == "TEXTSZ") {
    auto width = TextWidthForScripts();
    if (!width) return false;
    value = Variant::Float(*width);
    return true;
  }
  if (name == "MOUSEIN") return boolean(hovered == this);
  if (name == "MSDX") return integer(shell.MouseDX);
  if (name == "MSDY") return integer(shell.MouseDY);
  if (name == "MSX") return integer(shell.MouseX);
  if (name == "MSY") return integer(shell.MouseY);
  if (name == "IMFORLOADCOUNT") return integer(shell.ImagesForLoadCount);
  if (name == "IMFORLOADPOS") return integer(shell.ImagesForLoadPos);
  if (name == "KEYDOWNED") return integer(shell.LastKeyDown);
  if (name == "MOUSEDOWN") return boolean(shell.MouseCaptured);
  if (name == "MOUSEINDOWN") return boolean(shell.MouseCaptured && hovered == this);
  return false;
}

bool TQelElement::MayTakeValue(const ByteString& name) const {
  return (Vars && Vars->Find(name)) || Class().FindProperty(name) >= 0 || name == "CURSOR";
}

bool TQelElement::SetValue(const ByteString& name, const Variant& value) {
  Variant translated;
  const Variant* v = &value;
  if (value.IsString() && !value.string_value().empty() && value.string_value()[0] == '"') {
    const ByteString& s = value.string_value();
    ByteString key = s.size() >= 2 ? s.substr(1, s.size() - 2) : ByteString();
    ByteString text = root_->GetLangText(key);
    if (!text.empty()) {
      translated = Variant::String(text);
      v = &translated;
    }
  }
  if (Vars && Vars->UpdateValue(name, *v)) return true;
  const ElementClass& cls = Class();
  int prop = cls.FindProperty(name);
  if (prop >= 0) return WriteProperty(*this, cls.properties[prop], *v);
  if (name == "CURSOR") {
    if (!v->IsReference()) return false;
    runtime().shell.CursorElement = runtime().Resolve(v->handle()) ? v->handle() : 0;
    return true;
  }
  return false;
}

}  // namespace qel
