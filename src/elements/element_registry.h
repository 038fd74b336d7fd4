#pragma once
// 32-bit handles for elements, so that script values can refer to elements
// without holding pointers. Handles are never reused: the handle of a
// destroyed element resolves to nil, never to freed memory.
#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace qel {

class TQelElement;

class ElementRegistry {
 public:
  uint32_t Add(TQelElement* element);
  void Remove(uint32_t handle) { live_.erase(handle); }
  TQelElement* Get(uint32_t handle) const {
    auto it = live_.find(handle);
    return it == live_.end() ? nullptr : it->second;
  }
  size_t size() const { return live_.size(); }

 private:
  std::unordered_map<uint32_t, TQelElement*> live_;
  uint32_t next_ = 1;
};

}  // namespace qel
