#include "elements/property.h"

namespace qel {

const char* PropTypeName(PropType type) {
  static constexpr const char* kNames[] = {"Integer", "Cardinal", "Byte", "Word", "Boolean",
                                           "Enum", "Double", "Extended", "String"};
  return kNames[static_cast<int>(type)];
}

int64_t NarrowOrdinal(PropType type, int64_t value) {
  switch (type) {
    case PropType::Cardinal: return static_cast<uint32_t>(value);
    case PropType::Byte: return static_cast<uint8_t>(value);
    case PropType::Word: return static_cast<uint16_t>(value);
    case PropType::Boolean: return value != 0;
    default: return static_cast<int32_t>(value);
  }
}

}  // namespace qel
