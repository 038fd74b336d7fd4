#include "gamedb/lang_tables.h"

#include <gtest/gtest.h>

#include "gamedb/escaped_text.h"
#include "support/temp_dir.h"
#include "support/utf16_text.h"

namespace qel {
namespace {

TEST(TextNames, SplitAtTheFirstDotWithDefaultSection) {
  EXPECT_EQ(SplitTextName("Title").section, "Default");
  EXPECT_EQ(SplitTextName("Title").key, "Title");
  TextName n = SplitTextName(" Menu . Start.x ");
  EXPECT_EQ(n.section, "Menu");
  EXPECT_EQ(n.key, "Start.x");
  EXPECT_FALSE(SplitTextName(".Start").Valid());
  EXPECT_FALSE(SplitTextName("Menu.").Valid());
}

TEST(LangTables, MissingLanguageFallsBackInListOrder) {
  test::TempDir dir;
  GameDir game(dir.path());
  dir.Write("RUS.LNG", "[Default]\r\nTitle=\xd0\xf3\xf1\r\n");
  dir.Write("deu.lng", "[Default]\r\nTitle=Deu\r\n");
  LangTables t;
  EXPECT_EQ(t.GetText("Title"), "");  // no table yet
  EXPECT_EQ(t.OpenLang(&game, "fr.lng"), "rus.lng");
  EXPECT_EQ(t.GetText("Default.Title"), "\xd0\xf3\xf1");
  EXPECT_EQ(t.OpenLang(&game, "Deu.LNG"), "Deu.LNG");
  EXPECT_EQ(t.GetText("Title"), "Deu");
  // Names leaving the game directory are never opened.
  dir.Write("sub/eng.lng", "[Default]\r\nTitle=Eng\r\n");
  EXPECT_EQ(t.OpenLang(&game, "../x/deu.lng"), "rus.lng");
  test::TempDir empty;
  GameDir none(empty.path());
  EXPECT_EQ(t.OpenLang(&none, "fr.lng"), "fr.lng");
  EXPECT_TRUE(t.HasLang());
  EXPECT_EQ(t.GetText("Title"), "");
}

TEST(EscapedText, GroupsForUnitsFrom128) {
  std::u16string text = u"A\u0416\u00ff\x7f\u4e16";
  ByteString e = Utf16ToEscaped(text);
  EXPECT_EQ(e, ByteString("A\x01\x16\x04\x01\xff\x00\x7f\x01\x16\x4e", 11));
  EXPECT_EQ(EscapedToUtf16(e), text);
  EXPECT_EQ(EscapedToUtf16(ByteString("ab\x01\x16", 4)), u"ab");  // a group cut short ends the text
  // Unit 1 would open a group as a lone byte, so it travels in one.
  EXPECT_EQ(Utf16ToEscaped(u"\x01z"), ByteString("\x01\x01\x00z", 4));
  EXPECT_EQ(EscapedToUtf16(Utf16ToEscaped(u"\x01z")), u"\x01z");
  EXPECT_EQ(LastEscapedCharSize(e), 3u);
  EXPECT_EQ(LastEscapedCharSize("ab"), 1u);
  EXPECT_EQ(LastEscapedCharSize(""), 0u);
}

TEST(EscapedText, EveryUnitRoundTripsIncludingTheEscapeByte) {
  std::u16string all;
  for (char32_t u = 0; u <= 0xFFFF; ++u) all += static_cast<char16_t>(u);
  EXPECT_EQ(EscapedToUtf16(Utf16ToEscaped(all)), all);
  EXPECT_EQ(Utf16ToEscaped(u"a\u0001b"), ByteString("a\x01\x01\x00" "b", 5));
}

TEST(GlyphList, IndicesWidthsFaceAndSkippedLines) {
  std::vector<std::string> problems;
  GlyphTable g = ParseGlyphList("4\r\n410 17\r\n41 16\r\nzz 3\r\n42 wide\r\nMy Face\r\n", &problems);
  EXPECT_EQ(g.At(0x410).index, 0);
  EXPECT_EQ(g.At(0x410).advance, 10);
  EXPECT_EQ(g.At(0x41).index, 1);
  EXPECT_EQ(g.At(0x41).advance, 9);  // 9.41
  EXPECT_EQ(g.At(0x42).advance, 0);
  EXPECT_EQ(g.At(0xFFFF).advance, 0);
  EXPECT_EQ(g.faceName, "My Face");
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("line 4"), std::string::npos);
  // Widths whose quotient ends in one half round to even.
  EXPECT_EQ(ParseGlyphList("1\n20 85\nF\n").At(0x20).advance, 50);
  EXPECT_EQ(ParseGlyphList("2\n20 17\n").faceName, "");
}

class UnicodeGame : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("unicode/unicode.fnt", "1\r\n410 17\r\nFace\r\n");
    dir.Write("unicode/Unicode.lng", "[Default]\r\nOwn=\x01\x10\x04!\r\n");
    dir.Write("lang/rus.lng", test::Utf16LeBytes(u"[Default]\r\nTitle=\u041f\u0440\u0438\u0432\u0435\u0442\r\n"
                                                 u"Own=wrong\r\n[Menu]\r\nStart=Go\r\n", true));
  }
  test::TempDir dir;
  GameDir game{dir.path()};
  LangTables t;
};

TEST_F(UnicodeGame, TextsComeEscapedFromTheUnicodeTableOrTheWideFile) {
  t.OpenLang(&game, "lang\\rus.lng");
  EXPECT_FALSE(t.UnicodeMode());
  ASSERT_TRUE(t.SetUpUnicode(game));
  EXPECT_TRUE(t.UnicodeMode());
  EXPECT_FALSE(t.FontFile());
  EXPECT_EQ(t.Glyphs().faceName, "Face");
  ByteString title = t.GetText("Title");
  ASSERT_EQ(title.size(), 18u);  // six letters, three bytes each
  EXPECT_EQ(EscapedToUtf16(title), u"\u041f\u0440\u0438\u0432\u0435\u0442");
  EXPECT_EQ(t.GetText("Own"), "\x01\x10\x04!");
  EXPECT_EQ(t.GetText("Menu.Start"), "Go");
  EXPECT_EQ(t.GetText("Menu.None"), "");
}

TEST_F(UnicodeGame, NoGlyphListMeansNoUnicodeMode) {
  test::TempDir plain;
  GameDir other(plain.path());
  EXPECT_FALSE(t.SetUpUnicode(other));
  EXPECT_FALSE(t.UnicodeMode());
  dir.Write("unicode/unicode.ttf", "not really a font");
  ASSERT_TRUE(t.SetUpUnicode(game));
  EXPECT_TRUE(t.FontFile());
}

}  // namespace
}  // namespace qel
