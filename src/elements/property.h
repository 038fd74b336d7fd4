#pragma once
// Published properties: name, stored type and accessors. The game file, the
// state stream and script paths all reach an element's properties through
// these descriptors, in the class's published order.
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/encoding.h"

namespace qel {

class TQelElement;

enum class PropType : uint8_t { Integer, Cardinal, Byte, Word, Boolean, Enum, Double, Extended, String };

struct PropertyInfo {
  ByteString name;
  ByteString upperName;
  PropType type = PropType::Integer;
  const std::vector<ByteString>* enumNames = nullptr;  // value names of an enumeration
  // Exactly one pair is set, by type: ordinal, float or string.
  int64_t (*getOrdinal)(const TQelElement&) = nullptr;
  void (*setOrdinal)(TQelElement&, int64_t) = nullptr;
  double (*getFloat)(const TQelElement&) = nullptr;
  void (*setFloat)(TQelElement&, double) = nullptr;
  ByteString (*getString)(const TQelElement&) = nullptr;
  void (*setString)(TQelElement&, std::string_view) = nullptr;

  bool IsOrdinal() const { return type <= PropType::Enum; }
  bool IsFloat() const { return type == PropType::Double || type == PropType::Extended; }
  bool IsString() const { return type == PropType::String; }
};

const char* PropTypeName(PropType type);

// Ordinal property that stores through a setter; casts the stored int32 of the
// file or a script to the property's width the way a typed setter would.
int64_t NarrowOrdinal(PropType type, int64_t value);

}  // namespace qel
