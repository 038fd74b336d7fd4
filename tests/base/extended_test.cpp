#include "base/extended.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace qel {
namespace {

TEST(Extended, KnownEncodings) {
  Extended80 one = EncodeExtended(1.0);
  Extended80 expected = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(one, expected);
  Extended80 minusTwo = EncodeExtended(-2.0);
  Extended80 expected2 = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0};
  EXPECT_EQ(minusTwo, expected2);
  Extended80 zero{};
  EXPECT_EQ(EncodeExtended(0.0), zero);
}

TEST(Extended, EveryDoubleRoundTripsExactly) {
  std::mt19937_64 gen(1234);
  for (int i = 0; i < 200000; ++i) {
    uint64_t bits = gen();
    double d;
    std::memcpy(&d, &bits, 8);
    if (std::isnan(d)) continue;
    double back = DecodeExtended(EncodeExtended(d));
    ASSERT_EQ(std::memcmp(&d, &back, 8), 0) << d;
  }
  for (double d : {std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
                   std::numeric_limits<double>::max(), -0.0, 5e-324, 1e-310})
    EXPECT_EQ(DecodeExtended(EncodeExtended(d)), d);
  EXPECT_TRUE(std::signbit(DecodeExtended(EncodeExtended(-0.0))));
  EXPECT_EQ(DecodeExtended(EncodeExtended(INFINITY)), INFINITY);
  EXPECT_TRUE(std::isnan(DecodeExtended(EncodeExtended(NAN))));
}

TEST(Extended, WiderValuesRoundToNearestDouble) {
  // 1 + 2^-60: below half an ulp of a double, rounds to 1.
  Extended80 e = {0x08, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(DecodeExtended(e), 1.0);
  // Exponent far beyond a double's range.
  Extended80 huge = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};
  EXPECT_EQ(DecodeExtended(huge), INFINITY);
  Extended80 tiny = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00};
  EXPECT_EQ(DecodeExtended(tiny), 0.0);
}

}  // namespace
}  // namespace qel
