// Shelf rows that climb into place and drift sideways with their items
// wrapping round, and a panel that slides in beside the previous one.
#include <algorithm>
#include <vector>

#include "elements/kinds.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

constexpr int32_t kRowPitch = 81;
constexpr int32_t kClimbStep = 2;
constexpr int32_t kDriftLimit = 42;
constexpr int32_t kItemPitch = 82;

// Shifts the items' positions by one place along the row: forward, each
// item takes the place of the one after it and the last wraps to the first
// place (the row itself jumps back one place, so nothing seems to move).
void RotateItems(TQelElement& row, bool forward) {
  const int n = row.ChildCount();
  if (n < 2) return;
  std::vector<int32_t> xs;
  for (const auto& item : row.Children()) xs.push_back(item->X());
  for (int j = 0; j < n; ++j) SetX(row.Child(j), xs[static_cast<size_t>((j + (forward ? 1 : n - 1)) % n)]);
}

}  // namespace

void ShelfRowsStep(TQelImage& shelf) {
  int slot = 0;
  for (int i = 0; i < shelf.ChildCount(); ++i) {
    TQelElement* row = shelf.Child(i);
    if (!row->Vis) continue;
    const int64_t top = static_cast<int64_t>(slot++) * kRowPitch;
    if (row->Y() > top) SetY(row, std::max<int64_t>(top, static_cast<int64_t>(row->Y()) - kClimbStep));
    int64_t x = static_cast<int64_t>(row->X()) + (i % 2 == 0 ? 1 : -1);
    if (x > kDriftLimit) {
      x -= kItemPitch;
      RotateItems(*row, true);
    } else if (x < -kDriftLimit) {
      x += kItemPitch;
      RotateItems(*row, false);
    }
    SetX(row, x);
  }
  if (slot == 0 && shelf.ChildCount() > 0) WritePathInteger(&shelf, "QELDB.LOGINTERFACE.WIN", 1);
}

void SlideInStep(TQelImage& panel) {
  if (auto alpha = Trans(&panel)) {
    const int64_t now = std::min<int64_t>(*alpha + 25, 255);
    SetTrans(&panel, now);
    SetTrans(ReadElement(&panel, "S"), now / 4);
  }
  TQelElement* parent = panel.Parent();
  const TQelElement* before = parent ? ChildAt(parent, parent->IndexOfChild(&panel) - 1) : nullptr;
  const int64_t stop = before ? static_cast<int64_t>(before->X()) + 85 : 10;
  if (panel.X() > stop) SetX(&panel, std::max<int64_t>(stop, static_cast<int64_t>(panel.X()) - 17));
}

}  // namespace qel
