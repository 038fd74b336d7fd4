#pragma once
// Helpers shared by the picture decoders.
#include <cstdint>
#include <string>

#include "render/picture.h"

namespace qel::picture_detail {

inline bool Fail(TBitmap32& out, std::string* error, const char* msg) {
  out = TBitmap32{};
  if (error) *error = msg;
  return false;
}

inline bool SizeOk(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxPictureSide && h <= kMaxPictureSide && w * h <= kMaxPicturePixels;
}

inline uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Channel value of a packed pixel under a bit mask, scaled to 0..255.
inline int ShiftOf(uint32_t mask) {
  if (!mask) return 0;
  int s = 0;
  while (!(mask & 1u)) { mask >>= 1; ++s; }
  return s;
}
inline int BitsOf(uint32_t mask) {
  int n = 0;
  while (mask) { n += mask & 1u; mask >>= 1; }
  return n;
}
inline uint32_t Extract(uint32_t v, uint32_t mask) {
  if (!mask) return 0;
  uint32_t x = (v & mask) >> ShiftOf(mask);
  int bits = BitsOf(mask);
  if (bits >= 8) return x >> (bits - 8);
  // scale to 0..255
  uint32_t maxv = (1u << bits) - 1;
  return (x * 255 + maxv / 2) / maxv;
}

}  // namespace qel::picture_detail
