// Dragging a piece towards the mouse inside a shape of its parent: the
// piece goes as far towards the mouse as it can (the whole way, half of
// it, a third, ... a hundredth) while staying inside the shape and apart
// from every sibling of another kind (another Id).
#include <cmath>

#include "elements/kinds.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

constexpr int kMaxDivisions = 100;

bool ApartFromOthers(const TQelImage& image, double x, double y, double spacing) {
  for (const auto& sibling : image.Parent()->Children()) {
    if (sibling.get() == &image || sibling->Id() == image.Id()) continue;
    if (std::hypot(x - sibling->X(), y - sibling->Y()) < spacing) return false;
  }
  return true;
}

template <class Inside>
void DragInside(TQelImage& image, double spacing, Inside inside) {
  auto held = ReadValue(&image, "MOUSEINDOWN");
  if (!held || !held->ToBoolean().value_or(false)) return;
  TQelElement* parent = image.Parent();
  if (!parent) return;
  const ShellState& shell = image.runtime().shell;
  const double targetX = static_cast<double>(shell.MouseX) - parent->GetAbsX();
  const double targetY = static_cast<double>(shell.MouseY) - parent->GetAbsY();
  const double w = parent->GetSizeX(), h = parent->GetSizeY();
  const double fromX = image.X(), fromY = image.Y();
  for (int n = 1; n <= kMaxDivisions; ++n) {
    const double x = static_cast<double>(RoundToInt(fromX + (targetX - fromX) / n));
    const double y = static_cast<double>(RoundToInt(fromY + (targetY - fromY) / n));
    if (!inside(x, y, w, h) || !ApartFromOthers(image, x, y, spacing)) continue;
    image.SetX(x);
    image.SetY(y);
    return;
  }
}

}  // namespace

void DragInRing(TQelImage& image) {
  DragInside(image, 50, [](double x, double y, double w, double h) {
    const double radius = w / 2 - 50;
    return radius > 0 && std::hypot(x - w / 2, y - h / 2) < radius;
  });
}

void DragInOval(TQelImage& image) {
  DragInside(image, 28, [](double x, double y, double w, double h) {
    if (w <= 0 || h <= 0) return false;
    return (x - w / 2) * (x - w / 2) / (w * w) * 4 + (y - h / 2) * (y - h / 2) / (h * h) * 4 < 0.8;
  });
}

}  // namespace qel
