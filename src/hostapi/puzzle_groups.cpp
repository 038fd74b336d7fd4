// Groups of equal pictures on a 9 x 9 grid: rows "L1" .. "L9" beside the
// element, 9 cells each. Cells that belong to no group of three or more are
// marked "x"; marked pictures (Anim 6..11) go back to their plain pattern.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "elements/element.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

constexpr int kSide = 9;
constexpr int kMinGroup = 3;

struct Cell {
  TQelElement* element = nullptr;
  std::optional<int64_t> anim;
  int label = 0;
};
using Grid = std::array<std::array<Cell, kSide>, kSide>;

ByteString RowName(int r) {
  ByteString name(1, 'L');
  name += std::to_string(r + 1);
  return name;
}

bool SamePicture(const Cell& a, const Cell& b) { return a.element && b.element && a.anim && a.anim == b.anim; }

// Each cell starts with its own number; equal right and lower neighbours
// take the larger one until nothing changes, so a group ends up with the
// largest number among its cells.
void LabelGroups(Grid& grid) {
  for (bool changed = true; changed;) {
    changed = false;
    for (int r = 0; r < kSide; ++r)
      for (int c = 0; c < kSide; ++c) {
        Cell& cell = grid[r][c];
        for (Cell* next : {c + 1 < kSide ? &grid[r][c + 1] : nullptr, r + 1 < kSide ? &grid[r + 1][c] : nullptr}) {
          if (!next || !SamePicture(cell, *next) || cell.label == next->label) continue;
          cell.label = next->label = std::max(cell.label, next->label);
          changed = true;
        }
      }
  }
}

}  // namespace

void MarkGroups(TQelElement& e) {
  TQelElement* holder = e.Parent();
  if (!holder) return;
  Grid grid{};
  for (int r = 0; r < kSide; ++r) {
    TQelElement* row = ReadElement(holder, RowName(r));
    for (int c = 0; c < kSide; ++c) {
      Cell& cell = grid[r][c];
      cell.element = ChildAt(row, c);
      cell.label = r * kSide + c + 1;
      if (!cell.element) continue;
      cell.element->Tag.clear();
      cell.anim = AnimOf(cell.element);
      if (cell.anim && *cell.anim >= 6 && *cell.anim <= 11) {
        *cell.anim -= 6;
        SetAnim(cell.element, *cell.anim);
      }
    }
  }
  LabelGroups(grid);
  std::array<int, kSide * kSide + 1> sizes{};
  for (const auto& row : grid)
    for (const Cell& cell : row)
      if (cell.element) ++sizes[cell.label];
  for (const auto& row : grid)
    for (const Cell& cell : row)
      if (cell.element && sizes[cell.label] < kMinGroup) cell.element->Tag.assign(1, 'x');
  WriteInteger(&e, "MMX", -1);
  e.DoMouseMove();
}

}  // namespace qel
