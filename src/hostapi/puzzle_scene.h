#pragma once
// How the puzzle routines read and change a scene: element variables and
// properties by name, dotted paths from an element, children by position.
// Every helper takes nil elements and missing names quietly, so a scene laid
// out differently from what a routine expects only loses the missing parts.
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/var_list.h"

namespace qel {

class TQelElement;

// The n-th child (0-based), or nil when there is no such child.
TQelElement* ChildAt(const TQelElement* e, int index);

// A named value of an element (variable, property, child, keyword).
std::optional<Variant> ReadValue(TQelElement* e, std::string_view name);
// A named value as a number; nullopt when missing or not numeric.
std::optional<double> ReadNumber(TQelElement* e, std::string_view name);
std::optional<int64_t> ReadInteger(TQelElement* e, std::string_view name);
// The element a named value refers to; nil when missing or not a reference.
TQelElement* ReadElement(TQelElement* e, std::string_view name);
// Writes through the element's SetValue (an element variable must already
// exist to be written); false when nothing took the value.
bool WriteValue(TQelElement* e, std::string_view name, const Variant& value);
// An Integer variant, or Int64 beyond 32 bits.
inline Variant IntegerValue(int64_t v) {
  return v >= INT32_MIN && v <= INT32_MAX ? Variant::Integer(static_cast<int32_t>(v)) : Variant::Int64(v);
}
inline bool WriteInteger(TQelElement* e, std::string_view name, int64_t v) { return WriteValue(e, name, IntegerValue(v)); }

// Dotted paths from an element: each leading '.' climbs to the parent, the
// inner segments must name elements, "QELDB" is the root. Names are matched
// upper-cased, as scripts write them.
TQelElement* PathElement(TQelElement* from, std::string_view path);
std::optional<Variant> ReadPath(TQelElement* from, std::string_view path);
std::optional<int64_t> ReadPathInteger(TQelElement* from, std::string_view path);
bool WritePath(TQelElement* from, std::string_view path, const Variant& value);
inline bool WritePathInteger(TQelElement* from, std::string_view path, int64_t v) {
  return WritePath(from, path, IntegerValue(v));
}

// Opacity (the hxTrans property) and pattern (Anim) of pictures; nullopt for
// elements without them.
std::optional<int64_t> Trans(TQelElement* e);
void SetTrans(TQelElement* e, int64_t alpha);
std::optional<int64_t> AnimOf(TQelElement* e);
void SetAnim(TQelElement* e, int64_t anim);

// Integer positions (the X and Y views), changed through the setters.
void SetX(TQelElement* e, int64_t x);
void SetY(TQelElement* e, int64_t y);
void SetVisible(TQelElement* e, bool visible);

// The scripts' random generator of the element's game: 0 .. range-1.
int32_t RandomBelow(TQelElement& e, int32_t range);

// Rounds halves to even, saturating at the 32-bit range.
int64_t RoundToInt(double v);

}  // namespace qel
