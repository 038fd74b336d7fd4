#include "hostapi/puzzle_outlets.h"

namespace qel {
namespace {

// Sound playback, stars, pictures and the canvas join the game's services
// as those arrive; until then each outlet does nothing, as a game without
// that service would.
class RunningGameOutlets final : public PuzzleOutlets {
 public:
  void PlaySound(TQelElement&, const ByteString&) override {}
  void AddStar(TQelElement&, const PuzzleStar&) override {}
  std::optional<PictureSize> PatternSize(const TQelImage&) override { return std::nullopt; }
  std::optional<uint32_t> PatternPixel(const TQelImage&, int32_t, int32_t) override { return std::nullopt; }
  void FillTriangle(TQelElement&, uint32_t, uint32_t, double, double, double, double, double, double) override {}
};

}  // namespace

PuzzleOutlets& GameOutlets() {
  static RunningGameOutlets outlets;
  return outlets;
}

}  // namespace qel
