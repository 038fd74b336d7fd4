#include "elements/element_registry.h"

namespace qel {

uint32_t ElementRegistry::Add(TQelElement* element) {
  // Past four billion elements there are no handles left: later elements
  // cannot be referred to (they read as nil) rather than alias live ones.
  ++treeStamp_;
  if (slots_.size() >= UINT32_MAX) return 0;
  slots_.push_back(element);
  ++live_;
  return static_cast<uint32_t>(slots_.size());
}

}  // namespace qel
