#include "gamedb/stars.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace qel {
namespace {

TEST(StarPool, LifetimeFollowsScale) {
  StarPool pool;
  StarRecord s;
  s.scale = 1;
  s.scaleStep = -0.25;
  s.angleStep = 10;
  s.xStep = 2;
  ASSERT_TRUE(pool.Add(s));
  for (int i = 0; i < 3; ++i) {
    pool.Update();
    EXPECT_TRUE(pool[0].active) << i;
  }
  EXPECT_DOUBLE_EQ(pool[0].angle, 30);
  EXPECT_DOUBLE_EQ(pool[0].x, 6);
  pool.Update();
  EXPECT_FALSE(pool[0].active);
  // A NaN scale is not above 0 either.
  s.scale = std::numeric_limits<double>::quiet_NaN();
  ASSERT_TRUE(pool.Add(s));
  pool.Update();
  EXPECT_EQ(pool.ActiveCount(), 0);
}

TEST(StarPool, FirstFreeRecordAndFullPool) {
  StarPool pool;
  StarRecord s;
  s.scale = 1;
  for (int i = 0; i < StarPool::kSize; ++i) ASSERT_TRUE(pool.Add(s));
  s.pattern = 7;
  EXPECT_FALSE(pool.Add(s));
  EXPECT_EQ(pool.ActiveCount(), StarPool::kSize);
  pool.Clear();
  EXPECT_EQ(pool.ActiveCount(), 0);
  s.scale = 2;
  s.scaleStep = -1;
  pool.Add(s);  // index 0, dies on the second update
  s.scaleStep = 0;
  pool.Add(s);  // index 1
  pool.Update();
  pool.Update();
  EXPECT_TRUE(pool.Add(s));  // reuses index 0
  EXPECT_TRUE(pool[0].active);
  EXPECT_EQ(pool.ActiveCount(), 2);
}

// Layer passes skip the layers where neither an element nor a live star is.
TEST(StarPool, NextLayerOfALiveStarEitherWay) {
  StarPool pool;
  StarRecord s;
  s.scale = 1;
  for (int32_t layer : {5, -3, 1000, INT32_MIN}) {
    s.layer = layer;
    pool.Add(s);
  }
  s.layer = 2;
  pool.Add(s);
  pool.Clear();  // all dead: no layers
  EXPECT_EQ(pool.NextLayer(INT32_MIN, INT32_MAX), std::nullopt);
  for (int32_t layer : {5, -3, 1000, INT32_MIN}) {
    s.layer = layer;
    pool.Add(s);
  }
  EXPECT_EQ(pool.NextLayer(-3, 999), 5);  // strictly past, up to the last one
  EXPECT_EQ(pool.NextLayer(5, 999), std::nullopt);
  EXPECT_EQ(pool.NextLayer(5, 1000), 1000);
  EXPECT_EQ(pool.NextLayer(5, -3), -3);  // downwards
  EXPECT_EQ(pool.NextLayer(-3, INT32_MIN), INT32_MIN);
  EXPECT_EQ(pool.NextLayer(int64_t{INT32_MAX} + 1, INT32_MIN), 1000);
}

}  // namespace
}  // namespace qel
