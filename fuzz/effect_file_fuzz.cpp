// Effect files: the record is read from whatever bytes there are and an
// emitter runs on it for a second of game time, moving as games move it.
#include "elements/particles.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t seed = 1;
  qel::TXParticleSystem system(qel::kEffectCapacity, &seed);
  system.Load(qel::fuzz::AsView(data, size));
  system.Start();
  for (int step = 0; step < 30; ++step) {
    system.Update(1.0f / 30);
    system.MoveTo(static_cast<float>(step * 3), 0, (step & 1) != 0);
    if (step == 15) system.FireAt(10, 10);
  }
  return system.Count() <= system.Capacity() ? 0 : 1;
}
