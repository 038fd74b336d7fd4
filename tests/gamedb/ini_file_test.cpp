#include "gamedb/ini_file.h"

#include <gtest/gtest.h>

#include "gamedb/atomic_file.h"
#include "support/temp_dir.h"
#include "support/utf16_text.h"

namespace qel {

namespace {

TEST(IniTable, FirstMatchCaseInsensitiveTrimmedAndQuoted) {
  IniTable t(
      "; comment\r\nstray=before any section\r\n[Menu]\r\n Start = Go \r\nstart=second\r\nQuoted=\"  x \"\r\n"
      "[menu]\r\nEnd=late\r\n[\xcc\xe5\xed\xfe]\r\n\xca\xeb\xfe\xf7=\xe4\xe0\r\n");
  EXPECT_EQ(t.Find("MENU", "START"), "Go");
  EXPECT_EQ(t.Find("menu", "quoted"), "  x ");
  EXPECT_EQ(t.Find("Menu", "End"), "late");  // a repeated section still counts
  EXPECT_EQ(t.Find("", "stray"), std::nullopt);
  // Cyrillic names fold as Windows-1251 letters.
  EXPECT_EQ(t.Find("\xec\xe5\xed\xfe", "\xea\xeb\xfe\xf7"), "\xe4\xe0");
  EXPECT_EQ(t.Read("Menu", "Missing", "dflt"), "dflt");
}

TEST(IniTable, WritesReplaceAddAndKeepTheRest) {
  IniTable t("; keep me\r\n[Def]\r\nSnd=100\r\n\r\n[Other]\r\nA=1\r\n");
  t.Write("def", "snd", "40");
  t.Write("Def", "Muz", "7");
  t.Write("New", "K", "v");
  EXPECT_EQ(t.Text(), "; keep me\r\n[Def]\r\nSnd=40\r\nMuz=7\r\n\r\n[Other]\r\nA=1\r\n\r\n[New]\r\nK=v\r\n");
  IniTable empty;
  empty.Write("Def", "FS", "0");
  EXPECT_EQ(empty.Text(), "[Def]\r\nFS=0\r\n");
}

TEST(SettingsFile, MissingPiecesGiveDefaultsAndWritesCreateThem) {
  test::TempDir dir;
  SettingsFile s(dir / "player.ini");
  EXPECT_EQ(s.ReadInteger("Def", "Snd", 100), 100);
  EXPECT_TRUE(s.ReadBool("Def", "FS", true));
  ASSERT_TRUE(s.WriteInteger("Def", "Muz", 35));
  ASSERT_TRUE(s.WriteBool("Def", "FS", false));
  EXPECT_EQ(dir.Read("player.ini"), "[Def]\r\nMuz=35\r\nFS=0\r\n");
  EXPECT_EQ(s.ReadInteger("Def", "Muz", 50), 35);
  EXPECT_FALSE(s.ReadBool("Def", "FS", true));
  // Another writer's change is seen at once: nothing is cached.
  dir.Write("player.ini", "[Def]\nMuz=$10\nSnd=loud\nLong=" + std::string(1500, 'a') + "\n");
  EXPECT_EQ(s.ReadInteger("Def", "Muz", 50), 16);
  EXPECT_EQ(s.ReadInteger("Def", "Snd", 100), 100);
  EXPECT_EQ(s.ReadString("Def", "Long", "").size(), SettingsFile::kMaxRead);
}

TEST(SettingsFile, UnwritablePlaceReportsFailure) {
  SettingsFile s("/nonexistent-dir/x/player.ini");
  EXPECT_FALSE(s.WriteInteger("Def", "Snd", 1));
  EXPECT_EQ(s.ReadInteger("Def", "Snd", 7), 7);
}

TEST(WideIni, ReadsEveryEncoding) {
  test::TempDir dir;
  const std::u16string value = u"\u041f\u0440\u0438\u0432\u0435\u0442 \u00e9\u4e16";
  const std::u16string text = u"[Default]\r\nTitle=" + value + u"\r\n";
  dir.Write("bom.lng", test::Utf16LeBytes(text, true));
  dir.Write("nobom.lng", test::Utf16LeBytes(text, false));
  dir.Write("utf8.lng", Utf16ToUtf8(text));
  dir.Write("utf8bom.lng", "\xEF\xBB\xBF" + Utf16ToUtf8(text));
  std::string be = "\xFE\xFF";
  for (char16_t u : text) be += std::string{static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)};
  dir.Write("be.lng", be);
  for (const char* name : {"bom.lng", "nobom.lng", "utf8.lng", "utf8bom.lng", "be.lng"})
    EXPECT_EQ(IniReadWide(dir / name, "default", "TITLE", u"-"), value) << name;
  dir.Write("ansi.lng", "[Default]\r\nTitle=\xcf\xf0\xe8\r\n");
  EXPECT_EQ(IniReadWide(dir / "ansi.lng", "Default", "Title", u""), u"\u041f\u0440\u0438");
  EXPECT_EQ(IniReadWide(dir / "missing.lng", "Default", "Title", u"dflt"), u"dflt");
  dir.Write("long.lng", "[S]\nK=" + std::string(2000, 'z') + "\n");
  EXPECT_EQ(IniReadWide(dir / "long.lng", "S", "K", u"").size(), kMaxWideRead);
}

TEST(WideIni, WritesKeepTheFilesEncoding) {
  test::TempDir dir;
  dir.Write("u16.ini", test::Utf16LeBytes(u"[Def]\r\nA=\u0416\r\n", true));
  ASSERT_TRUE(IniWriteWide(dir / "u16.ini", "Def", "B", u"\u4e16"));
  EXPECT_EQ(dir.Read("u16.ini"), test::Utf16LeBytes(u"[Def]\r\nA=\u0416\r\nB=\u4e16\r\n", true));
  ASSERT_TRUE(IniWriteWide(dir / "new.ini", "S", "K", u"#$#$41"));
  EXPECT_EQ(dir.Read("new.ini"), "[S]\r\nK=#$#$41\r\n");
  ASSERT_TRUE(IniWriteWide(dir / "wide.ini", "S", "K", u"\u4e16"));
  EXPECT_EQ(IniReadWide(dir / "wide.ini", "S", "K", u""), u"\u4e16");
}

TEST(ReplaceFile, KeepsTheOldContentsAsBackup) {
  test::TempDir dir;
  ASSERT_TRUE(ReplaceFile(dir / "save", "one", true));
  EXPECT_FALSE(dir.Exists("save.bak"));
  ASSERT_TRUE(ReplaceFile(dir / "save", "two", true));
  EXPECT_EQ(dir.Read("save"), "two");
  EXPECT_EQ(dir.Read("save.bak"), "one");
  EXPECT_FALSE(dir.Exists("save.tmp"));
  std::string error;
  EXPECT_FALSE(ReplaceFile(dir / "no" / "save", "x", true, &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos);
}

}  // namespace
}  // namespace qel

namespace qel {
namespace {

TEST(SettingsFile, WritesElsewhereCarryTheShippedKeys) {
  test::TempDir game, data;
  game.Write("player.ini", "[Def]\r\nSnd=80\r\n[Game]\r\nHint=on\r\n");
  SettingsFile s(game / "player.ini", data / "player.ini");
  EXPECT_EQ(s.ReadInteger("Def", "Snd", 100), 80);
  ASSERT_TRUE(s.WriteInteger("Def", "Muz", 10));
  EXPECT_EQ(game.Read("player.ini"), "[Def]\r\nSnd=80\r\n[Game]\r\nHint=on\r\n");
  EXPECT_EQ(s.Path(), data / "player.ini");
  EXPECT_EQ(s.ReadString("Game", "Hint", ""), "on");
  EXPECT_EQ(s.ReadInteger("Def", "Muz", 50), 10);
}

}  // namespace
}  // namespace qel
