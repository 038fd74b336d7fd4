#include "script/script_func.h"

namespace qel {

int TFuncList::IndexOf(const ByteString& name) const {
  auto it = index_.find(name);
  return it == index_.end() ? -1 : it->second;
}

const TFunc* TFuncList::Find(const ByteString& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &items_[i];
}

void TFuncList::Add(TFunc func) {
  index_.try_emplace(func.Name, Count());
  items_.push_back(std::move(func));
  ++version_;
}

void TFuncList::Remove(int i) {
  if (i < 0 || i >= Count()) return;
  items_.erase(items_.begin() + i);
  index_.clear();
  for (int k = 0; k < Count(); ++k) index_.try_emplace(items_[k].Name, k);
  ++version_;
}

}  // namespace qel
