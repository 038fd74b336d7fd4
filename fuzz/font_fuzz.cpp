// Font records as the archive holds them: glyph table and texture stream.
#include "fuzz_support.h"
#include "render/gfx_fonts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::TGfxFont font(nullptr, nullptr);
  if (font.LoadFromRecord(data, size)) {
    font.TextWidth("Qel #$FF00FF00 0x12345678 text");
    font.TextHeight("Qel");
  }
  return 0;
}
