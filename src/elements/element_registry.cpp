#include "elements/element_registry.h"

namespace qel {

uint32_t ElementRegistry::Add(TQelElement* element) {
  // Past four billion elements handles would repeat; a game never gets there,
  // so the last slot is simply shared rather than wrapping onto live ones.
  if (slots_.size() >= UINT32_MAX) {
    slots_.back() = element;
    return UINT32_MAX;
  }
  slots_.push_back(element);
  ++live_;
  return static_cast<uint32_t>(slots_.size());
}

}  // namespace qel
