#include "elements/state_stream.h"

#include <cstring>
#include <limits>
#include <unordered_map>

#include "base/byte_stream.h"
#include "elements/qel_db.h"

namespace qel {
namespace {

// Nil references are written under a key no element is given, so that they
// read back as nil instead of as whatever element has key 0.
constexpr int32_t kNilKey = std::numeric_limits<int32_t>::min();

bool SkippedProperty(const ByteString& upper, bool writesFractionalPosition) {
  static const char* const kSkipped[] = {"NOTSAVE", "ID", "CURKEY", "FILERS", "INTERPOL", "INTERPOLSC", "MSKEEP", "KEY"};
  for (const char* s : kSkipped)
    if (upper == s) return true;
  if (upper.compare(0, 2, "EX") == 0) return true;
  return writesFractionalPosition && (upper == "X" || upper == "Y");
}

void SaveElement(TQelElement& e, ByteString& out) {
  if (e.IsClass("TQelAnKey")) return;
  if (!e.NotSave) {
    bool fractional = e.IsClass("TQelImage") || e.IsClass("TQelShape") || e.IsClass("TQelText");
    for (const PropertyInfo& p : e.Class().properties)
      if (!SkippedProperty(p.upperName, fractional)) WriteStateValue(e, p.upperName, out);
    if (e.Vars) {
      // Copy the names first: reading a value never changes the list, but be safe.
      std::vector<ByteString> names;
      for (const TVar& v : *e.Vars) names.push_back(v.Name);
      for (const ByteString& n : names) WriteStateValue(e, n, out);
    }
    if (e.IsClass("TQelImList")) WriteStateValue(e, "ELEMENTS", out);
  }
  for (int i = 0; i < e.ChildCount(); ++i) SaveElement(*e.Child(i), out);
}

}  // namespace

void WriteStateValue(TQelElement& e, const ByteString& name, ByteString& out) {
  Variant v;
  if (!e.GetValue(name, v)) return;
  ByteString record;
  ByteWriter w(record);
  w.WriteInt32(e.Key);
  w.WriteString(name);
  switch (v.kind()) {
    case VarKind::Integer: case VarKind::Boolean: case VarKind::ShortInt: case VarKind::Byte:
      w.WriteUInt8('I');
      w.WriteInt32(*v.ToInt32());
      break;
    case VarKind::Int64:
      // Too wide for "I": keep the value as a float rather than cut it.
      if (v.int_value() >= INT32_MIN && v.int_value() <= INT32_MAX) {
        w.WriteUInt8('I');
        w.WriteInt32(static_cast<int32_t>(v.int_value()));
      } else {
        w.WriteUInt8('E');
        w.WriteExtended(static_cast<double>(v.int_value()));
      }
      break;
    case VarKind::Float: case VarKind::DateTime:
      w.WriteUInt8('E');
      w.WriteExtended(v.float_value());
      break;
    case VarKind::Word:
      w.WriteUInt8('W');
      w.WriteUInt16(static_cast<uint16_t>(v.int_value()));
      break;
    case VarKind::LongWord: {
      TQelElement* target = e.runtime().Resolve(v.handle());
      w.WriteUInt8('O');
      w.WriteInt32(target ? target->Key : kNilKey);
      break;
    }
    case VarKind::String:
      w.WriteUInt8('S');
      w.WriteString(v.string_value());
      break;
    case VarKind::Empty:
      return;  // an unset variable has nothing to restore
  }
  out += record;
}

void SaveState(TQelDB& root, ByteString& out) { SaveElement(root, out); }

bool ReadStateRecords(std::string_view stream, const std::function<void(const StateRecord&)>& visit,
                      ByteString* problem) {
  ByteReader r(stream);
  while (!r.AtEnd()) {
    StateRecord rec;
    rec.offset = r.pos();
    std::string_view name;
    uint8_t tag = 0;
    bool ok = r.ReadInt32(rec.key) && r.ReadString(name) && r.ReadUInt8(tag);
    if (ok) {
      rec.name.assign(name);
      rec.tag = static_cast<char>(tag);
      rec.known = true;
      switch (tag) {
        case 'I': case 'O': {
          int32_t i = 0;
          ok = r.ReadInt32(i);
          rec.value = Variant::Integer(i);
          break;
        }
        case 'E': {
          double d = 0;
          ok = r.ReadExtended(d);
          rec.value = Variant::Float(d);
          break;
        }
        case 'W': {
          uint16_t w = 0;
          ok = r.ReadUInt16(w);
          rec.value = Variant::Word(w);
          break;
        }
        case 'S': {
          std::string_view s;
          ok = r.ReadString(s);
          rec.value = Variant::String(ByteString(s));
          break;
        }
        default:
          rec.known = false;  // the record ends at its tag
      }
    }
    if (!ok) {
      if (problem) *problem = "state record at offset " + std::to_string(rec.offset) + " is cut short";
      return false;
    }
    visit(rec);
  }
  return true;
}

namespace {

// Finds elements by key as a depth-first search from the root would (the
// first element in tree order wins), without searching the tree each time.
// It keeps handles, not pointers: an element a setter removed, or whose key
// changed, is noticed, and the index is built again.
class KeyIndex {
 public:
  explicit KeyIndex(TQelDB& root) : root_(root), runtime_(root.runtime()) {}
  TQelElement* Find(int32_t key) {
    if (stale_) Build();
    TQelElement* found = Lookup(key);
    if (found && found->Key != key) {
      Build();
      found = Lookup(key);
    }
    return found;
  }
  void Invalidate() { stale_ = true; }

