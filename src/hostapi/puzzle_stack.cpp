// Disc stacking. The controller carries one disc (OBJ) at a time: the disc
// rises and bobs (V), moves over the target pole (CX), drops (T) and lands
// on the discs already there (TY), or rises again when it may not land.
#include <cmath>

#include "elements/kinds.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

struct StackRules {
  int32_t hoverTop, hoverBottom;  // the disc bobs between these heights
  bool tower;                     // tower: stacked landing height, sound, log flags; else sorting
  int32_t dropFrom;               // the fall begins below this height
  int32_t winX;                   // every disc right of this: solved
};

constexpr int32_t kMoveHeight = 150;  // the disc moves sideways only when raised above this
constexpr int32_t kSortLanding = 227;

int64_t Hover(int64_t v, int64_t& y, const StackRules& rules) {
  if (v == 1) {
    if (y <= rules.hoverTop) v = 2;
    else y -= 10;
  }
  if (v == 2) {
    if (y > rules.hoverBottom) v = 3;
    else y += 1;
  }
  if (v == 3) {
    if (y <= rules.hoverTop) v = 2;
    else y -= 1;
  }
  return v;
}

// One step over the target pole, by a tenth of the distance but at least
// 3 px, snapping on when closer than 4 px.
int64_t TowardsPole(int64_t x, int64_t cx) {
  double step = static_cast<double>(cx - x) / 10;
  while (std::fabs(step) < 3) step *= 2;
  x += RoundToInt(step);
  return std::llabs(cx - x) < 4 ? cx : x;
}

TQelElement* DiscContainer(TQelImage& controller) { return ReadElement(ReadElement(&controller, "L"), "L"); }

void CheckSolved(TQelImage& controller, const StackRules& rules) {
  TQelElement* discs = DiscContainer(controller);
  if (!discs || discs->ChildCount() == 0) return;
  for (const auto& disc : discs->Children())
    if (disc->X() < rules.winX) return;
  WritePathInteger(&controller, "QELDB.LOGINTERFACE.WIN", 1);
  if (!rules.tower) return;
  SetVisible(ReadElement(&controller, "LL"), true);
  WritePathInteger(&controller, "QELDB.LEVEL7.HANOYLOG.VIS", 0);
}

// Where the carried disc lands over pole cx, and whether it may: only on a
// pole whose narrowest disc (tower) or widest disc (sorting) is itself.
void PlanLanding(TQelImage& controller, TQelElement& carried, int64_t cx, const StackRules& rules, int64_t& t,
                 int64_t& v, int64_t& ty) {
  TQelElement* discs = DiscContainer(controller);
  TQelElement* base = ReadElement(&controller, "S1");
  if (!discs || (rules.tower && !base)) return;
  if (rules.tower) ty = static_cast<int64_t>(base->GetSizeY()) + base->Y() - 20;
  else ty = kSortLanding;
  const TQelElement* noted = nullptr;
  auto consider = [&](const TQelElement& d) {
    if (d.X() != cx) return;
    if (rules.tower) ty = RoundToInt(static_cast<double>(ty) - 2 - d.GetSizeY() / 1.276);
    if (!noted || (rules.tower ? d.GetSizeX() <= noted->GetSizeX() : d.GetSizeX() >= noted->GetSizeX())) noted = &d;
  };
  bool carriedSeen = false;
  for (const auto& d : discs->Children()) {
    carriedSeen = carriedSeen || d.get() == &carried;
    consider(*d);
  }
  if (!carriedSeen) consider(carried);
  if (noted && carried.GetSizeX() == noted->GetSizeX()) {
    t = 4;
  } else {
    t = 0;
    v = 1;
  }
}

void StackStep(TQelImage& controller, const StackRules& rules, PuzzleOutlets* outlets) {
  TQelElement* disc = ReadElement(&controller, "OBJ");
  if (!disc) return;
  int64_t y = disc->Y();
  int64_t v = Hover(ReadInteger(&controller, "V").value_or(0), y, rules);
  if (y != disc->Y()) SetY(disc, y);
  WriteInteger(&controller, "V", v);

  auto cx = ReadInteger(&controller, "CX");
  if (!cx) return;
  if (disc->X() != *cx) {
    if (y <= kMoveHeight) SetX(disc, TowardsPole(disc->X(), *cx));
    return;
  }
  int64_t t = ReadInteger(&controller, "T").value_or(0);
  int64_t ty = ReadInteger(&controller, "TY").value_or(0);
  if (t == 1) {
    t = 2;
    v = 0;
  }
  if (t == 2) {
    if (rules.tower ? y >= rules.dropFrom : y > rules.dropFrom) {
      t = 3;
    } else {
      y += 5;
      SetY(disc, y);
    }
  }
  if (t == 4) {
    y += 10;
    if (y >= ty) {
      if (outlets) outlets->PlaySound(controller, "Lev7.LogStop");
      y = ty;
      t = 0;
      WriteInteger(&controller, "OBJ", 0);
    }
    SetY(disc, y);
    if (t == 0) CheckSolved(controller, rules);
  }
  if (t == 3) PlanLanding(controller, *disc, *cx, rules, t, v, ty);
  WriteInteger(&controller, "V", v);
  WriteInteger(&controller, "T", t);
  WriteInteger(&controller, "TY", ty);
}

}  // namespace

void TowerStep(TQelImage& controller, PuzzleOutlets& outlets) {
  StackStep(controller, {100, 114, true, 150, 500}, &outlets);
}

void SortStackStep(TQelImage& controller) { StackStep(controller, {0, 14, false, 24, 450}, nullptr); }

}  // namespace qel
