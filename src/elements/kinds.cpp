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
TQelEffect::TQelEffect() = default;
TQelAnim::TQelAnim() { MousedNotVis = true; }
TQelAnKey::TQelAnKey() = default;
TQelExAnim::TQelExAnim() = default;

// --- image list entries ---

namespace {
// Cells of a grid: what remains of the size after the gaps, shared out.
int32_t CellSize(int32_t size, int32_t cells, int32_t space) {
  int64_t cell = (int64_t{size} - (int64_t{cells} - 1) * space) / cells;
  return static_cast<int32_t>(std::clamp<int64_t>(cell, 0, INT32_MAX));
}
}  // namespace

int32_t TQelImList::ElWidth() const {
  if (ColCount == 0 || RowCount == 0) return 0;
  return CellSize(SizeX, ColCount, Space);
}

int32_t TQelImList::ElHeight() const {
  if (ColCount == 0 || RowCount == 0) return 0;
  return CellSize(SizeY, RowCount, Space);
}

// The grid always starts at the first entry: games rely on the list showing
// its head after an entry is added, so the scroll row stays 0 here.
void TQelImList::SetScrollPos(int32_t) { ScrollRow = 0; }

void TQelImList::AddEntry(TQelElement* image) {
  Entries.push_back({image->Handle(), 1.0});
  SetScrollPos(static_cast<int32_t>(Entries.size()) - 1);
}

void TQelImList::RemoveEntry(TQelElement* image) {
  auto it = std::find_if(Entries.begin(), Entries.end(), [&](const Entry& e) { return e.image == image->Handle(); });
  if (it != Entries.end()) Entries.erase(it);
}

void TQelImList::RemoveEntryById(const ByteString& id) {
  for (auto it = Entries.begin(); it != Entries.end(); ++it) {
    TQelElement* image = runtime().Resolve(it->image);
    if (image && image->Id == id) {
      Entries.erase(it);
      return;
    }
  }
}

bool TQelImList::GetValue(const ByteString& name, Variant& value) {
  if (TQelElement::GetValue(name, value)) return true;
  if (name == "ELEMENTS") {
    ByteString keys;
    for (const Entry& e : Entries)
      if (TQelElement* image = runtime().Resolve(e.image)) keys += std::to_string(image->Key) + ";";
    value = Variant::String(keys);
    return true;
  }
  if (name == "SELEL") {
    TQelElement* image =
        Selected >= 0 && Selected < static_cast<int32_t>(Entries.size()) ? runtime().Resolve(Entries[Selected].image) : nullptr;
    value = image ? Variant::LongWord(image->Handle()) : Variant::Byte(0);
    return true;
  }
  return false;
}

bool TQelImList::MayTakeValue(const ByteString& name) const {
  return TQelElement::MayTakeValue(name) || name == "ELEMENTS";
}

bool TQelImList::SetValue(const ByteString& name, const Variant& value) {
  if (TQelElement::SetValue(name, value)) return true;
  if (name != "ELEMENTS") return false;
  Entries.clear();
  ByteString text = value.ToString();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == ByteString::npos) end = text.size();
    auto key = ParseInteger(text.substr(start, end - start));
    if (key && *key >= std::numeric_limits<int32_t>::min() && *key <= std::numeric_limits<int32_t>::max()) {
      TQelElement* found = Root()->FindByKey(static_cast<int32_t>(*key));
      if (found && found->IsClass("TQelImage")) AddEntry(found);
    }
    start = end + 1;
  }
  return true;
}

}  // namespace qel
