// TGA pictures: true colour, grey and colour-mapped, plain and RLE.
#include "fuzz_support.h"
#include "render/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::TBitmap32 bitmap;
  qel::DecodeTga(data, size, bitmap);
  return 0;
}
