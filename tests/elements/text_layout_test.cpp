// Layout of texts with escape groups, escaped-text decoding and the
// TrueType rasteriser of unicode texts.
#include <gtest/gtest.h>

#include <filesystem>

#include "elements/system_text.h"
#include "elements/text_layout.h"

namespace qel {
namespace {

using namespace std::string_literals;

TEST(TextLayout, EscapeGroupsAreNeverSplit) {
  // U+0A0D is the group 1, 13, 10 and U+6E5C the group 1, '\', 'n': neither is a line break.
  const std::string cjk = "\x01\x5C\x6E"s, gurmukhi = "\x01\x0D\x0A"s;
  EXPECT_EQ(BreakAtMarkers("a" + cjk + "b" + gurmukhi + "c"), "a" + cjk + "b" + gurmukhi + "c\0"s);
  EXPECT_EQ(BreakAtMarkers(cjk + "\\n" + gurmukhi), cjk + "\0"s + gurmukhi + "\0"s);
  // A group whose low byte is 0 or 32 is no line end and no word gap.
  const std::string zero = "\x01\x00\x01"s, space = "\x01\x20\x04"s;
  EXPECT_EQ(FindSkip(zero + "x\0"s, '\0'), 4u);
  EXPECT_EQ(FindSkip(space + " ", ' '), 3u);
  EXPECT_EQ(CountLines(zero + "\0"s + space), 2u);
  auto width = [](std::string_view w) { return 10.0 * static_cast<double>(w.size()); };
  EXPECT_EQ(WrapWords(space + space + " ab", 90, width), space + space + " ab");
  EXPECT_EQ(WrapWords(space + space + " ab", 89, width), space + space + "\0ab"s);
}

TEST(TextLayout, WrapTreatsLineEndsAsGapsAndKeepsLongWords) {
  auto width = [](std::string_view w) { return 10.0 * static_cast<double>(w.size()); };
  EXPECT_EQ(WrapWords("aa bb\0cc"s, 55, width), "aa bb cc"s.replace(5, 1, "\0"s));
  EXPECT_EQ(WrapWords("aaaaaaaaaa b", 50, width), "aaaaaaaaaa\0b"s);
  EXPECT_EQ(WrapWords("", 50, width), "");
  EXPECT_EQ(BreakAtMarkers(""), "");
  EXPECT_EQ(LayoutLines("").size(), 1u);
  EXPECT_EQ(LayoutLines("a\0\0"s).size(), 2u);
}

TEST(EscapedText, DecodesGroupsAndSingleBytes) {
  EXPECT_EQ(DecodeEscaped("A\x01\x10\x04\xC0"s), u"A\u0410\u00C0");
  EXPECT_EQ(DecodeEscaped("B\x01\x10"s), u"B");  // a group cut off at the end
}

TEST(SystemText, RendersWhiteOnBlackAsWideAsItsAdvances) {
  const std::string font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(font)) GTEST_SKIP() << "no test font";
  TBitmap32 one, two;
  ASSERT_TRUE(RenderSystemText(font, u"H", 30, one));
  ASSERT_TRUE(RenderSystemText(font, u"HH", 30, two));
  EXPECT_EQ(two.width, 2 * one.width);
  EXPECT_EQ(two.height, one.height);
  EXPECT_GE(one.height, 30);
  int white = 0, other = 0;
  for (uint32_t p : one.pixels) {
    if (p == 0xFFFFFFFFu) ++white;
    EXPECT_EQ(p >> 24, 0xFFu);
    if ((p & 0xFF) != ((p >> 8) & 0xFF)) ++other;  // grey levels only
  }
  EXPECT_GT(white, 50);
  EXPECT_EQ(other, 0);
  EXPECT_FALSE(RenderSystemText(font, u"", 30, one));
  EXPECT_FALSE(RenderSystemText("/nonexistent.ttf", u"H", 30, one));
  // Cyrillic from a unicode game's escaped text.
  ASSERT_TRUE(RenderSystemText(font, DecodeEscaped("\x01\x10\x04"s), 30, one));
  EXPECT_GT(one.width, 10);
}

}  // namespace
}  // namespace qel
