#include "gamedb/stars.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qel
