#include "elements/element_registry.h"

namespace qel {

uint32_t ElementRegistry::Add(TQelElement* element) {
  uint32_t handle = next_++;
  if (next_ == 0) next_ = 1;  // after 4 billion elements, wrap past nil
  live_[handle] = element;
  return handle;
}

}  // namespace qel
