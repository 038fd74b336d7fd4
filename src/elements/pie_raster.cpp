#include "elements/pie_raster.h"

#include <cmath>

namespace qel {
namespace {

constexpr double kDegToRad = 0.017453292519943295769;

struct Radial {
  double x, y;  // the rounded ellipse point, relative to the centre
};

Radial RadialAt(const PieShape& pie, double deg) {
  if (!std::isfinite(deg)) deg = 0;
  const double a = std::fmod(deg, 360.0) * kDegToRad;
  const double w = static_cast<double>(pie.width), h = static_cast<double>(pie.height);
  const double x = std::nearbyint(w / 2 * (std::sin(a) + 1)), y = std::nearbyint(h / 2 * (1 - std::cos(a)));
  return {x - w / 2, y - h / 2};
}

// Whether direction d lies on the counter-clockwise sweep from a to b. With y
// pointing down, a counter-clockwise turn has a negative cross product.
double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

bool OnSweep(const Radial& a, const Radial& b, double dx, double dy) {
  const double ab = Cross(a.x, a.y, b.x, b.y);
  const double ad = Cross(a.x, a.y, dx, dy), db = Cross(dx, dy, b.x, b.y);
  if (ab < 0) return ad <= 0 && db <= 0;  // under half a turn
  if (ab > 0) return ad <= 0 || db <= 0;  // over half a turn
  if (a.x * b.x + a.y * b.y > 0) return true;  // the same direction: the whole turn
  return ad <= 0;                              // exactly half a turn
}

}  // namespace

bool PieContains(const PieShape& pie, double px, double py) {
  if (pie.width <= 0 || pie.height <= 0) return false;
  const double rx = static_cast<double>(pie.width) / 2, ry = static_cast<double>(pie.height) / 2;
  const double dx = px - rx, dy = py - ry;
  if ((dx / rx) * (dx / rx) + (dy / ry) * (dy / ry) > 1.0) return false;
  const Radial a = RadialAt(pie, pie.startDeg), b = RadialAt(pie, pie.endDeg);
  if (a.x == b.x && a.y == b.y) return true;  // one point twice: the whole ellipse
  return OnSweep(a, b, dx, dy);
}

void RasterisePie(const PieShape& pie, const PieWindow& window, TBitmap32& out) {
  out.Resize(window.w, window.h, 0xFF000000u);
  if (pie.width <= 0 || pie.height <= 0) return;
  const double rx = static_cast<double>(pie.width) / 2, ry = static_cast<double>(pie.height) / 2;
  const Radial a = RadialAt(pie, pie.startDeg), b = RadialAt(pie, pie.endDeg);
  const bool whole = a.x == b.x && a.y == b.y;
  for (int row = 0; row < window.h; ++row) {
    const double dy = static_cast<double>(window.y0 + row * window.step) + 0.5 - ry;
    const double t = 1.0 - (dy / ry) * (dy / ry);
    if (t < 0) continue;
    // The row's span inside the ellipse, then the sweep test per pixel.
    const double half = rx * std::sqrt(t);
    for (int col = 0; col < window.w; ++col) {
      const double dx = static_cast<double>(window.x0 + col * window.step) + 0.5 - rx;
      if (dx < -half || dx > half) continue;
      if (whole || OnSweep(a, b, dx, dy)) out.At(col, row) = 0xFFFFFFFFu;
    }
  }
}

}  // namespace qel
