// The overlay buffer of the device and the overlay text drawn into it, on a headless device.
#include <gtest/gtest.h>

#include <functional>

#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/gfx_images.h"
#include "render/overlay_text.h"

using namespace qel;

namespace {

constexpr uint32_t kGame = 0xFFC02010u;

class Overlay : public ::testing::Test {
 protected:
  void SetUp() override {
    device.Headless = true;
    if (!device.Initialize()) GTEST_SKIP() << "no OpenGL 3.3 core context: " << device.LastError();
  }

  // A frame: the game fills the picture, then `overlay` runs after BeginOverlay (when given).
  void Frame(const std::function<void()>& overlay, bool clear = true) {
    device.OnRender = [&](TGfxDevice&) {
      if (clear) canvas.FillRect(0, 0, 1024, 768, TColor4(kGame), fxOpaque);
      if (overlay && device.BeginOverlay()) overlay();
    };
    ASSERT_TRUE(device.Render(0, clear));
    ASSERT_TRUE(device.ReadBackBuffer(game));
    ASSERT_TRUE(device.ReadPresentedBuffer(shown));
  }
  static uint32_t At(const std::vector<uint32_t>& px, int x, int y) { return px[static_cast<size_t>(y) * 1024 + x]; }
  // Pixels of the rectangle that differ from the game's colour.
  int Changed(const std::vector<uint32_t>& px, const TGfxRect& r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(px, x, y) != kGame;
    return n;
  }
  // The pixels of one text line drawn alone in a black frame.
  std::vector<uint32_t> TextPixels(OverlayText& text, const char* utf8) {
    device.OnRender = [&](TGfxDevice&) { text.DrawText(canvas, 10, 10, utf8, 0xFFFFFFFFu); };
    EXPECT_TRUE(device.Render(0, true));
    std::vector<uint32_t> px;
    EXPECT_TRUE(device.ReadBackBuffer(px));
    return px;
  }

  TGfxDevice device;
  TGfxCanvas canvas{device};
  TGfxImages images{device};
  std::vector<uint32_t> game, shown;
};

const std::vector<OverlayLine> kLines = {{"Step 1234"}, {"Room.Door.Knob", 0xFFFFFF00u}};

TEST_F(Overlay, TheOverlayIsPresentedButTheBackBufferKeepsTheGamesPicture) {
  OverlayText text(images);
  ASSERT_TRUE(text.Ready()) << text.Problem();
  TGfxRect box;
  Frame([&] { box = text.DrawBox(canvas, 100, 50, kLines); });
  EXPECT_TRUE(device.OverlayShown());
  EXPECT_EQ(Changed(game, {0, 0, 1024, 768}), 0);
  EXPECT_EQ(Changed(shown, box), box.Width() * box.Height());  // the box is drawn over all of its area
  EXPECT_EQ(Changed(shown, {0, 0, 1024, box.top}), 0);
  EXPECT_EQ(box.Width(), 14 * text.CharWidth() + 8);  // the widest line, padded
  EXPECT_EQ(box.Height(), 2 * text.LineHeight() + 8);
  // The text itself: the yellow line has yellow pixels, the first line none.
  auto yellowIn = [&](int line) {
    int n = 0;
    const int top = box.top + 4 + line * text.LineHeight();
    for (int y = top; y < top + text.LineHeight(); ++y)
      for (int x = box.left; x < box.right; ++x) n += (At(shown, x, y) & 0xFFFF00u) == 0xFFFF00u && (At(shown, x, y) & 0xFF) < 0x80;
    return n;
  };
  EXPECT_EQ(yellowIn(0), 0);
  EXPECT_GT(yellowIn(1), 20);

  // The next frame without an overlay presents the back buffer again; a repaint without
  // clearing starts from the game's picture, not from the last overlay.
  Frame(nullptr, false);
  EXPECT_FALSE(device.OverlayShown());
  EXPECT_EQ(Changed(shown, {0, 0, 1024, 768}), 0);
}

TEST_F(Overlay, TheCopyIgnoresTheGamesClipRectangle) {
  OverlayText text(images);
  device.OnRender = [&](TGfxDevice&) {
    canvas.FillRect(0, 0, 1024, 768, TColor4(kGame), fxOpaque);
    canvas.SetClipRect({10, 10, 20, 20});
    canvas.FillRect(0, 0, 1024, 768, TColor4(0xFF00FF00u), fxOpaque);
    ASSERT_TRUE(device.BeginOverlay());
    canvas.SetClipRect({0, 0, 1024, 768});
    text.DrawBox(canvas, 500, 500, kLines);
  };
  ASSERT_TRUE(device.Render(0, true));
  ASSERT_TRUE(device.ReadPresentedBuffer(shown));
  EXPECT_EQ(At(shown, 15, 15), 0xFF00FF00u);
  EXPECT_EQ(At(shown, 300, 300), kGame);
  EXPECT_EQ(At(shown, 5, 5), kGame);
}

TEST_F(Overlay, GlyphsAndTheirStandIn) {
  OverlayText text(images);
  ASSERT_TRUE(text.Ready()) << text.Problem();
  const auto question = TextPixels(text, "?");
  EXPECT_NE(TextPixels(text, "I"), TextPixels(text, "l"));
  EXPECT_NE(TextPixels(text, "Ж"), question);          // Cyrillic from the game's code page
  EXPECT_EQ(TextPixels(text, "\xE4\xB8\x80"), question);  // a character the font lacks
  // A space takes one cell: " ?" is "?" moved right by the cell width.
  std::vector<uint32_t> moved(question.size(), 0xFF000000u);
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x + text.CharWidth() < 1024; ++x)
      moved[static_cast<size_t>(y) * 1024 + x + text.CharWidth()] = question[static_cast<size_t>(y) * 1024 + x];
  EXPECT_EQ(TextPixels(text, " ?"), moved);
}

TEST_F(Overlay, WithoutTheFontBoxesAreDrawnEmptyAndTheProblemNamesTheFiles) {
  OverlayText text(images, {"/nonexistent/overlay/Mono.ttf"});
  EXPECT_FALSE(text.Ready());
  EXPECT_NE(text.Problem().find("/nonexistent/overlay/Mono.ttf"), std::string::npos);
  EXPECT_NE(text.Problem().find("fonts-dejavu-core"), std::string::npos);
  TGfxRect box;
  Frame([&] { box = text.DrawBox(canvas, 10, 10, kLines); });
  EXPECT_GT(box.Width(), 8);
  EXPECT_EQ(Changed(shown, box), box.Width() * box.Height());
  EXPECT_EQ(images.Count(), 0);
}

TEST(OverlayTextFit, CutsByCharactersNotBytes) {
  struct Case {
    const char* text;
    size_t cells;
    const char* fitted;
  };
  for (const Case& c : {Case{"abcdef", 6, "abcdef"}, Case{"abcdef", 4, "abc…"}, Case{"Жук жук", 3, "Жу…"},
                        Case{"ab", 0, ""}, Case{"", 2, ""}}) {
    EXPECT_EQ(OverlayText::Fit(c.text, c.cells), c.fitted) << c.text << " " << c.cells;
    EXPECT_LE(OverlayText::Length(OverlayText::Fit(c.text, c.cells)), c.cells);
  }
}

}  // namespace
