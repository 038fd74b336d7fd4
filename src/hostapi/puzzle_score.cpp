// Scoring of the items of a screen. Crystals (Id "Krist") count 3, every
// child of a "FIND" picture 1, an "ACT" item 5 and a "LOG" item 10; items
// inside other pictures count the same. An item counts as found once it is
// no longer visible (taken by the player).
#include <string>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

struct Score {
  int64_t total = 0;
  int64_t found = 0;
};

class ScreenScorer {
 public:
  ScreenScorer(TQelElement& screen, bool writeFlags) : screen_(screen), writeFlags_(writeFlags) {}

  Score Run() {
    for (const auto& child : screen_.Children()) {
      auto* image = dynamic_cast<TQelImage*>(child.get());
      if (!image) continue;
      if (SameTextAscii(image->Id(), "Krist")) {
        Count(*image, 3);
      } else if (SameTextAscii(image->Tag, "FIND")) {
        for (const auto& piece : image->Children()) Count(*piece, 1);
      } else if (!Item(*image)) {
        for (const auto& inner : image->Children()) Item(*inner);
      }
    }
    return score_;
  }

 private:
  void Count(const TQelElement& item, int64_t points) {
    score_.total += points;
    if (!item.Vis) score_.found += points;
  }
  // An "ACT" or "LOG" item: counted, and its visibility kept in the
  // screen's A[n] or LG[n]; false for other elements.
  bool Item(const TQelElement& e) {
    const bool act = SameTextAscii(e.Tag, "ACT");
    if (!act && !SameTextAscii(e.Tag, "LOG")) return false;
    Count(e, act ? 5 : 10);
    const int n = act ? ++acts_ : ++logs_;
    if (writeFlags_) WriteInteger(&screen_, (act ? "A[" : "LG[") + std::to_string(n) + "]", e.Vis ? 1 : 0);
    return true;
  }

  TQelElement& screen_;
  bool writeFlags_;
  Score score_;
  int acts_ = 0, logs_ = 0;
};

Score ScoreAndRecord(TQelElement& screen) {
  Score score = ScreenScorer(screen, true).Run();
  WriteInteger(&screen, "ENDCN", score.total);
  return score;
}

// The game's level screens: top-level screens named "Level" and a number.
bool IsLevelScreen(const TQelElement& e) {
  if (!dynamic_cast<const TQelScreen*>(&e) || e.Id().size() <= 5 || !SameTextAscii(e.Id().substr(0, 5), "Level"))
    return false;
  return e.Id().find_first_not_of("0123456789", 5) == ByteString::npos;
}

// Active := 1, Pos := 0 and its exStart runs; other kinds only take the values.
void StartAnimation(TQelElement* e) {
  if (auto* anim = dynamic_cast<TQelAnim*>(e)) {
    anim->Start();
    return;
  }
  WriteInteger(e, "ACTIVE", 1);
  WriteInteger(e, "POS", 0);
}

}  // namespace

void ScreenScore(TQelScreen& screen) { ScoreAndRecord(screen); }

void MapScore(TQelImage& map) {
  TQelElement* root = map.Root();
  if (!root) return;
  Score sum;
  for (const auto& child : root->Children()) {
    if (!IsLevelScreen(*child)) continue;
    const Score s = ScoreAndRecord(*child);
    sum.total += s.total;
    sum.found += s.found;
  }
  WriteInteger(&map, "ENDCN", sum.total);
  WriteInteger(&map, "SCORE", sum.found);
}

void ProgressBarUpdate(TQelImage& bar) {
  TQelElement* screen = PathElement(&bar, ".SCR");
  if (!screen) return;
  const int64_t found = ScreenScorer(*screen, false).Run().found;
  const int64_t total = ReadPathInteger(&bar, ".SCR.ENDCN").value_or(0);
  WriteValue(&bar, "SCALEX", Variant::Float(total == 0 ? 0.0 : static_cast<double>(found) / static_cast<double>(total)));
  const bool complete = total != 0 && found == total;
  WritePathInteger(&bar, ".PRB.VIS", complete ? 0 : 1);
  WritePathInteger(&bar, ".PRF.VIS", complete ? 0 : 1);
  SetTrans(&bar, complete ? 0 : 255);
  WritePathInteger(&bar, ".PRAN.VIS", complete ? 1 : 0);
  if (!complete || ReadPathInteger(&bar, ".SCR.ENDAN").value_or(1) != 0) return;
  StartAnimation(PathElement(&bar, ".PRAN"));
  WritePathInteger(&bar, ".SCR.ENDAN", 1);
}

}  // namespace qel
