#pragma once
// Host functions: what a script calls by name. The table is filled once per
// interpreter and then only read.
//
// A callback receives the calling interpreter, the evaluated arguments in call
// order and the result record:
//  - each argument's Name is "VAR" when the argument was written as the name
//    of an existing variable of the caller, else "VALUE";
//  - the callback checks the argument count itself and returns false when it
//    does not accept the arguments;
//  - it writes its result into result.Value (or leaves it Empty);
//  - it may change params[i].Value; after a successful call the engine copies
//    every "VAR" argument's value back into the caller's variable;
//  - it may throw any std::exception: the call then fails and the
//    exception's what() is appended to the error message.
#include <functional>
#include <unordered_map>
#include <vector>

#include "base/var_list.h"

namespace qel {

class TScriptCalc;

using TScriptFunc = std::function<bool(TScriptCalc& calc, TVarList& params, TVar& result)>;

// A host function that reads only its arguments and the interpreter's
// settings: it changes no argument, reads and writes no script variable,
// runs no script and registers no function. A call whose arguments call
// nothing then needs no write-back.
struct PlainHostFunction {
  bool (*fn)(TScriptCalc&, TVarList&, TVar&) = nullptr;
  TScriptFunc other;  // used when fn is null
  bool operator()(TScriptCalc& calc, TVarList& params, TVar& result) const {
    return fn ? fn(calc, params, result) : other(calc, params, result);
  }
};

struct TFunc {
  ByteString Name;  // upper case
  TScriptFunc Func;
};

// Host functions by name, in registration order, with a hash index because a
// full table holds well over a hundred names.
class TFuncList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  const TFunc& operator[](int i) const { return items_[i]; }
  int IndexOf(const ByteString& name) const;
  const TFunc* Find(const ByteString& name) const;
  void Add(TFunc func);
  void Replace(int i, TScriptFunc func) { items_[i].Func = std::move(func); ++version_; }
  void Remove(int i);
  // Changes whenever an entry is added, replaced or removed.
  uint64_t version() const { return version_; }

 private:
  std::vector<TFunc> items_;
  std::unordered_map<ByteString, int> index_;
  uint64_t version_ = 0;
};

}  // namespace qel
