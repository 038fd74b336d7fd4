#pragma once
// Small colour and shape helpers for the demo's picture shaders.
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace demo {

inline uint32_t Argb(double a, double r, double g, double b) {
  auto c = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 255.0) + 0.5); };
  return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}
inline uint32_t Rgb(double r, double g, double b) { return Argb(255, r, g, b); }

// Coverage of a pixel by a shape whose signed distance (negative inside) is d:
// one pixel of soft edge, so outlines are smooth.
inline double Inside(double d) { return std::clamp(0.5 - d, 0.0, 1.0); }

// Signed distance to a rounded rectangle given by its corners and radius.
inline double RoundRect(double x, double y, double l, double t, double r, double b, double radius) {
  const double cx = (l + r) / 2, cy = (t + b) / 2, hx = (r - l) / 2 - radius, hy = (b - t) / 2 - radius;
  const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// Source-over of colour c (with coverage k) onto a premultiplied-free ARGB pixel.
inline uint32_t Over(uint32_t under, uint32_t c, double k) {
  const double ca = ((c >> 24) & 255) / 255.0 * k, ua = ((under >> 24) & 255) / 255.0;
  const double a = ca + ua * (1 - ca);
  if (a <= 0) return 0;
  auto ch = [&](int shift) {
    return (((c >> shift) & 255) * ca + ((under >> shift) & 255) * ua * (1 - ca)) / a;
  };
  return Argb(a * 255, ch(16), ch(8), ch(0));
}

}  // namespace demo
