#include "elements/kinds.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "elements/qel_db.h"

namespace qel {

int32_t ToThousandths(double v) {
  double r = RoundHalfEven(v * 1000.0);
  if (!(r > std::numeric_limits<int32_t>::min())) return std::isnan(r) ? 0 : std::numeric_limits<int32_t>::min();
  if (r >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

namespace {
const ElementClass& ClassNamed(const char* name) { return *ElementClassTable::Standard().Find(name); }
}  // namespace

#define QEL_CLASS_OF(T)                                     \
  const ElementClass& T::Class() const {                    \
    static const ElementClass& entry = ClassNamed(#T);      \
    return entry;                                           \
  }
QEL_CLASS_OF(TQelDB)
QEL_CLASS_OF(TQelScreen)
QEL_CLASS_OF(TQelExScreen)
QEL_CLASS_OF(TQelImage)
QEL_CLASS_OF(TQelShape)
QEL_CLASS_OF(TQelText)
QEL_CLASS_OF(TQelImList)
QEL_CLASS_OF(TQelEffect)
QEL_CLASS_OF(TQelAnim)
QEL_CLASS_OF(TQelAnKey)
QEL_CLASS_OF(TQelExAnim)
#undef QEL_CLASS_OF

// A hidden screen still runs its processing and can take the mouse.
TQelScreen::TQelScreen() { MousedNotVis = true; }
TQelExScreen::TQelExScreen() = default;
TQelImage::TQelImage() = default;
TQelShape::TQelShape() { SizeX = SizeY = 100; }
TQelText::TQelText() { SizeX = SizeY = 100; }
// Clicks on a list do not reach the root's mouse scripts.
TQelImList::TQelImList() { NoMsQelDB = true; }
TQelAnKey::TQelAnKey() = default;
TQelExAnim::TQelExAnim() = default;

}  // namespace qel
