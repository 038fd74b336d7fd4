#include "base/var_list.h"

#include <atomic>
#include <cstdint>

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
constexpr int kStale = -2;

uint32_t Mixed(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return static_cast<uint32_t>(h);
}

uint32_t HashName(const ByteString& name) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a, then mixed for the low bits
  const size_t n = name.size();
  size_t i = 0;
  for (; i < n && name[i] != '['; ++i) h = (h ^ static_cast<unsigned char>(name[i])) * 1099511628211ull;
  if (i + 2 < n && n - i - 2 <= 9 && name[n - 1] == ']') {
    // NAME[k] with one plain index: elements k & ~7 to k | 7 get neighbouring
    // entries, so an array walked in order touches a cache line per eight.
    uint32_t k = 0;
    size_t j = i + 1;
    for (; j + 1 < n && name[j] >= '0' && name[j] <= '9'; ++j) k = k * 10 + static_cast<uint32_t>(name[j] - '0');
    if (j + 1 == n) return (Mixed(h ^ ((k >> 3) + 1) * 0x9E3779B97F4A7C15ull) & ~7u) | (k & 7u);
  }
  for (; i < n; ++i) h = (h ^ static_cast<unsigned char>(name[i])) * 1099511628211ull;
  return Mixed(h);
}
}  // namespace

uint64_t TVarList::NextStamp() {
  // Only ever compared for equality; never part of any result.
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

void TVarList::DropIndex() const {
  if (!indexed_) return;
  std::vector<IndexEntry>().swap(index_);
  indexUsed_ = 0;
  indexed_ = false;
}

void TVarList::BuildIndex() const {
  size_t size = 16;
  while (size < items_.size() * 4) size *= 2;
  index_.assign(size, IndexEntry{0, -1});
  indexUsed_ = 0;
  indexed_ = true;
  for (size_t i = 0; i < items_.size(); ++i) IndexName(items_[i].Name, HashName(items_[i].Name), static_cast<int>(i));
}

int TVarList::Probe(const ByteString& name, uint32_t hash) const {
  const size_t mask = index_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const IndexEntry& e = index_[i];
    if (e.pos < 0) return -1;
    if (e.hash != hash) continue;
    if (e.pos >= Count()) return kStale;
    const ByteString& held = items_[e.pos].Name;
    if (SameName(held, name)) return e.pos;
    if (HashName(held) != hash) return kStale;  // renamed through operator[]
  }
}

// Keeps the first position of a name, as a search from the front would.
void TVarList::IndexName(const ByteString& name, uint32_t hash, int pos) const {
  if ((indexUsed_ + 1) * 2 > index_.size()) {
    BuildIndex();
    if (pos < Count()) return;  // the rebuild has already indexed it
  }
  const size_t mask = index_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    IndexEntry& e = index_[i];
    if (e.pos < 0) {
      e = IndexEntry{hash, pos};
      ++indexUsed_;
      return;
    }
    if (e.hash == hash && e.pos < Count() && SameName(items_[e.pos].Name, name)) return;
  }
}

// Removes the last record's entry, if the index points at it, shifting the
// entries behind it back so that probing still finds them.
void TVarList::UnindexLast() const {
  const int last = Count() - 1;
  const size_t mask = index_.size() - 1;
  size_t i = HashName(items_[last].Name) & mask;
  while (index_[i].pos != last) {
    if (index_[i].pos < 0) return;
    i = (i + 1) & mask;
  }
  for (size_t j = (i + 1) & mask; index_[j].pos >= 0; j = (j + 1) & mask) {
    size_t home = index_[j].hash & mask;
    bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
    if (stays) continue;
    index_[i] = index_[j];
    i = j;
  }
  index_[i].pos = -1;
  --indexUsed_;
}

int TVarList::IndexOf(const ByteString& name) const {
  if (items_.size() < kIndexFrom) {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].Name == name) return static_cast<int>(i);
    return -1;
  }
  if (!indexed_) BuildIndex();
  const uint32_t hash = HashName(name);
  int i = Probe(name, hash);
  if (i != kStale) return i;
  BuildIndex();  // a name was changed in place; start over
  return Probe(name, hash);
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
  Appended(var.Name);
  items_.push_back(std::move(var));
  if (indexed_) IndexName(items_.back().Name, HashName(items_.back().Name), Count() - 1);
}

void TVarList::Append(const ByteString& name, const Variant& value) {
  Appended(name);
  items_.emplace_back(name, value);
  if (indexed_) IndexName(name, HashName(name), Count() - 1);
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
  if (indexed_) UnindexLast();
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
