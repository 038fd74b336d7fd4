// BMP pictures, with and without the palette indices the alpha masks use.
#include "fuzz_support.h"
#include "render/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::TBitmap32 bitmap;
  qel::TIndexedRows indices;
  qel::DecodeBmp(data, size, bitmap, &indices);
  return 0;
}
