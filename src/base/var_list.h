#pragma once
// A named value and an ordered list of them: script variables, element
// variables, host-function arguments. Names are compared byte for byte;
// callers upper-case them first.
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

class TVarList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  const TVar& operator[](int i) const { return items_[i]; }
  TVar& operator[](int i) { return items_[i]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  void Clear() { items_.clear(); }
  int IndexOf(const ByteString& name) const;
  const TVar* Find(const ByteString& name) const;
  TVar* Find(const ByteString& name);
  // Replaces the value of the first variable of that name; false when absent.
  bool UpdateValue(const ByteString& name, const Variant& value);
  // Appends a copy unless the name exists (true, list unchanged) or is not a
  // valid name (false).
  bool AddVar(const TVar& var);
  // Appends only when the name is missing and valid.
  bool AddIfMissing(const TVar& var);
  void Append(TVar var) { items_.push_back(std::move(var)); }
  void CopyTo(TVarList& other) const;

 private:
  std::vector<TVar> items_;
};

}  // namespace qel
