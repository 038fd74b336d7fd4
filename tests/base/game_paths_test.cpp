#include "base/game_paths.h"

#include <gtest/gtest.h>

#include "base/encoding.h"
#include "support/temp_dir.h"

namespace qel {
namespace {
namespace fs = std::filesystem;

class GameDirTest : public ::testing::Test {
 protected:
  GameDirTest() : dir(scratch.path() / "Game") {
    scratch.Write("Game/Logos/Logo1.JPG", "jpg");
    scratch.Write("Game/Sounds/Door.WAV", "wav");
    scratch.Write("Game/unicode/Unicode.FNT", "fnt");
    scratch.Write("Game/Game.ini", "ini");
    scratch.Write("secret.txt", "outside the game");
  }
  fs::path In(const std::string& rel) const { return scratch.path() / "Game" / rel; }

  test::TempDir scratch;
  GameDir dir;
};

TEST_F(GameDirTest, FindsWindowsNamesInAnyCase) {
  EXPECT_EQ(dir.Find("logos\\logo1.jpg"), In("Logos/Logo1.JPG"));
  EXPECT_EQ(dir.Find("LOGOS/LOGO1.JPG"), In("Logos/Logo1.JPG"));
  EXPECT_EQ(dir.Find("Sounds\\door.wav"), In("Sounds/Door.WAV"));
  EXPECT_EQ(dir.Find("./unicode//unicode.fnt"), In("unicode/Unicode.FNT"));
  EXPECT_EQ(dir.Find("SOUNDS"), In("Sounds"));
  EXPECT_EQ(dir.Find("sounds\\missing.wav"), std::nullopt);
  EXPECT_EQ(dir.Find("nofolder\\door.wav"), std::nullopt);
  EXPECT_EQ(dir.Find("game.ini\\x"), std::nullopt);  // a file is no folder
  EXPECT_EQ(dir.Find(""), std::nullopt);
}

TEST_F(GameDirTest, NamesThatLeaveTheDirectoryAreRefused) {
  for (const char* name : {"..\\secret.txt", "../secret.txt", "logos\\..\\..\\secret.txt",
                           "logos/../Game.ini", "/etc/passwd", "\\secret.txt",
                           "C:\\secret.txt", "c:secret.txt", "Game.ini:stream"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(dir.Find(name), std::nullopt);
    EXPECT_EQ(dir.ForWrite(name), std::nullopt);
  }
}

TEST_F(GameDirTest, ListingsFollowTheDisk) {
  ASSERT_EQ(dir.Find("sounds\\bell.wav"), std::nullopt);
  scratch.Write("Game/Sounds/BELL.wav", "new");  // appears after a miss was listed
  EXPECT_EQ(dir.Find("sounds\\bell.wav"), In("Sounds/BELL.wav"));

  fs::remove(In("Sounds/BELL.wav"));
  EXPECT_EQ(dir.Find("sounds\\bell.wav"), std::nullopt);

  fs::rename(In("Logos"), In("LOGOS2"));
  EXPECT_EQ(dir.Find("logos\\logo1.jpg"), std::nullopt);
  EXPECT_EQ(dir.Find("logos2\\logo1.jpg"), In("LOGOS2/Logo1.JPG"));
}

TEST_F(GameDirTest, ExactSpellingWinsAmongCaseTwins) {
  scratch.Write("Game/Twin.txt", "a");
  scratch.Write("Game/twin.txt", "b");
  EXPECT_EQ(dir.Find("twin.txt"), In("twin.txt"));
  EXPECT_EQ(dir.Find("Twin.txt"), In("Twin.txt"));
  EXPECT_EQ(dir.Find("TWIN.TXT"), In("Twin.txt"));  // else the smallest in byte order
}

TEST_F(GameDirTest, CyrillicNamesMatchInEitherEncoding) {
  scratch.Write("Game/Звуки/Дверь.wav", "wav");
  EXPECT_EQ(dir.Find("звуки\\ДВЕРЬ.WAV"), In("Звуки/Дверь.wav"));  // UTF-8
  EXPECT_EQ(dir.Find(Utf8ToCp1251("ЗВУКИ\\дверь.wav")), In("Звуки/Дверь.wav"));
  // Files unpacked without converting their names keep Windows-1251 bytes.
  scratch.Write(Utf8ToCp1251("Game/Стук.wav"), "wav");
  EXPECT_EQ(dir.Find(Utf8ToCp1251("СТУК.WAV")), In(Utf8ToCp1251("Стук.wav")));
  EXPECT_EQ(dir.Find("стук.wav"), In(Utf8ToCp1251("Стук.wav")));
  // A name created from Windows-1251 text lands on disk in UTF-8.
  EXPECT_EQ(dir.ForWrite(Utf8ToCp1251("звуки\\Новый.wav")), In("Звуки/Новый.wav"));
}

TEST_F(GameDirTest, ForWriteMatchesWhatExistsAndKeepsTheRest) {
  EXPECT_EQ(dir.ForWrite("game.INI"), In("Game.ini"));
  EXPECT_EQ(dir.ForWrite("SOUNDS\\New.wav"), In("Sounds/New.wav"));
  EXPECT_EQ(dir.ForWrite("Saves\\Slot1\\state.sav"), In("Saves/Slot1/state.sav"));
  EXPECT_EQ(dir.ForWrite("brannoc.err"), In("brannoc.err"));
  EXPECT_EQ(dir.ForWrite(""), std::nullopt);
}

}  // namespace
}  // namespace qel
