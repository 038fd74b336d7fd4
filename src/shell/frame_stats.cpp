#include "shell/frame_stats.h"

#include <time.h>

namespace qel {

int64_t ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

void FrameStats::EndStep(Clock::time_point now) {
  inStep_ = false;
  AddStep(ThreadCpuNs() - stepStart_ - renderInStep_, now);
}

void FrameStats::EndFrame(Clock::time_point now) {
  const int64_t ns = ThreadCpuNs() - frameStart_;
  if (inStep_) renderInStep_ += ns;
  AddFrame(ns, now);
}

void FrameStats::AddStep(int64_t cpuNs, Clock::time_point now) {
  Roll(now);
  steps_ += 1;
  stepNs_ += cpuNs > 0 ? cpuNs : 0;
}

void FrameStats::AddFrame(int64_t cpuNs, Clock::time_point now) {
  Roll(now);
  frames_ += 1;
  frameNs_ += cpuNs > 0 ? cpuNs : 0;
}

void FrameStats::Roll(Clock::time_point now) {
  if (!started_) {
    started_ = true;
    windowStart_ = now;
    return;
  }
  const double seconds = std::chrono::duration<double>(now - windowStart_).count();
  if (seconds < 1.0) return;
  last_.steps = steps_ / seconds;
  last_.frames = frames_ / seconds;
  // Without frames (a paused or hidden window) a step stands for a frame.
  const double perFrame = frames_ > 0 ? static_cast<double>(frames_) : static_cast<double>(steps_ > 0 ? steps_ : 1);
  last_.processMs = stepNs_ / perFrame / 1e6;
  last_.renderMs = frames_ > 0 ? frameNs_ / perFrame / 1e6 : 0;
  steps_ = frames_ = stepNs_ = frameNs_ = 0;
  windowStart_ = now;
}

}  // namespace qel
