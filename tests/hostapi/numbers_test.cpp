#include <gtest/gtest.h>

#include <cmath>

#include "hostapi/number_args.h"
#include "hostapi/random.h"
#include "hostapi/stdlib_error.h"
#include "hostapi/stdlib_math.h"

namespace qel {
namespace {

TEST(NumberRounding, RoundHalvesToEven) {
  EXPECT_EQ(RoundValue(2.5), Variant::Integer(2));
  EXPECT_EQ(RoundValue(3.5), Variant::Integer(4));
  EXPECT_EQ(RoundValue(-2.5), Variant::Integer(-2));
  EXPECT_EQ(RoundValue(-2.6), Variant::Integer(-3));
  EXPECT_EQ(TruncValue(-2.7), Variant::Integer(-2));
  EXPECT_EQ(FloorValue(-2.1), Variant::Integer(-3));
  EXPECT_EQ(CeilValue(-2.1), Variant::Integer(-2));
  EXPECT_EQ(CeilValue(2.1), Variant::Integer(3));
}

TEST(NumberRounding, LargeResultsWidenAndHugeOnesFail) {
  EXPECT_EQ(RoundValue(3e9), Variant::Int64(3000000000));
  EXPECT_EQ(TruncValue(-2147483648.9), Variant::Integer(INT32_MIN));
  EXPECT_THROW(RoundValue(1e30), StdlibError);
  EXPECT_THROW(FloorValue(NAN), StdlibError);
}

TEST(NumberParts, IntAndFracKeepTheSign) {
  EXPECT_EQ(IntPart(-3.75), -3);
  EXPECT_EQ(IntPart(1e15 + 0.5), 1000000000000000);
  EXPECT_DOUBLE_EQ(FracPart(-3.75), -0.75);
  EXPECT_DOUBLE_EQ(FracPart(3.75), 0.75);
  EXPECT_THROW(IntPart(1e300), StdlibError);
}

TEST(NumberParts, SignOfRoundedInteger) {
  EXPECT_EQ(SignOf(IntegerArg(Variant::Float(0.4))), 0);
  EXPECT_EQ(SignOf(IntegerArg(Variant::Float(-0.6))), -1);
  EXPECT_EQ(SignOf(7), 1);
}

TEST(NumberArithmetic, ModFollowsTheDividend) {
  EXPECT_EQ(ModInt(-7, 3), -1);
  EXPECT_EQ(ModInt(7, -3), 1);
  EXPECT_EQ(ModInt(7, 3), 1);
  EXPECT_THROW(ModInt(7, 0), StdlibError);
  EXPECT_EQ(ModInt(INT32_MIN, -1), 0);
}

TEST(NumberArithmetic, IntPowerAndNonFiniteResults) {
  EXPECT_EQ(IntPower(2, 10), 1024.0);
  EXPECT_EQ(IntPower(2, -2), 0.25);
  EXPECT_EQ(IntPower(-3, 3), -27.0);
  EXPECT_EQ(IntPower(5, 0), 1.0);
  EXPECT_EQ(IntPower(0, 0), 1.0);
  EXPECT_THROW(IntPower(0, -1), StdlibError);
  EXPECT_THROW(IntPower(10, 400), StdlibError);
  EXPECT_EQ(IntPower(1, INT64_MIN), 1.0);
  EXPECT_THROW(CheckedFloat(std::log(0.0)), StdlibError);
  EXPECT_THROW(CheckedFloat(std::sqrt(-1.0)), StdlibError);
}

TEST(NumberArgs, ConversionsOfArguments) {
  EXPECT_EQ(IntegerArg(Variant::Float(2.5)), 2);
  EXPECT_EQ(IntegerArg(Variant::String("12")), 12);
  EXPECT_EQ(IntegerArg(Variant::Boolean(true)), -1);
  EXPECT_THROW(IntegerArg(Variant::String("x")), StdlibError);
  EXPECT_THROW(IntegerArg(Variant::Float(3e9)), StdlibError);
  EXPECT_EQ(TruncatedArg(Variant::Float(-2.9)), -2);
  EXPECT_EQ(TruncatedArg(Variant::String("2.9")), 2);
  EXPECT_EQ(TruncatedArg(Variant::Float(1e30)), INT64_MAX);
  EXPECT_EQ(TruncatedInt(Variant::Float(-1e30)), INT32_MIN);
  EXPECT_THROW(TruncatedArg(Variant::Float(NAN)), StdlibError);
  EXPECT_EQ(NumberArg(Variant::String("1.5")), 1.5);
}

TEST(RandomGenerator, FollowsTheLinearCongruentialSequence) {
  // Seed := Seed * 134775813 + 1; result = high word of Seed * N.
  RandomGenerator gen(0);
  const uint32_t expected[] = {0, 3, 86, 20, 27, 67};
  for (uint32_t e : expected) EXPECT_EQ(gen.Next(100), e);

  RandomGenerator wide(12345);
  EXPECT_EQ(wide.Next(0xFFFFFFFFu), 1655067933u);
  EXPECT_EQ(wide.seed(), 1655067934u);
  EXPECT_EQ(wide.Next(0xFFFFFFFFu), 1242767766u);
}

TEST(RandomGenerator, SameSeedSameSequenceAndAlwaysInRange) {
  RandomGenerator a(99), b(99);
  for (int i = 0; i < 1000; ++i) {
    const uint32_t x = a.Next(7);
    EXPECT_EQ(x, b.Next(7));
    EXPECT_LT(x, 7u);
  }
  EXPECT_EQ(a.Next(1), 0u);
}

}  // namespace
}  // namespace qel
