// Replay files: every line either read or skipped with a reason, and every
// event read writes back to a line that reads as the same event.
#include <cstdlib>

#include "fuzz_support.h"
#include "shell/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qel::InputScript script = qel::ParseInputScript(qel::fuzz::AsView(data, size));
  for (const qel::InputEvent& e : script.events) {
    qel::InputEvent back;
    std::string why;
    if (!qel::ParseInputLine(qel::FormatInputEvent(e), back, why) || !(back == e)) std::abort();
  }
  return 0;
}
