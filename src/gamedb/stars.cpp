#include "gamedb/stars.h"

#include <numbers>

#include "render/gfx_canvas.h"
#include "render/gfx_types.h"

namespace qel {

StarRecord* StarPool::FirstFree() {
  for (StarRecord& r : records_)
    if (!r.active) return &r;
  return nullptr;
}

bool StarPool::Add(const StarRecord& star) {
  StarRecord* r = FirstFree();
  if (!r) return false;
  *r = star;
  r->active = true;
  return true;
}

void StarPool::Update() {
  for (StarRecord& r : records_) {
    if (!r.active) continue;
    r.angle += r.angleStep;
    r.x += r.xStep;
    r.y += r.yStep;
    r.scale += r.scaleStep;
    if (!(r.scale > 0)) r.active = false;
  }
}

void StarPool::Draw(int32_t layer, TGfx2D& canvas, const TGfxImage& picture) const {
  for (const StarRecord& r : records_) {
    if (!r.active || r.layer != layer) continue;
    canvas.DrawRotated(&picture, r.x, r.y, r.angle * std::numbers::pi / 180.0, r.scale,
                       TColor4(r.colour + 0xFF000000u), r.pattern, kDrawEffect);
  }
}

void StarPool::Clear() {
  for (StarRecord& r : records_) r.active = false;
}

int StarPool::ActiveCount() const {
  int n = 0;
  for (const StarRecord& r : records_) n += r.active ? 1 : 0;
  return n;
}

std::optional<int32_t> StarPool::NextLayer(int64_t after, int32_t last) const {
  const bool up = last > after;
  std::optional<int32_t> best;
  for (const StarRecord& r : records_) {
    if (!r.active || (up ? !(r.layer > after && r.layer <= last) : !(r.layer < after && r.layer >= last))) continue;
    if (!best || (up ? r.layer < *best : r.layer > *best)) best = r.layer;
  }
  return best;
}

}  // namespace qel
