#include <gtest/gtest.h>

#include "shell/frame_stats.h"

namespace qel {
namespace {

using Clock = FrameStats::Clock;
using std::chrono::milliseconds;

// Rates are published once a second has passed, from what that second counted.
TEST(FrameStats, RatesOfTheLastWholeSecond) {
  FrameStats stats;
  const Clock::time_point t0{};
  stats.AddStep(0, t0);  // opens the first second
  for (int i = 1; i < 30; ++i) stats.AddStep(2'000'000, t0 + milliseconds(i * 33));
  for (int i = 0; i < 15; ++i) stats.AddFrame(4'000'000, t0 + milliseconds(i * 66));
  EXPECT_EQ(stats.Last().steps, 0);  // not a second yet
  stats.AddStep(2'000'000, t0 + milliseconds(1000));
  EXPECT_NEAR(stats.Last().steps, 30, 1e-9);
  EXPECT_NEAR(stats.Last().frames, 15, 1e-9);
  EXPECT_NEAR(stats.Last().processMs, 58.0 / 15, 1e-9);  // the steps' time shared among the frames
  EXPECT_NEAR(stats.Last().renderMs, 4, 1e-9);
  // A second without frames (a paused window): each step stands for a frame.
  for (int i = 1; i < 10; ++i) stats.AddStep(3'000'000, t0 + milliseconds(1000 + i * 100));
  stats.AddStep(0, t0 + milliseconds(2000));
  EXPECT_NEAR(stats.Last().frames, 0, 1e-9);
  EXPECT_NEAR(stats.Last().processMs, (2 + 27) / 10.0, 1e-9);
  EXPECT_NEAR(stats.Last().renderMs, 0, 1e-9);
}

// A frame drawn inside a step (a progress frame of a screen switch) is rendering time, not processing.
TEST(FrameStats, FramesInsideAStepAreNotProcessing) {
  FrameStats stats;
  const Clock::time_point t0{};
  stats.AddStep(0, t0);
  stats.BeginStep();
  stats.BeginFrame();
  const int64_t start = ThreadCpuNs();
  volatile double sink = 0;
  while (ThreadCpuNs() - start < 20'000'000) sink = sink + 1;
  stats.EndFrame(t0 + milliseconds(10));
  stats.EndStep(t0 + milliseconds(20));
  stats.AddStep(0, t0 + milliseconds(1000));
  EXPECT_LT(stats.Last().processMs, 5);
  EXPECT_GE(stats.Last().renderMs, 20);
}

}  // namespace
}  // namespace qel
