// main of the GL test programs: headless video by default.
#include <gtest/gtest.h>

#include <cstdlib>

// Mesa's drivers are unloaded with dlclose at exit; the sanitizer then reports their
// allocations as leaks from an unknown module. Keeping them loaded avoids that.
extern "C" int dlclose(void*) { return 0; }

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  unsetenv("DISPLAY");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
