#include <gtest/gtest.h>

#include "elements/game_file.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "record_builder.h"
#include "recording_host.h"

namespace qel {
namespace {

using test::Record;

TEST(GameFile, RootWithoutValuesGivesAnEmptyGame) {
  TQelDB db;
  std::string file = Record("TQelDB").Bytes();
  EXPECT_TRUE(LoadGameData(db, file));
  EXPECT_EQ(db.ChildCount(), 0);
  EXPECT_EQ(db.CurKey, 0);
  EXPECT_FALSE(db.SaveErr);
}

TEST(GameFile, ValuesGoThroughSettersInFileOrder) {
  test::RecordingHost host;
  TQelDB db;
  db.runtime().scriptHost = &host;
  Record image("TQelImage");
  image.Common(7, "Door", 3, 4).Str("door.png").Int(260).Int(1).Int(2).Dbl(1.5).Dbl(-30.0004).Int(0xABCDEF).Int(0x40);
  image.Int(1).Str("").Str("X := 1;");
  Record screen("TQelScreen");
  screen.Common(1, "Room").Str("bg.png").Int(800).Int(600).Int(1).Int(0).Int(0).Str("").Str("").Str("").Str("");
  screen.Int(5).Child(image);
  std::string file = Record("TQelDB").Common(0, "Game").Int(9).Int(1).Child(screen).Bytes();
  ASSERT_TRUE(LoadGameData(db, file));
  auto* room = static_cast<TQelScreen*>(db.Child(0));
  auto* door = static_cast<TQelImage*>(room->Child(0));
  EXPECT_EQ(room->Order(), 5);
  EXPECT_EQ(db.OrderMax(), 5);
  EXPECT_EQ(room->SizeX, 800);
  EXPECT_EQ(door->Key, 7);
  EXPECT_EQ(door->PosHor, phCenter);
  EXPECT_EQ(door->ScaleMilli, 1500);
  EXPECT_EQ(door->AngleMilli, -30000);
  EXPECT_EQ(door->Color, 0x40ABCDEFu);
  EXPECT_TRUE(door->MousedNotVis);
  EXPECT_EQ(door->Event(evInit).source, "X := 1;");
  ASSERT_TRUE(door->Event(evInit).prepared);
  EXPECT_TRUE(door->MousedVis);  // beyond the stored count: default
  EXPECT_EQ(door->ScaleX, 1.0);
  EXPECT_EQ(db.CurKey, 9);
}

TEST(GameFile, RecordWithFiveValuesKeepsDefaults) {
  TQelDB db;
  std::string file =
      Record("TQelDB").Child(Record("TQelScreen").Common(1, "S").Child(Record("TQelImage").Common(2, "I", 5, 6, false))).Bytes();
  ASSERT_TRUE(LoadGameData(db, file));
  auto* image = static_cast<TQelImage*>(db.Child(0)->Child(0));
  EXPECT_EQ(image->X(), 5);
  EXPECT_FALSE(image->Vis);
  EXPECT_TRUE(image->MousedVis);
  EXPECT_EQ(image->ScaleMilli, 1000);
  EXPECT_EQ(image->hxDrawFx, 1284u);
}

TEST(GameFile, ChildrenNotAllowedOrUnknownAreSkippedWithTheirSubtrees) {
  TQelDB db;
  Record anim("TQelAnim");
  anim.Common(3, "A").Child(Record("TQelText").Common(4, "T").Child(Record("TQelText").Common(5, "T2")));
  anim.Child(Record("TQelAnKey").Common(6, "K"));
  Record screen("TQelScreen");
  screen.Common(1, "S").Child(anim).Child(Record("TQelimage").Common(7, "lower")).Child(Record("TQelFoo"));
  screen.Child(Record("TQelImage").Common(8, "After"));
  std::string file = Record("TQelDB").Child(screen).Bytes();
  EXPECT_FALSE(LoadGameData(db, file));  // problems are reported
  TQelElement* s = db.Child(0);
  ASSERT_EQ(s->ChildCount(), 2);
  EXPECT_EQ(s->Child(0)->ChildCount(), 1);
  EXPECT_EQ(s->Child(0)->Child(0)->Id(), "K");
  EXPECT_EQ(s->Child(1)->Id(), "After");
  EXPECT_EQ(db.FindByKey(4), nullptr);
  EXPECT_EQ(db.runtime().loadProblems.size(), 3u);
}

TEST(GameFile, FreshKeysAreHandedOutChildrenFirst) {
  TQelDB db;
  db.CurKey = 100;
  std::string screen =
      Record("TQelScreen").Common(1, "S").Child(Record("TQelImage").Common(1, "A")).Child(Record("TQelImage").Common(1, "B")).Bytes();
  TQelElement* s = db.CreateChild("TQelScreen");
  ASSERT_TRUE(s->LoadFromData(screen, false));
  EXPECT_EQ(s->Child(0)->Key, 101);
  EXPECT_EQ(s->Child(1)->Key, 102);
  EXPECT_EQ(s->Key, 103);
  EXPECT_EQ(db.CurKey, 103);
}

TEST(GameFile, MalformedChildRecordsAreDroppedAndTheRestRead) {
  TQelDB db;
  Record tooMany("TQelAnKey");
  tooMany.Common(2, "K").Int(1).Int(0).Int(0).Int(99).Int(99);  // 10 values for 8 properties
  Record anim("TQelAnim");
  anim.Common(1, "A").Child(tooMany).Child(Record("TQelAnKey").Common(3, "Good"));
  Record negative("TQelScreen");
  negative.Common(4, "Neg").Count(-5);
  std::string truncated = Record("TQelScreen").Common(5, "Cut").Bytes();
  truncated.resize(truncated.size() - 2);  // inside the Vis value
  std::string file = Record("TQelDB").Child(anim).Child(negative).RawChild(truncated).Child(Record("TQelScreen").Common(6, "Last")).Bytes();
  EXPECT_FALSE(LoadGameData(db, file));
  ASSERT_EQ(db.ChildCount(), 2);
  EXPECT_EQ(db.Child(0)->Id(), "A");
  ASSERT_EQ(db.Child(0)->ChildCount(), 1);
  EXPECT_EQ(db.Child(0)->Child(0)->Id(), "Good");
  EXPECT_EQ(db.Child(1)->Id(), "Last");
  for (const auto& p : db.runtime().loadProblems) EXPECT_LT(p.offset, file.size());
}

TEST(GameFile, ChildRecordRunningPastItsParentEndsTheParent) {
  TQelDB db;
  std::string file = Record("TQelDB").Child(Record("TQelScreen").Common(1, "S")).Bytes();
  std::string broken = file.substr(0, file.size() - 3);
  EXPECT_FALSE(LoadGameData(db, broken));
  EXPECT_EQ(db.ChildCount(), 0);
  ASSERT_EQ(db.runtime().loadProblems.size(), 1u);
  EXPECT_EQ(db.runtime().loadProblems[0].offset, 14u);  // where the child's length stands
}

TEST(GameFile, TreeWritesBackTheFileItWasReadFrom) {
  Record image("TQelImage");
  image.Common(2, "I", 3, 4).Str("i.png").Int(260).Int(2).Int(1).Dbl(1.25).Dbl(90.5).Int(0x102030).Int(0x40).Int(1);
  for (int i = 0; i < 10; ++i) image.Str(i == 3 ? "ON := 1;" : "");
  image.Int(0).Int(3).Int(1).Int(7).Dbl(3.0).Dbl(4.0).Dbl(2.0).Dbl(0.5).Int(0).Int(1).Int(1).Str("t").Str("Main.Key").Int(1);
  ASSERT_EQ(image.Bytes().size() > 0, true);
  Record screen("TQelScreen");
  screen.Common(1, "S").Str("bg.png").Int(10).Int(20).Int(1).Int(3).Int(1);
  for (int i = 0; i < 4; ++i) screen.Str("");
  screen.Int(7).Str("").Str("SHOWN := 1;").Str("tag").Int(1).Int(0).Str("").Int(0).Child(image);
  Record root("TQelDB");
  root.Common(0, "G").Int(2).Int(1);
  for (int i = 0; i < 7; ++i) root.Str(i == 1 ? "INIT := 1;" : "");
  root.Str("save.dat").Str("fonts.res").Int(128).Str("eng.lng").Str("rus.lng").Int(1).Int(0).Str("").Str("p.ini");
  root.Str("snd.ini").Str("").Str("").Str("").Int(1 << 20).Str("").Str("A;B").Int(1).Str("").Int(0).Child(screen);
  std::string file = root.Bytes();
  TQelDB db;
  ASSERT_TRUE(LoadGameData(db, file));
  EXPECT_EQ(WriteElementRecord(db), file);
}

// A record cut before Pos leaves an animation at its default 0, which reading gives back as
// -1 (the setter bounds it by frames not built yet); from then on writing and reading agree.
TEST(GameFile, ShortAnimationRecordSettlesAfterOneRoundTrip) {
  TQelDB db;
  ASSERT_TRUE(LoadGameData(db, Record("TQelDB").Child(Record("TQelAnim").Common(8, "A")).Bytes()));
  auto* anim = static_cast<TQelAnim*>(db.FindByKey(8));
  ASSERT_NE(anim, nullptr);
  EXPECT_EQ(anim->Pos, 0);
  ByteString once = WriteElementRecord(db);
  ASSERT_TRUE(LoadGameData(db, once));
  EXPECT_EQ(static_cast<TQelAnim*>(db.FindByKey(8))->Pos, -1);
  ByteString twice = WriteElementRecord(db);
  ASSERT_TRUE(LoadGameData(db, twice));
  EXPECT_EQ(WriteElementRecord(db), twice);
}

}  // namespace
}  // namespace qel
