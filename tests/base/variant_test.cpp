#include "base/variant.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/var_list.h"

namespace qel {
namespace {

TEST(Variant, FloatsRoundHalfToEvenAndFailOutsideInt32) {
  EXPECT_EQ(Variant::Float(2.5).ToInt32(), 2);
  EXPECT_EQ(Variant::Float(3.5).ToInt32(), 4);
  EXPECT_EQ(Variant::Float(-2.5).ToInt32(), -2);
  EXPECT_EQ(Variant::Float(-0.5).ToInt32(), 0);
  EXPECT_EQ(Variant::Float(2.4999).ToInt32(), 2);
  EXPECT_FALSE(Variant::Float(3e9).ToInt32());
  EXPECT_FALSE(Variant::Float(NAN).ToInt32());
  EXPECT_EQ(Variant::Int64(int64_t{1} << 40).ToInt64(), int64_t{1} << 40);
  EXPECT_FALSE(Variant::Int64(int64_t{1} << 40).ToInt32());
}

TEST(Variant, StringsReadAsNumbersOrFail) {
  EXPECT_EQ(Variant::String(" 42 ").ToInt32(), 42);
  EXPECT_EQ(Variant::String("-7").ToInt32(), -7);
  EXPECT_EQ(Variant::String("$FF").ToInt32(), 255);
  EXPECT_EQ(Variant::String("1.5").ToInt32(), 2);
  EXPECT_FALSE(Variant::String("12abc").ToInt32());
  EXPECT_FALSE(Variant::String("").ToInt32());
  EXPECT_DOUBLE_EQ(*Variant::String("2.5e3").ToDouble(), 2500.0);
  EXPECT_FALSE(Variant::String("e3").ToDouble());
  EXPECT_FALSE(Variant::String("99999999999999999999").ToInt64());
}

TEST(Variant, BooleansAndConditions) {
  EXPECT_EQ(Variant::Boolean(true).ToInt32(), -1);
  EXPECT_EQ(Variant::Boolean(false).ToDouble(), 0.0);
  EXPECT_EQ(Variant::String("true").ToBoolean(), true);
  EXPECT_EQ(Variant::String("FALSE").ToBoolean(), false);
  EXPECT_EQ(Variant::String("0").ToBoolean(), false);
  EXPECT_FALSE(Variant::String("yes").ToBoolean());
  EXPECT_EQ(Variant::Integer(-3).ToBoolean(), true);
}

TEST(Variant, TextOfValues) {
  EXPECT_EQ(Variant::Float(0.1).ToString(), "0.1");
  EXPECT_EQ(Variant::Float(1.5e20).ToString(), "1.5E20");
  EXPECT_EQ(Variant::Float(-2e-7).ToString(), "-2E-7");
  EXPECT_EQ(Variant::Float(1.0 / 3).ToString(), "0.333333333333333");
  EXPECT_EQ(Variant::Float(100).ToString(), "100");
  EXPECT_EQ(Variant::Boolean(true).ToString(), "True");
  EXPECT_EQ(Variant::Word(65535).ToString(), "65535");
  EXPECT_EQ(Variant().ToString(), "");
}

TEST(VarList, NameRule) {
  for (const char* ok : {"A", "OBJ.X", ".X", "A[3]", "A[1,-2]", "_", "\xC0\xC1"})
    EXPECT_TRUE(IsValidName(ok)) << ok;
  for (const char* bad : {"", "1A", "A[I]", "A[1]B", "[1]", "A B", "9"}) EXPECT_FALSE(IsValidName(bad)) << bad;
}

TEST(VarList, AddVarKeepsExistingValuesAndRejectsBadNames) {
  TVarList list;
  EXPECT_TRUE(list.AddVar({"X", Variant::Integer(1)}));
  EXPECT_TRUE(list.AddVar({"X", Variant::Integer(2)}));
  EXPECT_EQ(list.Find("X")->Value, Variant::Integer(1));
  EXPECT_FALSE(list.AddVar({"1X", Variant::Integer(3)}));
  EXPECT_FALSE(list.AddIfMissing({"X", Variant::Integer(4)}));
  EXPECT_TRUE(list.UpdateValue("X", Variant::String("s")));
  EXPECT_FALSE(list.UpdateValue("Y", Variant::String("s")));
  EXPECT_EQ(list.Count(), 1);
}

}  // namespace
}  // namespace qel
