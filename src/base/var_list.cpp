#include "base/var_list.h"

#include <atomic>

namespace qel {

bool IsIdentChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
         c == 0xA8 || c == 0xB8 || c >= 0xC0;
}

bool IsValidName(const ByteString& name) {
  if (name.empty()) return false;
  auto first = static_cast<unsigned char>(name[0]);
  if (!IsIdentChar(first) || (first >= '0' && first <= '9')) return false;
  size_t i = 1;
  while (i < name.size() && IsIdentChar(static_cast<unsigned char>(name[i]))) ++i;
  if (i == name.size()) return true;
  if (name[i] != '[') return false;
  for (++i; i < name.size(); ++i) {
    char c = name[i];
    if (c == ']') return i + 1 == name.size();
    if (!((c >= '0' && c <= '9') || c == '-' || c == ',')) return false;
  }
  return true;  // an unclosed index part is still only digits, '-' and ','
}

namespace {
constexpr size_t kIndexFrom = 12;  // below this a scan is cheaper than hashing
}

uint64_t TVarList::NextStamp() {
  // Only ever compared for equality; never part of any result.
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

void TVarList::DropIndex() const {
  if (!indexed_) return;
  index_.clear();
  indexed_ = false;
}

void TVarList::BuildIndex() const {
  index_.clear();
  index_.reserve(items_.size() * 2);
  for (size_t i = 0; i < items_.size(); ++i) index_.try_emplace(items_[i].Name, static_cast<int>(i));
  indexed_ = true;
}

int TVarList::IndexOf(const ByteString& name) const {
  if (items_.size() < kIndexFrom) {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].Name == name) return static_cast<int>(i);
    return -1;
  }
  if (!indexed_) BuildIndex();
  auto it = index_.find(name);
  if (it == index_.end()) return -1;
  if (it->second < Count() && items_[it->second].Name == name) return it->second;
  BuildIndex();  // a name was changed in place; start over
  it = index_.find(name);
  return it == index_.end() ? -1 : it->second;
}

void TVarList::Appended(const ByteString& name) {
  earlier_.push_back(stamp_);
  if (!popped_.empty() && SameName(popped_.back().name, name)) {
    stamp_ = popped_.back().stamp;
    popped_.pop_back();
    return;
  }
  popped_.clear();
  stamp_ = NextStamp();
}

void TVarList::Append(TVar var) {
  if (indexed_) index_.try_emplace(var.Name, Count());
  Appended(var.Name);
  items_.push_back(std::move(var));
}

void TVarList::Append(const ByteString& name, const Variant& value) {
  if (indexed_) index_.try_emplace(name, Count());
  Appended(name);
  items_.emplace_back(name, value);
}

void TVarList::Erase(int i) {
  if (i < 0 || i >= Count()) return;
  items_.erase(items_.begin() + i);
  Changed();
}

void TVarList::Insert(int i, TVar var) {
  if (i < 0 || i > Count()) return;
  items_.insert(items_.begin() + i, std::move(var));
  Changed();
}

void TVarList::PopBack() {
  if (items_.empty()) return;
  if (indexed_) {
    auto it = index_.find(items_.back().Name);
    if (it != index_.end() && it->second == Count() - 1) index_.erase(it);
  }
  popped_.push_back(Popped{std::move(items_.back().Name), stamp_});
  items_.pop_back();
  epoch_ = NextStamp();
  if (earlier_.empty()) {
    stamp_ = NextStamp();
    return;
  }
  stamp_ = earlier_.back();
  earlier_.pop_back();
}

const TVar* TVarList::Find(const ByteString& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &items_[i];
}

TVar* TVarList::Find(const ByteString& name) {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &items_[i];
}

bool TVarList::UpdateValue(const ByteString& name, const Variant& value) {
  TVar* v = Find(name);
  if (!v) return false;
  v->Value = value;
  return true;
}

bool TVarList::AddVar(const TVar& var) {
  if (IndexOf(var.Name) >= 0) return true;
  if (!IsValidName(var.Name)) return false;
  Append(var);
  return true;
}

bool TVarList::AddIfMissing(const TVar& var) {
  if (IndexOf(var.Name) >= 0 || !IsValidName(var.Name)) return false;
  Append(var);
  return true;
}

void TVarList::CopyTo(TVarList& other) const {
  for (const auto& v : items_) other.AddVar(v);
}

}  // namespace qel
