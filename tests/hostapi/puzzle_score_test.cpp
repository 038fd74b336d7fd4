// Scoring the items of a screen, the level screens of a map, the progress bar.
#include "hostapi/puzzle_routines.h"
#include "puzzle_fixture.h"

namespace qel::test {
namespace {

class Scoring : public PuzzleScene {
 protected:
  // Items worth 3 (crystal) + 3 (three pieces to find) + 5 (an action item)
  // + 10 (a log item) + 5 (an action item inside a picture) = 26.
  void Furnish(TQelScreen* s) {
    items.crystal = Make(s, "Krist");
    TQelImage* find = Make(s, "Find");
    find->Tag = "FIND";
    for (int i = 0; i < 3; ++i) items.pieces[i] = Make(find, "Piece");
    items.act = Make(s, "Act");
    items.act->Tag = "ACT";
    items.log = Make(s, "Log");
    items.log->Tag = "LOG";
    items.inner = Make(Make(s, "Shelf"), "Cup");
    items.inner->Tag = "ACT";
    Make<TQelText>(s, "Label")->Tag = "LOG";  // not a picture: no points
    for (const char* name : {"ENDCN", "ENDAN", "A[1]", "A[2]", "LG[1]"}) Var(s, name, 0);
  }
  struct {
    TQelImage* crystal;
    TQelImage* pieces[3];
    TQelImage* act;
    TQelImage* log;
    TQelImage* inner;
  } items{};
};

TEST_F(Scoring, AScreenCountsItsItemsAndRecordsWhichAreStillThere) {
  Furnish(screen);
  items.act->Vis = false;
  ScreenScore(*screen);
  EXPECT_EQ(Int(screen, "ENDCN"), 26);
  EXPECT_EQ(Int(screen, "A[1]"), 0);
  EXPECT_EQ(Int(screen, "A[2]"), 1);
  EXPECT_EQ(Int(screen, "LG[1]"), 1);
}

TEST_F(Scoring, TheMapScoresEveryLevelScreen) {
  TQelScreen* level1 = Make<TQelScreen>(&db, "Level1");
  TQelScreen* level2 = Make<TQelScreen>(&db, "Level12");
  TQelScreen* menu = Make<TQelScreen>(&db, "LevelMenu");
  Furnish(level1);
  Furnish(level2);
  items.log->Vis = false;  // found on the second level
  Furnish(menu);
  TQelImage* map = Make(screen, "Map");
  Var(map, "ENDCN", 0);
  Var(map, "SCORE", 0);
  MapScore(*map);
  EXPECT_EQ(Int(level1, "ENDCN"), 26);
  EXPECT_EQ(Int(level2, "ENDCN"), 26);
  EXPECT_EQ(Int(level2, "LG[1]"), 0);
  EXPECT_EQ(Int(menu, "ENDCN"), 0);
  EXPECT_EQ(Int(map, "ENDCN"), 52);
  EXPECT_EQ(Int(map, "SCORE"), 10);
}

class Progress : public Scoring {
 protected:
  void SetUp() override {
    level = Make<TQelScreen>(&db, "Level3");
    Furnish(level);
    ScreenScore(*level);
    TQelImage* panel = Make(screen, "Panel");
    Ref(panel, "SCR", level);
    bar = Make(panel, "Bar");
    back = Make(panel, "Prb");
    frame = Make(panel, "Prf");
    anim = Make<TQelAnim>(panel, "Pran");
    // Ten frames: Pos is bounded by the frame count.
    static_cast<TQelAnKey*>(anim->CreateChild("TQelAnKey"))->SetCount(9);
    anim->SetScript(anim->exStart, "SELF.TAG := SELF.TAG + 's';");
  }
  void FindEverything() {
    for (TQelImage* e : {items.crystal, items.pieces[0], items.pieces[1], items.pieces[2], items.act, items.log,
                         items.inner})
      e->Vis = false;
  }
  TQelScreen* level = nullptr;
  TQelImage* bar = nullptr;
  TQelImage* back = nullptr;
  TQelImage* frame = nullptr;
  TQelAnim* anim = nullptr;
};

TEST_F(Progress, TheBarGrowsWithTheItemsFound) {
  items.pieces[1]->Vis = false;
  items.log->Vis = false;
  ProgressBarUpdate(*bar);
  EXPECT_DOUBLE_EQ(Get(bar, "SCALEX").ToDouble().value(), 11.0 / 26);
  EXPECT_TRUE(back->Vis);
  EXPECT_TRUE(frame->Vis);
  EXPECT_FALSE(anim->Vis);
  EXPECT_EQ(Int(bar, "HXTRANS"), 255);
  EXPECT_EQ(anim->Tag, "");
}

TEST_F(Progress, CompletionStartsTheAnimationOnce) {
  FindEverything();
  anim->Pos = 7;
  ProgressBarUpdate(*bar);
  EXPECT_DOUBLE_EQ(bar->ScaleX, 1.0);
  EXPECT_FALSE(back->Vis);
  EXPECT_FALSE(frame->Vis);
  EXPECT_EQ(Int(bar, "HXTRANS"), 0);
  EXPECT_TRUE(anim->Vis);
  EXPECT_TRUE(anim->Active);
  EXPECT_EQ(anim->Pos, 0);
  EXPECT_EQ(anim->Tag, "s");
  EXPECT_EQ(Int(level, "ENDAN"), 1);
  ProgressBarUpdate(*bar);
  EXPECT_EQ(anim->Tag, "s");
}

TEST_F(Progress, AnEmptyScreenGivesAnEmptyBar) {
  Var(level, "ENDCN", 0);
  FindEverything();
  ProgressBarUpdate(*bar);
  EXPECT_DOUBLE_EQ(bar->ScaleX, 0.0);
  EXPECT_TRUE(back->Vis);
  EXPECT_EQ(anim->Tag, "");
}

}  // namespace
}  // namespace qel::test
