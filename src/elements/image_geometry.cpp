#include "elements/image_geometry.h"

#include <algorithm>
#include <cmath>

#include "render/gfx_images.h"

namespace qel {

namespace {

constexpr double kDegToRad = 0.017453292519943295769;
constexpr double kCutLow = -1024, kCutHigh = 2048;

// Whole source columns (rows) to leave out at each end so that a span of
// `count` pixels of size `unit` from `start` stays within the cut limits.
void CutSpan(double start, double unit, int count, int& low, int& high) {
  low = high = 0;
  const double end = start + unit * count;
  if (start < kCutLow) low = static_cast<int>(std::max(0.0, std::nearbyint(std::min((kCutLow - start) / unit, 1e9)) - 1));
  if (end > kCutHigh) high = static_cast<int>(std::max(0.0, std::nearbyint(std::min((end - kCutHigh) / unit, 1e9)) + 1));
}

}  // namespace

int32_t RoundSize(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int32_t>(std::nearbyint(std::clamp(v, -2147483648.0, 2147483647.0)));
}

ImageFrame FrameOf(int patternW, int patternH, double scale, double scaleX, double scaleY, double rX, double rY,
                   int32_t posHor, int32_t posVert) {
  ImageFrame f;
  f.w = scale * patternW * scaleX;
  f.h = scale * patternH * scaleY;
  f.cx = rX + f.w / 2 - AnchorShift(f.w, posHor);
  f.cy = rY + f.h / 2 - AnchorShift(f.h, posVert);
  return f;
}

double AnchorShift(double size, int32_t anchor) {
  if (anchor == 1) return size / 2;
  if (anchor == 2) return size;
  return 0;
}

int64_t AnchorEdge(int64_t pos, double size, int32_t anchor) {
  const int64_t s = RoundSize(size);
  if (anchor == 1) return pos - s / 2;
  if (anchor == 2) return pos - s;
  return pos;
}

ImageQuad CutQuad(double left, double top, double w, double h, int patternW, int patternH, int pattern,
                  double angleDeg) {
  ImageQuad q;
  const double cx = left + w / 2, cy = top + h / 2;
  const bool mirror = w < 0, flip = h < 0;
  const double aw = std::fabs(w), ah = std::fabs(h);
  const double x0 = cx - aw / 2, y0 = cy - ah / 2;
  if (!(aw > 0) || !(ah > 0) || patternW <= 0 || patternH <= 0 || !std::isfinite(aw) || !std::isfinite(ah)) {
    q.empty = true;
    return q;
  }
  const double ux = aw / patternW, uy = ah / patternH;
  int L, R, T, B;
  CutSpan(x0, ux, patternW, L, R);
  CutSpan(y0, uy, patternH, T, B);
  if (L + R >= patternW || T + B >= patternH) {
    q.empty = true;
    return q;
  }
  // The screen's left columns come from the picture's right when it is mirrored.
  q.source.index = pattern;
  q.source.srcX = mirror ? R : L;
  q.source.srcY = flip ? B : T;
  q.source.srcW = patternW - L - R;
  q.source.srcH = patternH - T - B;
  q.source.mirror = mirror;
  q.source.flip = flip;
  const double l = x0 + L * ux, r = x0 + aw - R * ux, t = y0 + T * uy, b = y0 + ah - B * uy;
  const TGfxPoint pts[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
  const double a = angleDeg * kDegToRad, c = std::cos(a), s = std::sin(a);
  for (int i = 0; i < 4; ++i) {
    if (angleDeg == 0) {
      q.corners.p[i] = pts[i];
      continue;
    }
    // Clockwise on the screen (y grows downward), about the picture's centre.
    const double dx = pts[i].x - cx, dy = pts[i].y - cy;
    q.corners.p[i] = {cx + dx * c - dy * s, cy + dx * s + dy * c};
  }
  return q;
}

bool PixelHit(const TGfxImage* image, int64_t x, int64_t y, int64_t ax, int64_t ay, int32_t posHor,
              int32_t posVert, int32_t scaleMilli, int32_t angleMilli, int32_t margin, int32_t threshold) {
  if (!image || scaleMilli == 0) return false;
  const int64_t sw = RoundSize(image->PatternWidth * (scaleMilli / 1000.0));
  const int64_t sh = RoundSize(image->PatternHeight * (scaleMilli / 1000.0));
  if (sw == 0 || sh == 0) return false;
  const int64_t gw = sw + 2 * int64_t{margin}, gh = sh + 2 * int64_t{margin};
  const int64_t reach = std::max(gw, gh) / 2;
  const int64_t cx = posHor == 0 ? ax + gw / 2 : posHor == 1 ? ax : ax - gw / 2;
  const int64_t cy = posVert == 0 ? ay + gh / 2 : posVert == 1 ? ay : ay - gh / 2;
  const int64_t dx = x - cx, dy = y - cy;
  if (dx > reach || dx < -reach || dy > reach || dy < -reach) return false;
  // The point turned back by the angle, in the grown frame (the polar form
  // cos(a - rot) * dist written out, so that unturned pictures stay exact).
  const double fx = static_cast<double>(dx), fy = static_cast<double>(dy);
  const double rot = angleMilli / 1000.0 * kDegToRad, c = std::cos(rot), s = std::sin(rot);
  const double u = fx * c + fy * s + static_cast<double>(gw / 2);
  const double v = fy * c - fx * s + static_cast<double>(gh / 2);
  if (!(u >= 0 && u < static_cast<double>(gw) && v >= 0 && v < static_cast<double>(gh))) return false;
  if (image->AlphaLevel == TAlphaLevel::alNone) return true;
  const double px = std::nearbyint(u * 1000.0 / scaleMilli), py = std::nearbyint(v * 1000.0 / scaleMilli);
  if (px < 0 || py < 0 || px >= image->PatternWidth || py >= image->PatternHeight) return false;
  const uint32_t pixel = image->GetPatternPixel(0, static_cast<int>(px), static_cast<int>(py));
  return static_cast<int32_t>(pixel >> 24) > threshold;
}

}  // namespace qel
