#pragma once
// The frame timer. Runs from the application's idle loop (Idle), calls OnTimer
// once per idle call and, through Process, OnProcess once per whole fixed-rate step
// accumulated (20-bit fixed point, at most 32 steps per idle call).
#include <cstdint>
#include <functional>
#include <memory>

namespace qel {

// The clock the timer reads and sleeps with. Tests and headless runs inject a virtual one.
class TGfxClock {
 public:
  virtual ~TGfxClock() = default;
  virtual uint64_t Ticks() = 0;            // monotonic counter
  virtual uint64_t TicksPerSecond() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
};

// SDL's high-resolution performance counter and SDL_Delay.
class TSystemClock : public TGfxClock {
 public:
  uint64_t Ticks() override;
  uint64_t TicksPerSecond() override;
  void SleepMs(uint32_t ms) override;
};

// A clock that only moves when told: Advance, or the timer's own sleeps (in microseconds).
class TVirtualClock : public TGfxClock {
 public:
  uint64_t Ticks() override { return now_; }
  uint64_t TicksPerSecond() override { return 1000000; }
  void SleepMs(uint32_t ms) override {
    slept_ += ms;
    now_ += static_cast<uint64_t>(ms) * 1000;
  }
  void AdvanceMs(double ms) { now_ += static_cast<uint64_t>(ms * 1000.0); }
  void AdvanceUs(uint64_t us) { now_ += us; }
  uint64_t SleptMs() const { return slept_; }

 private:
  uint64_t now_ = 0;
  uint64_t slept_ = 0;
};

class TGfxTimer {
 public:
  static constexpr int kFixedShift = 20;
  static constexpr int64_t kFixedOne = int64_t{1} << kFixedShift;
  static constexpr int64_t kMaxSteps = 32;

  // Without a clock the timer uses the system clock. The clock must outlive the timer.
  explicit TGfxTimer(TGfxClock* clock = nullptr);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  double Speed() const { return speed_; }
  void SetSpeed(double s);  // process steps per second; below 1 becomes 1
  int MaxFPS() const { return maxFps_; }
  void SetMaxFPS(int fps);  // below 1 becomes 1

  std::function<void(TGfxTimer&)> OnTimer;
  std::function<void(TGfxTimer&)> OnProcess;

  // Re-reads the clock: the time until now is not counted.
  void Reset();
  // One idle call of the application loop (steps 1..5 of the frame-timing algorithm).
  void Idle();
  // Runs OnProcess once per whole accumulated step and keeps the fraction.
  void Process();

  // The accumulator (steps, 20 fraction bits) and the last elapsed time (ms, 20 fraction bits).
  int64_t Accumulator() const { return accumulator_; }
  int64_t LastElapsed() const { return lastElapsed_; }
  // Frames (idle calls with the timer enabled) in the last whole second, for display.
  int FrameRate() const { return frameRate_; }

 private:
  int64_t ElapsedFixed();  // ms x 2^20 since the previous call

  std::unique_ptr<TSystemClock> ownClock_;
  TGfxClock* clock_;
  bool enabled_ = false;
  double speed_ = 30.0;
  int maxFps_ = 30;
  uint64_t last_ = 0;
  int64_t accumulator_ = 0;
  int64_t lastElapsed_ = 0;
  bool processed_ = false;
  int64_t fpsTime_ = 0;
  int fpsCount_ = 0, frameRate_ = 0;
};

}  // namespace qel
