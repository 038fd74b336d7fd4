#include <gtest/gtest.h>

#include "render/gfx_timer.h"

using namespace qel;

namespace {

struct Harness {
  TVirtualClock clock;
  TGfxTimer timer{&clock};
  int steps = 0, frames = 0;
  std::vector<int> perFrame;
  double renderMs = 0;
  Harness() {
    timer.SetSpeed(30);
    timer.SetMaxFPS(30);
    timer.OnProcess = [this](TGfxTimer&) { ++steps; };
    timer.OnTimer = [this](TGfxTimer& t) {
      ++frames;
      int before = steps;
      clock.AdvanceMs(renderMs);  // the frame's own work
      t.Process();
      perFrame.push_back(steps - before);
    };
    timer.Reset();
    timer.SetEnabled(true);
  }
};

}  // namespace

TEST(GfxTimer, HundredMsFramesGiveThreeSteps) {
  Harness h;
  h.renderMs = 100;
  for (int i = 0; i < 10; ++i) h.timer.Idle();
  // The first idle call has no Process before it: nothing accumulates.
  EXPECT_EQ(h.perFrame[0], 0);
  for (size_t i = 1; i < h.perFrame.size(); ++i) EXPECT_EQ(h.perFrame[i], 3) << i;
  // Only the first call (0 ms elapsed) sleeps; 100 ms is above 1000/MaxFPS.
  EXPECT_EQ(h.clock.SleptMs(), 33u);
}

TEST(GfxTimer, StallIsCappedAt32Steps) {
  Harness h;
  h.renderMs = 40;
  h.timer.Idle();
  h.timer.Idle();
  h.clock.AdvanceMs(10000);
  h.timer.Idle();
  EXPECT_EQ(h.perFrame.back(), 32);
  // Only the fraction left from earlier frames stays.
  EXPECT_LT(h.timer.Accumulator(), TGfxTimer::kFixedOne);
}

TEST(GfxTimer, MaxFpsSleepsTheDifferenceAndCountsItNextTime) {
  Harness h;
  h.renderMs = 10;  // faster than 30 fps
  h.timer.Idle();   // elapsed 0: sleeps 33 ms
  EXPECT_EQ(h.clock.SleptMs(), 33u);
  h.timer.Idle();  // elapsed = 10 + 33 = 43 ms: no sleep
  EXPECT_EQ(h.clock.SleptMs(), 33u);
  EXPECT_EQ(h.timer.LastElapsed(), int64_t{43} << 20);
  // Long run: the step rate approaches Speed.
  for (int i = 0; i < 300; ++i) h.timer.Idle();
  const double seconds = (h.clock.Ticks()) / 1e6;
  EXPECT_NEAR(h.steps / seconds, 30.0, 1.0);
}

TEST(GfxTimer, FractionsAccumulate) {
  Harness h;
  h.renderMs = 50;  // 1.5 steps per frame
  for (int i = 0; i < 5; ++i) h.timer.Idle();
  // Frames 2..5 add 1.5 each: 1, 2 (3.0 after two), 1, 2.
  EXPECT_EQ(h.perFrame[1] + h.perFrame[2], 3);
  EXPECT_EQ(h.perFrame[3] + h.perFrame[4], 3);
}

TEST(GfxTimer, DisabledSleepsFiveMs) {
  Harness h;
  h.timer.SetEnabled(false);
  h.timer.Idle();
  EXPECT_EQ(h.clock.SleptMs(), 5u);
  EXPECT_EQ(h.frames, 0);
}

TEST(GfxTimer, ResetForgetsTimeUntilNow) {
  Harness h;
  h.renderMs = 100;
  h.timer.Idle();
  h.clock.AdvanceMs(5000);  // loading, then Reset
  h.timer.Reset();
  h.timer.Idle();
  EXPECT_EQ(h.perFrame.back(), 0);  // without Reset: 32 (capped)
  h.timer.Idle();
  EXPECT_EQ(h.perFrame.back(), 3);
}

TEST(GfxTimer, SettersClamp) {
  TVirtualClock c;
  TGfxTimer t(&c);
  t.SetSpeed(0.2);
  EXPECT_EQ(t.Speed(), 1.0);
  t.SetMaxFPS(0);
  EXPECT_EQ(t.MaxFPS(), 1);
}

TEST(GfxTimer, ProcessWithoutWholeStepDoesNothing) {
  TVirtualClock c;
  TGfxTimer t(&c);
  int n = 0;
  t.OnProcess = [&](TGfxTimer&) { ++n; };
  t.Process();
  EXPECT_EQ(n, 0);
}
