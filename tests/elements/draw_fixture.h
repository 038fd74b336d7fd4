#pragma once
// Headless drawing of element trees: a device, canvas, texture list and font
// list handed to a game's services, and the back buffer read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "elements/kinds.h"
#include "elements/layer_walk.h"
#include "elements/qel_db.h"
#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/gfx_fonts.h"
#include "render/gfx_images.h"

namespace qel::test {

inline ::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tol = 2) {
  for (int sh = 0; sh < 24; sh += 8) {
    const int a = (actual >> sh) & 0xFF, e = (expected >> sh) & 0xFF;
    if (std::abs(a - e) > tol) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "pixel %08X, expected %08X (+-%d)", actual, expected, tol);
      return ::testing::AssertionFailure() << buf;
    }
  }
  return ::testing::AssertionSuccess();
}

// A font of solid 4x4 glyphs for the codes 32..126 (the space glyph is empty),
// advance of code c = 5 + c % 3, height 4.
inline int TestAdvance(unsigned char c) { return 5 + c % 3; }

inline std::string TestFontRecord() {
  std::string out;
  ByteWriter w(out);
  const int first = 32, count = 95;
  w.WriteInt32(first);
  w.WriteInt32(0);
  w.WriteInt32(0);
  w.WriteInt32(count);
  for (int c = first; c < first + count; ++c) {
    w.WriteInt32(TestAdvance(static_cast<unsigned char>(c)));
    w.WriteInt32(4);
  }
  const int tw = 64, th = 32;  // 16 x 8 cells of 4 x 4
  w.WriteUInt8(5);             // A8R8G8B8
  for (int v : {4, 4, 4, 4, count, tw, th, 1}) w.WriteInt32(v);
  for (int y = 0; y < th; ++y)
    for (int x = 0; x < tw; ++x) {
      const int cell = (y / 4) * 16 + x / 4;
      const bool ink = cell > 0 && cell < count;  // cell 0 is the space
      w.WriteInt32(static_cast<int32_t>(ink ? 0xFFFFFFFFu : 0u));
    }
  return out;
}

// Width of a line in the test font (no inline codes in the tests' texts).
inline double TestWidth(std::string_view line, double scale = 1) {
  double w = 0;
  for (unsigned char c : line) w += (c >= 32 && c < 127 ? TestAdvance(c) : 4 * 0.3) * scale;
  return w;
}

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device.Headless = true;
    if (!device.Initialize()) GTEST_SKIP() << "no OpenGL context: " << device.LastError();
    Runtime& rt = db.runtime();
    rt.services.canvas = &canvas;
    rt.services.fonts = &fonts;
    rt.services.textures = &textures;
    const std::string rec = TestFontRecord();
    font = fonts.AddFromRecord(reinterpret_cast<const uint8_t*>(rec.data()), rec.size());
    ASSERT_NE(font, nullptr);
    font->Name = "Test";
    screen = static_cast<TQelScreen*>(db.CreateChild("TQelScreen"));
  }

  // Draws the screen layer by layer, as the frame loop does.
  void Frame(uint32_t bg = 0xFF000000u) {
    device.OnRender = [&](TGfxDevice&) {
      WalkLayers(db, db.OrderMin(), [&] { return db.OrderMax(); }, [&](int32_t layer) {
        screen->Render(layer, 0xFFFFFFFFu, 0, 0, 0);
        return false;
      });
    };
    ASSERT_TRUE(device.Render(bg, true));
    ASSERT_TRUE(device.ReadBackBuffer(pixels));
  }
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * device.Width() + x]; }
  // The element under (x, y), searched from the highest layer down.
  TQelElement* Hit(int x, int y) {
    TQelElement* hit = nullptr;
    WalkLayers(db, db.OrderMax(), [&] { return db.OrderMin(); },
               [&](int32_t layer) { return (hit = screen->ElementAt(layer, x, y, 0, 0)) != nullptr; });
    return hit;
  }
  template <class T>
  T* Make(TQelElement* parent, const char* cls) {
    return static_cast<T*>(parent->CreateChild(cls));
  }

  TGfxDevice device;
  TGfxCanvas canvas{device};
  TGfxImages textures{device};
  TGfxFonts fonts{device, &canvas};
  TQelDB db;
  TQelScreen* screen = nullptr;
  TGfxFont* font = nullptr;
  std::vector<uint32_t> pixels;
};

}  // namespace qel::test
