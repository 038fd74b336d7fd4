// PNG pictures through libpng (not instrumented: only our wrapper guides the fuzzer).
#include "fuzz_support.h"
#include "render/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::TBitmap32 bitmap;
  qel::DecodePng(data, size, bitmap);
  return 0;
}
