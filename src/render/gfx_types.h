#pragma once
// Shared small types of the rendering layer.
#include <cstdint>

namespace qel {

// Device notifications (the device is the publisher, the canvas, the texture list and
// the font list are subscribers).
enum TGfxMessage : int {
  msgDeviceInitialize = 256,
  msgDeviceFinalize = 257,
  msgDeviceLost = 258,
  msgDeviceReset = 259,
  msgBeginScene = 260,
  msgEndScene = 261,
  // Not one of the device's own notifications: sent before a texture is freed so that the canvas draws the
  // batch that may still refer to it.
  msgFlushBatch = 0x7001,
};

class TGfxSubscriber {
 public:
  virtual ~TGfxSubscriber() = default;
  // Answer false to msgDeviceInitialize to make initialisation fail.
  virtual bool DeviceNotify(int msg) = 0;
};

struct TGfxRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const TGfxRect&) const = default;
};

struct TGfxPoint {
  double x = 0.0, y = 0.0;
};

// Four corners: top-left, top-right, bottom-right, bottom-left.
struct TPoint4 {
  TGfxPoint p[4];
};

// A colour set: corner colours (ARGB) in the order top-left, top-right, bottom-right, bottom-left.
struct TColor4 {
  uint32_t c[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  TColor4() = default;
  TColor4(uint32_t one) : c{one, one, one, one} {}  // NOLINT: a single colour is a colour set
  TColor4(uint32_t tl, uint32_t tr, uint32_t br, uint32_t bl) : c{tl, tr, br, bl} {}
  bool AllWhite() const { return (c[0] & c[1] & c[2] & c[3]) == 0xFFFFFFFFu; }
};

// Pattern selector of textured draws.
struct TGfxPattern {
  int index = 0;         // clamped to 0..PatternCount-1
  int srcX = 0, srcY = 0;  // offsets inside the pattern
  int srcW = 0, srcH = 0;  // below 1: the whole pattern width / height
  bool flip = false;     // upside down
  bool mirror = false;   // left-right reversed
  TGfxPattern() = default;
  TGfxPattern(int idx) : index(idx) {}  // NOLINT
};

// Draw effects used by the runtime.
constexpr uint32_t fxOpaque = 1;        // ONE, ZERO, ADD: blending and alpha test off
constexpr uint32_t fxBlend = 0x0504;    // SRCALPHA, INVSRCALPHA
constexpr uint32_t fxAdd = 0x0104;      // SRCALPHA, ONE

constexpr uint32_t MakeFx(int src, int dst, int op) {
  return static_cast<uint32_t>(src & 0xFF) | (static_cast<uint32_t>(dst & 0xFF) << 8) |
         (static_cast<uint32_t>(op & 0xFF) << 16);
}

}  // namespace qel
