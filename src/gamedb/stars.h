#pragma once
// The root's stars: small rotating sprites cut from the particle picture,
// drawn between the layers of the screen. A fixed pool, so adding, moving
// and drawing stars never allocates.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace qel {

class TGfx2D;
class TGfxImage;

struct StarRecord {
  int32_t pattern = 0;
  int32_t layer = 0;   // an Order value; 1000 draws above everything
  int32_t effect = 0;  // as given; stars are drawn additively
  bool active = false;
  uint32_t colour = 0;  // $00RRGGBB
  double angle = 0;     // degrees
  double x = 0, y = 0;
  double scale = 0;  // the star dies when it is no longer above 0
  double angleStep = 0, scaleStep = 0, xStep = 0, yStep = 0;
};

class StarPool {
 public:
  static constexpr int kSize = 5001;
  static constexpr uint32_t kDrawEffect = 260;

  // Fills the first free record with star (colour included) and marks it
  // active; false when all are in use.
  bool Add(const StarRecord& star);
  // The first free record, or nullptr.
  StarRecord* FirstFree();
  void Update();
  void Draw(int32_t layer, TGfx2D& canvas, const TGfxImage& picture) const;
  void Clear();
  int ActiveCount() const;
  // The nearest layer of an active star strictly past `after` toward `last`, not
  // beyond it; nullopt when there is none.
  std::optional<int32_t> NextLayer(int64_t after, int32_t last) const;
  const StarRecord& operator[](int i) const { return records_[static_cast<size_t>(i)]; }

 private:
  std::array<StarRecord, kSize> records_{};
};

}  // namespace qel
