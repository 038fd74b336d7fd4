#include "gamedb/player_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace qel {
namespace {

TEST(PlayerFiles, GameDirectoryWhenWritable) {
  test::TempDir game, data;
  GameDir dir(game.path());
  PlayerFiles files(dir, data / "qelplayer" / "demo");
  game.Write("Player.INI", "x");
  EXPECT_EQ(files.ForWrite("player.ini"), game / "Player.INI");
  EXPECT_EQ(files.ForWrite("saves\\slot1.sav"), game / "saves" / "slot1.sav");
  EXPECT_EQ(files.ForRead("player.ini"), game / "Player.INI");
  EXPECT_EQ(files.ForWrite("../escape.ini"), std::nullopt);
  EXPECT_EQ(files.ForWrite("/etc/passwd"), std::nullopt);
  EXPECT_EQ(files.ForRead("C:\\game.ini"), std::nullopt);
}

TEST(PlayerFiles, DataFolderWhenTheGameIsReadOnly) {
  test::TempDir game, data;
  game.Write("player.ini", "[Def]\r\nSnd=1\r\n");
  GameDir dir(game.path());
  const std::filesystem::path gameRoot = game.path();
  PlayerFiles files(dir, data / "qelplayer" / "demo", [&](const std::filesystem::path& p) {
    return p.string().rfind(gameRoot.string(), 0) != 0;
  });
  // Before the first write the game's own copy is read.
  EXPECT_EQ(files.ForRead("player.ini"), game / "player.ini");
  auto target = files.ForWrite("player.ini");
  ASSERT_TRUE(target);
  EXPECT_EQ(*target, data / "qelplayer" / "demo" / "player.ini");
  EXPECT_TRUE(std::filesystem::is_directory(target->parent_path()));
  std::ofstream(*target) << "copy";
  EXPECT_EQ(files.ForRead("PLAYER.ini"), *target);
  EXPECT_EQ(files.ForWrite("save.sav"), data / "qelplayer" / "demo" / "save.sav");
}

TEST(PlayerFiles, DataFolderFollowsXdgDataHome) {
  const char* old = std::getenv("XDG_DATA_HOME");
  std::string keep = old ? old : "";
  ::setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(PlayerFiles::DataDirFor("mygame"), std::filesystem::path("/srv/data/qelplayer/mygame"));
  ::setenv("XDG_DATA_HOME", "relative", 1);
  ::setenv("HOME", "/home/p", 1);
  EXPECT_EQ(PlayerFiles::DataDirFor("g"), std::filesystem::path("/home/p/.local/share/qelplayer/g"));
  if (old) ::setenv("XDG_DATA_HOME", keep.c_str(), 1); else ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace qel

namespace qel {
namespace {

TEST(PlayerFiles, PermissionsDecideWritability) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  test::TempDir game;
  game.Write("player.ini", "x");
  std::filesystem::permissions(game / "player.ini", std::filesystem::perms::owner_read);
  EXPECT_FALSE(CanWrite(game / "player.ini"));
  EXPECT_TRUE(CanWrite(game / "sub" / "new.ini"));
  std::filesystem::permissions(game.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(CanWrite(game / "sub" / "new.ini"));
}

}  // namespace
}  // namespace qel
