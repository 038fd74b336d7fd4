// Behaviour of the animation reference: a top-level animation's frames shown
// at the reference's own place with its own playback position.
#include <cstdint>

#include "elements/kinds.h"
#include "elements/qel_db.h"

namespace qel {

TQelAnim* TQelExAnim::Animation() const {
  if (TQelElement* known = runtime().Resolve(resolved_)) return static_cast<TQelAnim*>(known);
  resolved_ = 0;
  if (!Root()) return nullptr;
  for (const auto& c : Root()->Children())
    if (c->IsClass("TQelAnim") && c->Key == obAnim) {
      resolved_ = c->Handle();
      return static_cast<TQelAnim*>(c.get());
    }
  return nullptr;
}

void TQelExAnim::SetObAnim(int32_t v) {
  obAnim = v;
  resolved_ = 0;
}

// Bounded by the animation's frames once they are built. Before that (a game or a saved state
// being read, a screen not shown yet) there is nothing to bound by: a position of 0 would
// become -1, and a reference restored so would never play again, since it moves on only
// from 0 up.
void TQelExAnim::SetPosition(int32_t v) {
  Pos = v;
  if (TQelAnim* a = Animation(); a && a->Frames() && Pos >= a->FrameCount()) Pos = Rep ? 0 : a->FrameCount() - 1;
}

int32_t TQelExAnim::GetSizeX() const {
  TQelAnim* a = Animation();
  return a ? a->GetSizeX() : 0;
}

int32_t TQelExAnim::GetSizeY() const {
  TQelAnim* a = Animation();
  return a ? a->GetSizeY() : 0;
}

namespace {

// Where the anchor puts the reference: its X, or X less half or all of its size.
int64_t Aligned(int32_t pos, int32_t align, int32_t size) {
  if (align == 1) return int64_t{pos} - size / 2;
  if (align == 2) return int64_t{pos} - size;
  return pos;
}

}  // namespace

int32_t TQelExAnim::GetAbsX() const {
  int64_t x = Aligned(X(), PosHor, GetSizeX());
  return static_cast<int32_t>(Parent() ? Parent()->GetAbsX() + x : x);
}

int32_t TQelExAnim::GetAbsY() const {
  int64_t y = Aligned(Y(), PosVert, GetSizeY());
  return static_cast<int32_t>(Parent() ? Parent()->GetAbsY() + y : y);
}

void TQelExAnim::Process() {
  if (Active && Pos >= 0 && Pos < INT32_MAX) SetPosition(Pos + 1);
  TQelElement::Process();
}

void TQelExAnim::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t) {
  if (!Loaded) LoadRes();
  TQelAnim* a = Animation();
  if (!a || layer != Order()) return;
  a->DrawFrame(Pos, colour, offsetX + static_cast<double>(Aligned(X(), PosHor, GetSizeX())),
               offsetY + static_cast<double>(Aligned(Y(), PosVert, GetSizeY())));
}

}  // namespace qel
