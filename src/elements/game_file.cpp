#include "elements/game_file.h"

#include "base/byte_stream.h"
#include "elements/element.h"
#include "elements/qel_db.h"

namespace qel {
namespace {

void Report(TQelElement& e, std::string_view record, const ByteReader& r, ByteString message) {
  Runtime& rt = e.runtime();
  // Records are views into the file buffer, so their place in it is known.
  size_t offset = r.pos();
  const char* base = rt.loadBuffer.data();
  if (base && record.data() >= base && record.data() <= base + rt.loadBuffer.size())
    offset += static_cast<size_t>(record.data() - base);
  rt.loadProblems.push_back({offset, e.Path(), std::move(message)});
}

bool ReadValue(TQelElement& e, const PropertyInfo& p, ByteReader& r) {
  if (p.IsOrdinal()) {
    int32_t v;
    if (!r.ReadInt32(v)) return false;
    p.setOrdinal(e, NarrowOrdinal(p.type, v));
  } else if (p.IsFloat()) {
    double v;
    if (!r.ReadDouble(v)) return false;
    p.setFloat(e, v);
  } else {
    std::string_view v;
    if (!r.ReadString(v)) return false;
    p.setString(e, v);
  }
  return true;
}

// The child's class name sits in the record's own first string; the low
// byte of its length is all a class name needs.
std::string_view ChildClassName(std::string_view child) {
  if (child.size() < 4) return {};
  size_t len = static_cast<unsigned char>(child[0]);
  if (4 + len > child.size()) return {};
  return child.substr(4, len);
}

// Level of e in its tree, the root being 1; counting stops past the bound.
int LevelOf(const TQelElement& e) {
  int level = 1;
  for (const TQelElement* p = e.Parent(); p && level <= kMaxTreeDepth; p = p->Parent()) ++level;
  return level;
}

void ReadChildren(TQelElement& e, std::string_view record, ByteReader& r, bool keepKeys) {
  if (!r.AtEnd() && LevelOf(e) >= kMaxTreeDepth) {
    Report(e, record, r, "child records nested deeper than " + std::to_string(kMaxTreeDepth) +
                             " levels; skipped with their subtrees");
    return;
  }
  while (!r.AtEnd()) {
    std::string_view child;
    if (!r.ReadString(child)) {
      Report(e, record, r, "child record runs past the end of its parent; the rest of the parent is skipped");
      return;
    }
    ByteString className(ChildClassName(child));
    TQelElement* made = e.CreateChild(className);
    if (!made) {
      Report(e, record, r, "child record of class \"" + className + "\" is not allowed here; skipped");
      continue;
    }
    if (!made->LoadFromData(child, keepKeys)) e.DestroyChild(made);
  }
}

}  // namespace

int UsableValueCount(int32_t stored, size_t published) {
  if (stored < 0 || static_cast<size_t>(stored) > published) return -1;
  return stored;
}

bool ReadElementRecord(TQelElement& e, std::string_view record, bool keepKeys) {
  ByteReader r(record);
  std::string_view className;
  int32_t stored = 0;
  if (!r.ReadString(className) || !r.ReadInt32(stored)) {
    Report(e, record, r, "record too short for its header; skipped");
    return false;
  }
  const auto& props = e.Class().properties;
  int count = UsableValueCount(stored, props.size());
  if (count < 0) {
    // Surplus values carry no types and cannot be stepped over, so nothing
    // after them can be trusted.
    Report(e, record, r, "value count " + std::to_string(stored) + " does not fit class " + e.ClassName() +
                             " (" + std::to_string(props.size()) + " properties); record skipped");
    return false;
  }
  for (int i = 0; i < count; ++i) {
    if (!ReadValue(e, props[i], r)) {
      Report(e, record, r, "record ends inside the value of " + props[i].name + "; record skipped");
      return false;
    }
  }
  ReadChildren(e, record, r, keepKeys);
  if (!keepKeys) e.AssignNewKey();
  return true;
}

ByteString WriteElementRecord(const TQelElement& e) {
  ByteString out;
  ByteWriter w(out);
  const auto& props = e.Class().properties;
  w.WriteString(e.ClassName());
  w.WriteInt32(static_cast<int32_t>(props.size()));
  for (const PropertyInfo& p : props) {
    if (p.IsOrdinal())
      w.WriteInt32(static_cast<int32_t>(p.getOrdinal(e)));
    else if (p.IsFloat())
      w.WriteDouble(p.getFloat(e));
    else
      w.WriteString(p.getString(e));
  }
  for (int i = 0; i < e.ChildCount(); ++i) w.WriteString(WriteElementRecord(*e.Child(i)));
  return out;
}

bool LoadGameData(TQelDB& root, std::string_view data) {
  Runtime& rt = root.runtime();
  root.Clear();
  rt.loadProblems.clear();
  rt.loadBuffer = data;
  rt.reading = true;
  bool ok = root.LoadFromData(data, true);
  rt.reading = false;
  rt.loadBuffer = {};
  return ok && rt.loadProblems.empty();
}

bool TQelElement::LoadFromData(std::string_view data, bool keepKeys) { return ReadElementRecord(*this, data, keepKeys); }

ByteString TQelElement::Path() const {
  ByteString own = Id().empty() ? "<" + ClassName() + " #" + std::to_string(Key) + ">" : Id();
  return parent_ ? parent_->Path() + "." + own : own;
}

}  // namespace qel
