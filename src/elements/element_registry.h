#pragma once
// 32-bit handles for elements, so that script values can refer to elements
// without holding pointers. Handles are never reused: the handle of a
// destroyed element resolves to nil, never to freed memory.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qel {

class TQelElement;

class ElementRegistry {
 public:
  uint32_t Add(TQelElement* element);
  void Remove(uint32_t handle) {
    if (handle && handle <= slots_.size()) {
      slots_[handle - 1] = nullptr;
      --live_;
      ++treeStamp_;
    }
  }
  TQelElement* Get(uint32_t handle) const { return handle && handle <= slots_.size() ? slots_[handle - 1] : nullptr; }
  size_t size() const { return live_; }
  // Changes whenever the tree's shape may have changed: an element made,
  // destroyed or moved among its siblings, or renamed. Whoever remembers
  // where a name led compares it before trusting the memory.
  uint64_t treeStamp() const { return treeStamp_; }
  void TreeChanged() { ++treeStamp_; }

 private:
  // A slot per handle ever given out: 8 bytes per element made, in exchange
  // for lookups that are one index.
  std::vector<TQelElement*> slots_;
  size_t live_ = 0;
  uint64_t treeStamp_ = 1;
};

}  // namespace qel