 private:
  TQelElement* Lookup(int32_t key) {
    auto it = map_.find(key);
    if (it == map_.end()) return nullptr;
    TQelElement* e = runtime_.Resolve(it->second);
    if (!e) {
      Build();
      it = map_.find(key);
      e = it == map_.end() ? nullptr : runtime_.Resolve(it->second);
    }
    return e;
  }
  void Build() {
    map_.clear();
    Add(root_);
    stale_ = false;
  }
  void Add(TQelElement& e) {
    map_.emplace(e.Key, e.Handle());
    for (int i = 0; i < e.ChildCount(); ++i) Add(*e.Child(i));
  }
  TQelDB& root_;
  Runtime& runtime_;
  std::unordered_map<int32_t, ElementRef> map_;
  bool stale_ = true;
};

// The element that follows e's subtree in tree order: the next sibling of e
// or of its nearest ancestor that has one.
TQelElement* FollowingSibling(TQelElement* e) {
  for (; e && e->Parent(); e = e->Parent()) {
    TQelElement* parent = e->Parent();
    int i = parent->IndexOfChild(e);
    if (i + 1 < parent->ChildCount()) return parent->Child(i + 1);
  }
  return nullptr;
}

}  // namespace

bool RestoreStateRecords(TQelDB& root, std::string_view stream, ByteString* problem) {
  Runtime& rt = root.runtime();
  KeyIndex index(root);
  TQelElement* target = nullptr;
  ElementRef hint = 0;
  bool first = true;
  int32_t lastKey = 0;
  bool wasReading = rt.reading;
  rt.reading = true;
  bool ok = ReadStateRecords(stream, [&](const StateRecord& rec) {
    if (!rec.known) return;
    if (first || rec.key != lastKey) {
      TQelElement* hinted = rt.Resolve(hint);
      if (hinted && hinted->Key == rec.key) {
        target = hinted;
      } else {
        target = index.Find(rec.key);
        TQelElement* next = FollowingSibling(target);
        hint = next ? next->Handle() : 0;
      }
      first = false;
      lastKey = rec.key;
    }
    if (!target || target->NotSave) return;
    Variant value = rec.value;
    if (rec.tag == 'O') {
      TQelElement* referenced = index.Find(static_cast<int32_t>(rec.value.int_value()));
      value = Variant::LongWord(referenced ? referenced->Handle() : 0);
    }
    ElementRef keep = target->Handle();
    const int32_t keyBefore = target->Key;
    target->SetValue(rec.name, value);  // names are matched in any case: "Key" sets the key too
    target = rt.Resolve(keep);          // a setter may have removed it
    if (!target || target->Key != keyBefore) index.Invalidate();
  }, problem);
  rt.reading = wasReading;
  return ok;
}

}  // namespace qel
