// Font records read without a device: malformed and extreme records load or fail cleanly,
// and measuring text never overflows whatever the stored advances.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "render/gfx_fonts.h"

namespace qel {
namespace {

void Put32(std::vector<uint8_t>& v, int32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(static_cast<uint32_t>(x) >> (8 * i)));
}

// First character 'A', two glyphs, then a 2x2 texture of 1-byte pixels.
std::vector<uint8_t> FontRecord(int32_t extra, int32_t advance) {
  std::vector<uint8_t> v;
  for (int32_t x : {65, extra, 0, 2, advance, 8, advance, 8}) Put32(v, x);
  v.push_back(9);
  for (int32_t x : {2, 2, 2, 2, 1, 2, 2, 1}) Put32(v, x);
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(i * 60));
  return v;
}

TEST(FontRecord, ExtremeAdvancesMeasureWithoutOverflow) {
  const int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
  for (auto [extra, advance] : {std::pair{kMax, kMax}, {kMin, kMin}, {kMax, 1}, {5, 3}}) {
    TGfxFont font(nullptr, nullptr);
    std::vector<uint8_t> record = FontRecord(extra, advance);
    ASSERT_TRUE(font.LoadFromRecord(record.data(), record.size()));
    EXPECT_DOUBLE_EQ(font.TextWidth("AB"), 2.0 * (static_cast<double>(advance) + extra));
  }
}

TEST(FontRecord, EveryTruncationFailsCleanly) {
  std::vector<uint8_t> record = FontRecord(1, 5);
  for (size_t n = 0; n < record.size(); ++n) {
    std::vector<uint8_t> cut(record.begin(), record.begin() + static_cast<ptrdiff_t>(n));
    TGfxFont font(nullptr, nullptr);
    EXPECT_FALSE(font.LoadFromRecord(cut.data(), cut.size())) << n;
    EXPECT_EQ(font.GlyphCount(), 0);
  }
}

}  // namespace
}  // namespace qel
