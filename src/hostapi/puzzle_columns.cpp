// Falling-tile columns. The column's children are its tiles, lowest first;
// a tile's first child is its highlight and its second child its marker.
// Tiles fall until they rest on the tile below; a tile of a special kind
// (Anim 12 and up) that reaches the floor vanishes, lights the flag of its
// column and comes back from the top as a new random tile.
#include <algorithm>
#include <vector>

#include "elements/kinds.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

struct ColumnRules {
  int32_t spacing;      // distance between resting tiles
  int32_t floor;        // ordinary tiles fall while above it
  int32_t specialFloor; // special tiles fall while above it and vanish there
  bool fadeMarkers;
  const char* colourCountPath;
};

constexpr int32_t kFallStep = 10;
constexpr int32_t kSpecialAnim = 12;
constexpr int32_t kMarkerAnimOffset = 6;

void FadeMarkers(TQelImage& column) {
  for (int i = 0; i < column.ChildCount(); ++i) {
    TQelElement* marker = ChildAt(column.Child(i), 1);
    auto alpha = Trans(marker);
    if (!alpha) continue;
    if (marker->Tag == "*") {
      if (*alpha < 250) SetTrans(marker, std::min<int64_t>(*alpha + 50, 250));
    } else {
      SetTrans(marker, std::max<int64_t>(*alpha - 50, 0));
    }
  }
}

// Fades a tile in once it is on screen; true when it changed.
bool FadeIn(TQelElement& tile) {
  TQelElement* highlight = ChildAt(&tile, 0);
  if (!tile.Vis || !highlight || highlight->Vis || tile.Y() < 0) return false;
  auto alpha = Trans(&tile);
  if (!alpha || *alpha >= 255) return false;
  SetTrans(&tile, std::min<int64_t>(*alpha + 25, 255));
  return true;
}

// Lets a tile fall or vanish at the floor; true when it changed.
bool Fall(TQelImage& column, int index, const ColumnRules& rules) {
  TQelElement* tile = column.Child(index);
  const bool special = AnimOf(tile).value_or(0) >= kSpecialAnim;
  const int32_t y = tile->Y();
  if (y < (special ? rules.specialFloor : rules.floor)) {
    TQelElement* below = ChildAt(&column, index - 1);
    if (below && below->Vis && static_cast<int64_t>(below->Y()) == static_cast<int64_t>(y) + rules.spacing)
      return false;
    SetY(tile, static_cast<int64_t>(y) + kFallStep);
    return true;
  }
  if (!special || Trans(tile).value_or(0) == 0) return false;
  WritePathInteger(&column, ".B" + column.Tag + ".VIS", 1);
  SetTrans(tile, 0);
  return true;
}

// A vanished tile comes back above the highest one as a new random tile.
void DropAgain(TQelImage& column, TQelElement* tile, const ColumnRules& rules) {
  int64_t highest = tile->Y();
  for (const auto& other : column.Children()) highest = std::min<int64_t>(highest, other->Y());
  SetY(tile, highest - rules.spacing);
  column.BringToFront(tile);
  SetTrans(tile, 5);
  auto colours = ReadPathInteger(&column, rules.colourCountPath);
  if (!colours || *colours <= 0) return;
  const int32_t anim = RandomBelow(column, static_cast<int32_t>(std::min<int64_t>(*colours, INT32_MAX)));
  SetAnim(tile, anim);
  SetAnim(ChildAt(tile, 1), anim + kMarkerAnimOffset);
}

void StepColumn(TQelImage& column, const ColumnRules& rules) {
  if (rules.fadeMarkers) FadeMarkers(column);
  if (ReadNumber(&column, "MOVING").value_or(0) == 0) return;
  WriteInteger(&column, "MOVING", 0);
  bool changed = false;
  for (int i = 0; i < column.ChildCount(); ++i) {
    TQelElement* tile = column.Child(i);
    changed |= FadeIn(*tile);
    changed |= Fall(column, i, rules);
  }
  std::vector<TQelElement*> vanished;
  for (const auto& tile : column.Children())
    if (Trans(tile.get()) == 0) vanished.push_back(tile.get());
  for (TQelElement* tile : vanished) DropAgain(column, tile, rules);
  if (!changed && vanished.empty()) return;
  WriteInteger(&column, "MOVING", 1);
  WritePathInteger(&column, ".MOVING", 1);
}

}  // namespace

void DropColumnsStep(TQelImage& column) { StepColumn(column, {50, 400, 450, true, ".COLS"}); }

void DropColumnsStepB(TQelImage& column) { StepColumn(column, {70, 420, 490, false, "..COLS"}); }

}  // namespace qel
