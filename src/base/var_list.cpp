#include "base/var_list.h"

#include <atomic>
#include <charconv>
#include <cstring>
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

bool IsElementName(const ByteString& name, const ByteString& base, int32_t k) {
  char digits[16];
  auto r = std::to_chars(digits, digits + sizeof digits, k);
  size_t n = static_cast<size_t>(r.ptr - digits);
  if (name.size() != base.size() + n + 2) return false;
  const char* p = name.data();
  return std::memcmp(p, base.data(), base.size()) == 0 && p[base.size()] == '[' &&
         std::memcmp(p + base.size() + 1, digits, n) == 0 && p[name.size() - 1] == ']';
}

void ElementName(const ByteString& base, int32_t k, ByteString& out) {
  // The index part written backwards into a buffer, then one copy.
  char tail[16];
  char* p = tail + sizeof tail;
  *--p = ']';
  uint32_t u = k < 0 ? 0u - static_cast<uint32_t>(k) : static_cast<uint32_t>(k);
  do {
    *--p = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  if (k < 0) *--p = '-';
  *--p = '[';
  const size_t n = static_cast<size_t>(tail + sizeof tail - p);
  out.resize(base.size() + n);
  char* o = out.data();
  std::memcpy(o, base.data(), base.size());
  std::memcpy(o + base.size(), p, n);
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

constexpr uint64_t kFnvStart = 1469598103934665603ull;  // FNV-1a, then mixed for the low bits

uint64_t Fnv(uint64_t h, const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(p[i])) * 1099511628211ull;
  return h;
}

// NAME[k] with one plain index: elements k & ~7 to k | 7 get neighbouring
// entries, so an array walked in order touches a cache line per eight.
uint32_t ElementHash(uint64_t base, uint32_t k) {
  return (Mixed(base ^ ((k >> 3) + 1) * 0x9E3779B97F4A7C15ull) & ~7u) | (k & 7u);
}

uint32_t HashName(const ByteString& name) {
  const size_t n = name.size();
  size_t i = 0;
  while (i < n && name[i] != '[') ++i;
  uint64_t h = Fnv(kFnvStart, name.data(), i);
  if (i + 2 < n && n - i - 2 <= 9 && name[n - 1] == ']') {
    uint32_t k = 0;
    size_t j = i + 1;
    for (; j + 1 < n && name[j] >= '0' && name[j] <= '9'; ++j) k = k * 10 + static_cast<uint32_t>(name[j] - '0');
    if (j + 1 == n) return ElementHash(h, k);
  }
  return Mixed(Fnv(h, name.data() + i, n - i));
}

}  // namespace

uint64_t TVarList::NextStamp() {
  // Only ever compared for equality; never part of any result. Each thread
  // takes a block at a time, so that most appends need no atomic operation.
  static std::atomic<uint64_t> next{1};
  constexpr uint64_t kBlock = 4096;
  thread_local uint64_t at = 0, end = 0;
  if (at == end) {
    at = next.fetch_add(kBlock, std::memory_order_relaxed);
    end = at + kBlock;
  }
  return at++;
}

void TVarList::DropIndex() const {
  missStamp_ = 0;
  if (!indexed_) return;
  std::vector<IndexEntry>().swap(index_);
  indexUsed_ = 0;
  indexed_ = false;
}

void TVarList::BuildIndex() const {
  missStamp_ = 0;
  size_t size = 16;
  while (size < items_.size() * 4) size *= 2;
  index_.assign(size, IndexEntry{0, -1});
  indexUsed_ = 0;
  indexed_ = true;
  for (size_t i = 0; i < items_.size(); ++i) IndexName(items_[i].Name, HashName(items_[i].Name), static_cast<int>(i));
}

int TVarList::Probe(const ByteString& name, uint32_t hash, size_t& at) const {
  const size_t mask = index_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const IndexEntry& e = index_[i];
    if (e.pos < 0) {
      at = i;
      return -1;
    }
    if (e.hash != hash) continue;
    if (e.pos >= Count()) return kStale;
    const ByteString& held = items_[e.pos].Name;
    if (SameName(held, name)) return e.pos;
    if (HashName(held) != hash) return kStale;  // renamed through operator[]
  }
}

void TVarList::GrowIndex() const {
  missStamp_ = 0;
  std::vector<IndexEntry> old(index_.size() * 2, IndexEntry{0, -1});
  old.swap(index_);
  const size_t mask = index_.size() - 1;
  // Every entry names a different record, so each goes to the first free
  // entry from its home without a comparison.
  for (const IndexEntry& e : old) {
    if (e.pos < 0) continue;
    size_t i = e.hash & mask;
    while (index_[i].pos >= 0) i = (i + 1) & mask;
    index_[i] = e;
  }
}

// Keeps the first position of a name, as a search from the front would.
void TVarList::IndexName(const ByteString& name, uint32_t hash, int pos) const {
  if ((indexUsed_ + 1) * 2 > index_.size()) GrowIndex();
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
  size_t at;
  int i = Probe(name, hash, at);
  if (i == kStale) {
    BuildIndex();  // a name was changed in place; start over
    i = Probe(name, hash, at);
  }
  if (i < 0) {
    missName_ = name;
    missStamp_ = stamp_;
    missHash_ = hash;
    missAt_ = at;
  }
  return i;
}

int TVarList::IndexOfElement(const ByteString& base, int32_t k, ByteString& name) const {
  // The hash of NAME[k] from its parts, when HashName would take that form.
  if (items_.size() < kIndexFrom || k < 0 || k > 999999999 || base.find('[') != ByteString::npos) {
    ElementName(base, k, name);
    return IndexOf(name);
  }
  if (!indexed_) BuildIndex();
  const uint32_t hash = ElementHash(Fnv(kFnvStart, base.data(), base.size()), static_cast<uint32_t>(k));
  const size_t mask = index_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const IndexEntry& e = index_[i];
    if (e.pos < 0) {
      ElementName(base, k, name);
      missName_ = name;
      missStamp_ = stamp_;
      missHash_ = hash;
      missAt_ = i;
      return -1;
    }
    if (e.hash != hash) continue;
    if (e.pos < Count() && IsElementName(items_[e.pos].Name, base, k)) return e.pos;
    // Another name of this hash, or a record renamed in place: the full way.
    ElementName(base, k, name);
    return IndexOf(name);
  }
}

void TVarList::IndexLast() {
  const ByteString& name = items_.back().Name;
  const int pos = Count() - 1;
  // earlier_.back() is the stamp the list had before this append.
  if (missStamp_ == earlier_.back() && (indexUsed_ + 1) * 2 <= index_.size() && SameName(name, missName_)) {
    index_[missAt_] = IndexEntry{missHash_, pos};
    ++indexUsed_;
    missStamp_ = 0;
    return;
  }
  IndexName(name, HashName(name), pos);
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
  if (indexed_) IndexLast();
}

void TVarList::Append(const ByteString& name, const Variant& value) {
  Appended(name);
  items_.emplace_back(name, value);
  if (indexed_) IndexLast();
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
  missStamp_ = 0;
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
