// Text layout and drawing with a bitmap font whose advances the tests know.
#include "draw_fixture.h"

namespace qel::test {
namespace {

using namespace std::string_literals;

constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;

class TextTest : public DrawTest {
 protected:
  TQelText* MakeText(const char* text, int32_t sizeX = 100, int32_t sizeY = 100) {
    auto* t = Make<TQelText>(screen, "TQelText");
    t->SetSizeX(sizeX);
    t->SizeY = sizeY;
    t->SetFont("test");  // found case-insensitively
    t->SetText(text);
    return t;
  }
  // Whether the 4-pixel glyph column at x is drawn on row y.
  bool Ink(int x, int y) { return (At(x, y) & 0xFFFFFF) != 0; }
  // Left edges of the glyphs of a line starting at x (spaces draw nothing).
  std::vector<int> GlyphEdges(std::string_view line, double x) {
    std::vector<int> edges;
    for (unsigned char c : line) {
      if (c != ' ') edges.push_back(static_cast<int>(x));
      x += TestAdvance(c);
    }
    return edges;
  }
};

TEST_F(TextTest, LineBreakMarkersNeedEnEnter) {
  auto* t = MakeText("A\r\nB");
  EXPECT_EQ(t->Layout, "A\r\nB");  // one line; CR and LF go to the font as characters
  t->EnEnter = true;
  t->Relayout();
  EXPECT_EQ(t->Layout, "A\0B\0"s);
  t->SetText("A\\nBC\r\n\\nD");
  EXPECT_EQ(t->Layout, "A\0BC\0\0D\0"s);
}

TEST_F(TextTest, WordWrapKeepsWordsWithinTheBoxWidth) {
  // Widths: "AB" 11+... computed from the advances; the box takes two such words with the space.
  const double ab = TestWidth("AB"), space = TestWidth(" ");
  auto* t = Make<TQelText>(screen, "TQelText");
  t->SetFont("Test");
  t->EnEnter = true;
  t->AutoEnter = true;
  t->SetSizeX(static_cast<int32_t>(2 * ab + space));
  t->SetText("AB AB AB\r\nAB ABABABABAB AB");
  EXPECT_EQ(t->Layout, "AB AB\0AB AB\0ABABABABAB\0AB"s);
  t->SetSizeX(static_cast<int32_t>(2 * ab + space) - 1);
  EXPECT_EQ(t->Layout, "AB\0AB\0AB\0AB\0ABABABABAB\0AB"s);
  EXPECT_EQ(t->GetSizeX(), static_cast<int32_t>(2 * ab + space) - 1);
}

TEST_F(TextTest, LinesAlignInTheBox) {
  auto* t = MakeText("AB\\nABC", 60, 40);
  t->rX = 100;
  t->rY = 200;
  t->EnEnter = true;
  t->PosHor = phRight;
  t->PosVert = pvBottom;
  t->Interval = 3;
  t->Relayout();
  Frame();
  // Two lines of height 4 with 3 between: 11 high, ending at the box bottom.
  const int top = 200 + 40 - 11;
  for (auto [line, y] : {std::pair<std::string, int>{"AB", top}, {"ABC", top + 7}}) {
    const double x = 100 + 60 - TestWidth(line);
    for (int edge : GlyphEdges(line, x)) {
      EXPECT_TRUE(Ink(edge, y)) << line << " at " << edge;
      EXPECT_TRUE(Ink(edge + 3, y + 3)) << line;
    }
    EXPECT_FALSE(Ink(static_cast<int>(x) - 1, y)) << line;
  }
  EXPECT_FALSE(Ink(160, top - 1));
  EXPECT_FALSE(Ink(159, top + 4));  // the gap between the lines
}

TEST_F(TextTest, CentredLinesAndNegativeInterval) {
  auto* t = MakeText("AA\\nB\\nAA", 101, 60);
  t->EnEnter = true;
  t->PosHor = phCenter;
  t->PosVert = pvCenter;
  t->Interval = -1;
  t->Relayout();
  Frame();
  const double height = 3 * 4 - 2;  // three lines of 4, two intervals of -1
  const int top = static_cast<int>((60 - height) / 2);
  const double xB = (101 - TestWidth("B")) / 2;  // 48: whole, so drawn without smoothing
  EXPECT_TRUE(Ink(static_cast<int>(xB), top + 3));
  EXPECT_TRUE(Ink(static_cast<int>(xB), top + 3 + 2));
  EXPECT_FALSE(Ink(static_cast<int>(xB) - 1, top + 4));
  EXPECT_FALSE(Ink(static_cast<int>(xB), top - 1));
  EXPECT_TRUE(Ink(static_cast<int>((101 - TestWidth("AA")) / 2) + 1, top + 9));
  EXPECT_FALSE(Ink(50, top + 10));
}

TEST_F(TextTest, TwoColoursShadowAndEffect) {
  auto* t = MakeText("A");
  t->rX = 10;
  t->rY = 10;
  t->Color1 = 0xFFFF0000u;
  t->Color2 = 0xFF0000FFu;
  t->Shadow = true;
  t->hxShadColor = 0x00FF00;
  Frame(kWhite);
  // Top row red-ish, bottom row blue-ish (corner colours interpolate down the glyph).
  EXPECT_GT((At(11, 10) >> 16) & 0xFF, 0xC0u);
  EXPECT_GT(At(11, 13) & 0xFF, 0xC0u);
  // The shadow at (+2, +2), half-opaque green over white.
  EXPECT_TRUE(Near(At(15, 15), 0xFF80FF80u, 2));
}

TEST_F(TextTest, NoFontNoTextAndTextSize) {
  auto* t = MakeText("ABC");
  Variant width;
  ASSERT_TRUE(t->GetValue("TEXTSZ", width));
  EXPECT_DOUBLE_EQ(*width.ToDouble(), TestWidth("ABC"));
  t->Scale = 2;
  ASSERT_TRUE(t->GetValue("TEXTSZ", width));
  EXPECT_DOUBLE_EQ(*width.ToDouble(), 2 * TestWidth("ABC"));
  t->SetFont("missing");
  ASSERT_TRUE(t->GetValue("TEXTSZ", width));
  EXPECT_DOUBLE_EQ(*width.ToDouble(), 0);
  Frame();
  EXPECT_FALSE(Ink(1, 1));
  // A language key that is not found leaves the text empty.
  t->SetTextId("Menu.Start");
  t->SetText("anything");
  EXPECT_EQ(t->Text, "");
}

TEST_F(TextTest, FocusedTextShowsABlinkingCaretAfterItsLastCharacter) {
  constexpr uint32_t kRed = 0xFFFF0000u;
  auto* t = MakeText("AB\\nABC", 60, 40);
  t->rX = 100;
  t->rY = 200;
  t->EnEnter = true;
  t->Scale = 2;
  t->Color1 = kRed;
  t->Relayout();
  Runtime& rt = db.runtime();
  rt.shell.FocusedText = t->Handle();
  // The second line starts 2 * 4 below the first; the caret stands after its
  // last advance, two pixels wide (the scale) and as high as the line.
  const int x = 100 + static_cast<int>(TestWidth("ABC", 2)), top = 208;
  const auto caretAt = [&](int64_t tick) {
    rt.shell.FrameTick = tick;
    Frame();
    return Near(At(x, top), kRed) && Near(At(x + 1, top + 7), kRed);
  };
  EXPECT_TRUE(caretAt(0));
  EXPECT_TRUE(Near(At(x + 2, top + 3), kBlack));
  EXPECT_TRUE(Near(At(x - 1, top + 3), kBlack));  // the gap after the last glyph
  EXPECT_TRUE(Near(At(x, top - 1), kBlack));
  EXPECT_TRUE(Near(At(x, top + 8), kBlack));
  EXPECT_TRUE(caretAt(14));
  EXPECT_FALSE(caretAt(15));
  EXPECT_TRUE(Near(At(x, top + 3), kBlack));
  EXPECT_FALSE(caretAt(29));
  EXPECT_TRUE(caretAt(30));
  // Typing restarts the blink, so the caret shows at once.
  rt.shell.FrameTick = 20;
  t->SetText("AB\\nABCA");
  Frame();
  const int moved = 100 + static_cast<int>(TestWidth("ABCA", 2));
  EXPECT_TRUE(Near(At(moved, top + 4), kRed));
  // A text without the focus draws none; an empty focused text shows it at the line's start.
  rt.shell.FocusedText = 0;
  Frame();
  EXPECT_TRUE(Near(At(moved, top + 4), kBlack));
  t->SetText("");
  rt.shell.FocusedText = t->Handle();
  Frame();
  EXPECT_TRUE(Near(At(100, 200), kRed));
  EXPECT_TRUE(Near(At(101, 207), kRed));
}

TEST_F(TextTest, TextsAreHitInTheirBoxAndTheirChildrenNever) {
  auto* t = MakeText("A", 30, 20);
  t->rX = 50;
  t->rY = 60;
  auto* child = Make<TQelText>(t, "TQelText");
  child->SetSizeX(500);
  child->SizeY = 500;
  EXPECT_EQ(Hit(50, 60), t);
  EXPECT_EQ(Hit(80, 80), t);
  EXPECT_EQ(Hit(81, 80), nullptr);
  EXPECT_EQ(Hit(200, 200), nullptr);
  t->SetOrder(2);
  EXPECT_EQ(screen->ElementAt(0, 55, 65, 0, 0), nullptr);
  EXPECT_EQ(screen->ElementAt(2, 55, 65, 0, 0), t);
}

}  // namespace
}  // namespace qel::test
