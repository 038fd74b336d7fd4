#pragma once
// The frame table of a key-frame animation: for every frame, the sprites to
// draw. It is computed once from the keys (sprites of consecutive keys that
// share an Id move between them, linearly or along cubic splines; a sprite
// whose picture changes stands still and may cross-fade) and then only read
// while the animation plays.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/encoding.h"

namespace qel {

struct TQelIm;

// A loaded picture as the table needs it: which cache entry, and the size of
// one pattern.
struct SpritePicture {
  TQelIm* entry = nullptr;
  int width = 0, height = 0;
};

// One drawn sprite of one frame. X and Y are the sprite's centre relative to
// the animation's absolute position.
struct AnimSprite {
  TQelIm* Image = nullptr;
  int32_t Frame = 0;  // pattern; -1 before direction patterns are chosen
  double X = 0, Y = 0;
  double Scale = 1, Angle = 0;
  double ScaleX = 1, ScaleY = 1;
  uint32_t Color = 0xFFFFFFFFu;
  uint32_t DrawFx = 0;
};

// An image of a key, read from the tree.
struct KeySprite {
  ByteString id;
  std::optional<SpritePicture> picture;  // nullopt: no loaded picture
  double x = 0, y = 0;                   // top-left relative to the animation
  double scale = 1, angle = 0, scaleX = 1, scaleY = 1;
  uint32_t color = 0xFFFFFFFFu;  // ARGB
  uint32_t drawFx = 0;
  int32_t anim = 0;
  bool interpol = true, interpolSc = true;
};

struct AnimKey {
  uint16_t count = 0;  // in-between frames after the key's own
  bool morph = false;
  std::vector<KeySprite> sprites;
};

// Bounds on what one animation may hold, so that hostile keys (65535
// in-between frames on thousands of sprites) cannot exhaust memory: the table
// ends with the last whole frame that fits.
constexpr size_t kMaxAnimFrames = size_t{1} << 20;
constexpr size_t kMaxAnimSprites = size_t{1} << 20;

struct FrameOptions {
  bool interpol = false;  // the animation's Interpol: splines through the keys
  bool rep = false;       // the last key moves towards the first
  double angle = 0;       // the animation's Angle (degrees), for direction patterns
  // Sprites whose every moving value comes from splines skip the linear
  // motion the splines would overwrite (off: compute it anyway).
  bool splineShortcut = true;
  size_t maxFrames = kMaxAnimFrames;
  size_t maxSprites = kMaxAnimSprites;
};

class FrameTable {
 public:
  int32_t FrameCount() const { return static_cast<int32_t>(starts_.size()) - 1; }
  std::span<const AnimSprite> Frame(int32_t i) const {
    return {sprites_.data() + starts_[i], sprites_.data() + starts_[i + 1]};
  }
  size_t SpriteCount() const { return sprites_.size(); }
  // The keys asked for more than the bounds allow; the table was cut.
  bool Truncated() const { return truncated_; }

 private:
  friend class FrameBuilder;
  std::vector<AnimSprite> sprites_;
  std::vector<uint32_t> starts_{0};  // frame i is [starts_[i], starts_[i + 1])
  bool truncated_ = false;
};

FrameTable BuildFrameTable(const std::vector<AnimKey>& keys, const FrameOptions& options);

// The direction-pattern rule for a combined angle: the sprite's pattern
// becomes one of 16 (one per 22.5 degrees) and its angle what is left over.
void ChooseDirection(AnimSprite& sprite, double animAngle);

}  // namespace qel
