#include "render/gfx_timer.h"

#include <SDL2/SDL.h>

#include <algorithm>

namespace qel {

uint64_t TSystemClock::Ticks() { return SDL_GetPerformanceCounter(); }
uint64_t TSystemClock::TicksPerSecond() { return SDL_GetPerformanceFrequency(); }
void TSystemClock::SleepMs(uint32_t ms) { SDL_Delay(ms); }

TGfxTimer::TGfxTimer(TGfxClock* clock) : clock_(clock) {
  if (!clock_) {
    ownClock_ = std::make_unique<TSystemClock>();
    clock_ = ownClock_.get();
  }
  last_ = clock_->Ticks();
}

void TGfxTimer::SetSpeed(double s) { speed_ = s < 1.0 ? 1.0 : s; }
void TGfxTimer::SetMaxFPS(int fps) { maxFps_ = fps < 1 ? 1 : fps; }

void TGfxTimer::Reset() { last_ = clock_->Ticks(); }

int64_t TGfxTimer::ElapsedFixed() {
  const uint64_t now = clock_->Ticks();
  const uint64_t delta = now >= last_ ? now - last_ : 0;
  last_ = now;
  const uint64_t freq = std::max<uint64_t>(1, clock_->TicksPerSecond());
  // delta * 1000 * 2^20 / freq without overflow; anything beyond an hour is an hour.
  unsigned __int128 v = static_cast<unsigned __int128>(delta) * 1000u * static_cast<uint64_t>(kFixedOne) / freq;
  const unsigned __int128 cap = static_cast<unsigned __int128>(3600000) * kFixedOne;
  return static_cast<int64_t>(v > cap ? cap : v);
}

void TGfxTimer::Idle() {
  // 1. Elapsed time since the previous idle call.
  const int64_t elapsed = ElapsedFixed();
  lastElapsed_ = elapsed;
  // 2. Disabled: sleep a little.
  if (!enabled_) {
    clock_->SleepMs(5);
    return;
  }
  // 3. Frame-rate cap: sleep the difference (counted in the next call's elapsed time).
  const int64_t minLatency = (1000 * kFixedOne) / maxFps_;
  if (elapsed < minLatency) clock_->SleepMs(static_cast<uint32_t>((minLatency - elapsed) >> kFixedShift));
  // 4. Steps accumulated, 20 fraction bits, capped at 32.
  const auto stepLatency = static_cast<int64_t>((1000.0 / speed_) * static_cast<double>(kFixedOne));
  int64_t steps = stepLatency > 0 ? (elapsed << kFixedShift) / stepLatency : kMaxSteps * kFixedOne;
  steps = std::min(steps, kMaxSteps * kFixedOne);
  if (processed_) {
    accumulator_ += steps;
    processed_ = false;
  }
  // Frame rate, for display only.
  ++fpsCount_;
  fpsTime_ += elapsed;
  if (fpsTime_ >= 1000 * kFixedOne) {
    frameRate_ = fpsCount_;
    fpsCount_ = 0;
    fpsTime_ %= 1000 * kFixedOne;
  }
  // 5. The frame.
  if (OnTimer) OnTimer(*this);
}

void TGfxTimer::Process() {
  processed_ = true;
  const int64_t whole = accumulator_ >> kFixedShift;
  accumulator_ &= kFixedOne - 1;
  for (int64_t i = 0; i < whole; ++i)
    if (OnProcess) OnProcess(*this);
}

}  // namespace qel
