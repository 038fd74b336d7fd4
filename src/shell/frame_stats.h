#pragma once
// How fast the player runs, for the inspector: process steps and frames per
// second of wall time, and the CPU time of the main thread that a frame
// costs in processing and in rendering, averaged over the last whole second.
#include <chrono>
#include <cstdint>

namespace qel {

// CPU time of the calling thread, in nanoseconds.
int64_t ThreadCpuNs();

class FrameStats {
 public:
  using Clock = std::chrono::steady_clock;
  struct Rates {
    double steps = 0, frames = 0;        // per second
    double processMs = 0, renderMs = 0;  // CPU per frame
  };

  // A process step; frames rendered inside it (progress frames of a screen
  // switch) count as rendering, not as processing.
  void BeginStep() { stepStart_ = ThreadCpuNs(), renderInStep_ = 0, inStep_ = true; }
  void EndStep(Clock::time_point now = Clock::now());
  void BeginFrame() { frameStart_ = ThreadCpuNs(); }
  void EndFrame(Clock::time_point now = Clock::now());

  // Counted directly (tests); the Begin/End pairs end here.
  void AddStep(int64_t cpuNs, Clock::time_point now);
  void AddFrame(int64_t cpuNs, Clock::time_point now);

  // The last whole second; zeros until one has passed.
  const Rates& Last() const { return last_; }

  class StepScope {
   public:
    explicit StepScope(FrameStats& stats) : stats_(stats) { stats_.BeginStep(); }
    ~StepScope() { stats_.EndStep(); }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

   private:
    FrameStats& stats_;
  };
  class FrameScope {
   public:
    explicit FrameScope(FrameStats& stats) : stats_(stats) { stats_.BeginFrame(); }
    ~FrameScope() { stats_.EndFrame(); }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;

   private:
    FrameStats& stats_;
  };

 private:
  void Roll(Clock::time_point now);

  int64_t stepStart_ = 0, frameStart_ = 0, renderInStep_ = 0;
  bool inStep_ = false;
  bool started_ = false;
  Clock::time_point windowStart_{};
  int64_t steps_ = 0, frames_ = 0, stepNs_ = 0, frameNs_ = 0;
  Rates last_;
};

}  // namespace qel
