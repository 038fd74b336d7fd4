#pragma once
// A named value and an ordered list of them: script variables, element
// variables, host-function arguments. Names are compared byte for byte;
// callers upper-case them first.
#include <cstdint>
#include <vector>

#include "base/variant.h"

namespace qel {

struct TVar {
  ByteString Name;
  Variant Value;
};

// A variable, function or procedure name: identifier characters (letters,
// digits, '_', '.', Windows-1251 Cyrillic), not starting with a digit,
// optionally ending in an index part such as "[1,-2]".
bool IsValidName(const ByteString& name);
bool IsIdentChar(unsigned char c);

// Names are short; a plain loop beats a library call on hot paths.
inline bool SameName(const ByteString& a, const ByteString& b) {
  size_t n = a.size();
  if (n != b.size()) return false;
  const char* p = a.data();
  const char* q = b.data();
  for (size_t i = 0; i < n; ++i)
    if (p[i] != q[i]) return false;
  return true;
}

// name == base + "[" + k + "]", without building the text.
bool IsElementName(const ByteString& name, const ByteString& base, int32_t k);
// Sets out to base + "[" + k + "]".
void ElementName(const ByteString& base, int32_t k, ByteString& out);

inline bool HasDot(const ByteString& name) {
  for (char c : name)
    if (c == '.') return true;
  return false;
}

// Lists longer than a few entries keep a hash index of their names (script
// arrays are many variables named A[1], A[2] ...). Names must not be changed
// through operator[]; replace whole records or use UpdateValue.
class TVarList {
 public:
  TVarList() : stamp_(NextStamp()), epoch_(NextStamp()) {}
  TVarList(const TVarList& other) : items_(other.items_), stamp_(NextStamp()), epoch_(NextStamp()) {}
  TVarList& operator=(const TVarList& other) {
    items_ = other.items_;
    Changed();
    return *this;
  }
  TVarList(TVarList&& other) noexcept
      : items_(std::move(other.items_)), stamp_(NextStamp()), epoch_(NextStamp()) {
    other.Changed();
  }
  TVarList& operator=(TVarList&& other) noexcept {
    items_ = std::move(other.items_);
    Changed();
    other.Changed();
    return *this;
  }
  // Identifies the list and its sequence of names: no two lists and no two
  // different sequences ever share one. Lets callers remember where a name
  // was, or that it was absent, without searching again. Routine calls pop
  // the names they appended and often append the same names again, so a
  // record popped from the end brings back the stamp from before its append,
  // and appending that same name again brings back the one it had.
  uint64_t stamp() const { return stamp_; }
  // Changes whenever a record is removed or the list is replaced, never on
  // appends: while it stays, every position keeps its name, and a name that
  // was absent can only have been appended since.
  uint64_t epoch() const { return epoch_; }
  int Count() const { return static_cast<int>(items_.size()); }
  const TVar& operator[](int i) const { return items_[i]; }
  TVar& operator[](int i) { return items_[i]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  void Clear() {
    items_.clear();
    Changed();
  }
  int IndexOf(const ByteString& name) const;
  // IndexOf(base + "[" + k + "]") without building the name when it is
  // found; name receives it when absent.
  int IndexOfElement(const ByteString& base, int32_t k, ByteString& name) const;
  const TVar* Find(const ByteString& name) const;
  TVar* Find(const ByteString& name);
  // Replaces the value of the first variable of that name; false when absent.
  bool UpdateValue(const ByteString& name, const Variant& value);
  // Appends a copy unless the name exists (true, list unchanged) or is not a
  // valid name (false).
  bool AddVar(const TVar& var);
  // Appends only when the name is missing and valid.
  bool AddIfMissing(const TVar& var);
  void Append(TVar var);
  void Append(const ByteString& name, const Variant& value);
  void Reserve(int count) { items_.reserve(static_cast<size_t>(count)); }
  void CopyTo(TVarList& other) const;
  void Erase(int i);
  void Insert(int i, TVar var);
  void PopBack();

 private:
  static uint64_t NextStamp();
  void Changed() {
    DropIndex();
    stamp_ = NextStamp();
    epoch_ = NextStamp();
    earlier_.clear();
    popped_.clear();
  }
  void Appended(const ByteString& name);
  void DropIndex() const;
  void BuildIndex() const;
  // Doubles the index, moving its entries with the hashes they hold.
  void GrowIndex() const;
  // Position of name by the index; kStale when a record was renamed in place.
  // at receives the free entry that ended a search that found nothing.
  int Probe(const ByteString& name, uint32_t hash, size_t& at) const;
  void IndexName(const ByteString& name, uint32_t hash, int pos) const;
  // Indexes the appended last record.
  void IndexLast();
  void UnindexLast() const;

  std::vector<TVar> items_;
  uint64_t stamp_;
  uint64_t epoch_;
  // Stamps of the shorter lists that appends grew out of, last on top.
  std::vector<uint64_t> earlier_;
  // Records popped since, most recent on top, with the stamp the list had
  // while it held them.
  struct Popped {
    ByteString name;
    uint64_t stamp;
  };
  std::vector<Popped> popped_;
  // Open addressing with linear probing: each entry holds a position in
  // items_ and its name's hash, so appending allocates nothing per record
  // and keeps no second copy of the name. pos < 0 marks a free entry.
  struct IndexEntry {
    uint32_t hash;
    int32_t pos;
  };
  mutable std::vector<IndexEntry> index_;
  mutable size_t indexUsed_ = 0;
  mutable bool indexed_ = false;
  // The last name the index did not find, while the list stays as it was:
  // a name looked up and then appended (a new variable or array element)
  // is hashed and searched once, not twice.
  mutable ByteString missName_;
  mutable uint64_t missStamp_ = 0;
  mutable uint32_t missHash_ = 0;
  mutable size_t missAt_ = 0;
};

}  // namespace qel
