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

// A property as a plain number, the way a script reads it: ordinals as a
// 32-bit Integer, floats as Float. False for text properties.
inline bool ReadNumber(const PropertyInfo& p, const TQelElement& e, bool& isFloat, int64_t& i, double& f) {
  if (p.IsFloat()) {
    isFloat = true;
    f = p.getFloat(e);
    return true;
  }
  if (!p.IsOrdinal()) return false;
  isFloat = false;
  i = static_cast<int32_t>(p.getOrdinal(e));
  return true;
}

// Writes an integer or a float the way a script's write converts it. False,
// with nothing written, for text properties and for a float an ordinal
// property would round: those take the general way.
inline bool WriteNumber(const PropertyInfo& p, TQelElement& e, bool isFloat, int64_t i, double f) {
  if (p.IsFloat()) {
    p.setFloat(e, isFloat ? f : static_cast<double>(i));
    return true;
  }
  if (!p.IsOrdinal() || isFloat) return false;
  p.setOrdinal(e, NarrowOrdinal(p.type, i));
  return true;
}

}  // namespace qel
