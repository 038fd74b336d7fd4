// Falling-tile columns and group marking on small scenes.
#include "hostapi/puzzle_routines.h"
#include "puzzle_fixture.h"

namespace qel::test {
namespace {

class Columns : public PuzzleScene {
 protected:
  void SetUp() override {
    Var(screen, "MOVING", 0);
    Var(screen, "COLS", 4);
    flag = Make(screen, "B1");
    flag->Vis = false;
    column = Make(screen, "Col");
    column->Tag = "1";
    Var(column, "MOVING", 1);
  }
  // A tile with a hidden highlight (first child) and a marker (second child).
  TQelImage* Tile(TQelImage* col, const char* id, double y, int32_t anim = 0, int32_t alpha = 255) {
    TQelImage* tile = Make(col, id, 0, y);
    tile->Anim = anim;
    SetTrans(tile, alpha);
    Make(tile, "Hi")->Vis = false;
    Make(tile, "Mark");
    SetTrans(tile->Child(1), 0);
    return tile;
  }
  static void SetTrans(TQelElement* e, int32_t alpha) { e->SetValue("HXTRANS", Variant::Integer(alpha)); }
  static int64_t Alpha(TQelElement* e) { return Int(e, "HXTRANS"); }

  TQelImage* flag = nullptr;
  TQelImage* column = nullptr;
};

TEST_F(Columns, TilesFallTenAStepUntilTheyRestFiftyAboveTheTileBelow) {
  TQelImage* low = Tile(column, "T0", 400);
  TQelImage* high = Tile(column, "T1", 300);
  DropColumnsStep(*column);
  EXPECT_EQ(low->Y(), 400);  // on the floor
  EXPECT_EQ(high->Y(), 310);
  EXPECT_EQ(Int(column, "MOVING"), 1);
  EXPECT_EQ(Int(screen, "MOVING"), 1);
  for (int i = 0; i < 4; ++i) DropColumnsStep(*column);
  EXPECT_EQ(high->Y(), 350);
  // Nothing moves any more: the column stops and the screen is not told.
  Var(screen, "MOVING", 0);
  DropColumnsStep(*column);
  EXPECT_EQ(high->Y(), 350);
  EXPECT_EQ(Int(column, "MOVING"), 0);
  EXPECT_EQ(Int(screen, "MOVING"), 0);
  // A stopped column does nothing, even with room below.
  low->SetY(500);
  DropColumnsStep(*column);
  EXPECT_EQ(high->Y(), 350);
}

TEST_F(Columns, TilesFadeInOnScreenAndMarkersFadeByTheirTag) {
  TQelImage* low = Tile(column, "T0", 400, 0, 200);
  TQelImage* high = Tile(column, "T1", 350, 0, 100);
  high->Child(0)->Vis = true;  // highlighted tiles keep their opacity
  TQelImage* above = Tile(column, "T2", -50, 0, 100);
  above->SetY(-50);
  low->Child(1)->Tag = "*";
  SetTrans(low->Child(1), 100);
  SetTrans(high->Child(1), 120);
  DropColumnsStep(*column);
  EXPECT_EQ(Alpha(low), 225);
  EXPECT_EQ(Alpha(high), 100);
  EXPECT_EQ(Alpha(above), 100);  // fell to -40: still above the screen
  EXPECT_EQ(Alpha(low->Child(1)), 150);
  EXPECT_EQ(Alpha(high->Child(1)), 70);
  for (int i = 0; i < 3; ++i) DropColumnsStep(*column);
  EXPECT_EQ(Alpha(low), 255);
  EXPECT_EQ(Alpha(low->Child(1)), 250);  // up to 250
  EXPECT_EQ(Alpha(high->Child(1)), 0);
  // Markers fade while the column is stopped too.
  Var(column, "MOVING", 0);
  SetTrans(high->Child(1), 100);
  DropColumnsStep(*column);
  EXPECT_EQ(Alpha(high->Child(1)), 50);
}

TEST_F(Columns, ASpecialTileVanishesAtTheBottomAndComesBackOnTop) {
  TQelImage* special = Tile(column, "T0", 450, 12);
  TQelImage* middle = Tile(column, "T1", 400, 2);
  TQelImage* top = Tile(column, "T2", 350, 3);
  const uint32_t anim = NextRandoms({4})[0];
  DropColumnsStep(*column);
  EXPECT_TRUE(flag->Vis);
  EXPECT_EQ(middle->Y(), 400);
  EXPECT_EQ(top->Y(), 350);
  EXPECT_EQ(special->Y(), 300);                  // 50 above the highest tile
  EXPECT_EQ(column->Child(2), special);          // brought to the front
  EXPECT_EQ(Alpha(special), 5);
  EXPECT_EQ(special->Anim, static_cast<int32_t>(anim));
  EXPECT_EQ(Int(special->Child(1), "ANIM"), anim + 6);
  EXPECT_EQ(Int(column, "MOVING"), 1);
  // Next step it rests on the old top tile and fades in.
  DropColumnsStep(*column);
  EXPECT_EQ(special->Y(), 300);
  EXPECT_EQ(Alpha(special), 30);
}

TEST_F(Columns, TheSecondVariantStacksSeventyApartWithoutMarkerFades) {
  TQelImage* board = Make(screen, "Board");
  TQelImage* col = Make(board, "Col");
  col->Tag = "1";
  Var(col, "MOVING", 1);
  Var(screen, "COLS", 3);
  TQelImage* low = Tile(col, "T0", 420);
  TQelImage* high = Tile(col, "T1", 300);
  SetTrans(high->Child(1), 100);
  for (int i = 0; i < 10; ++i) DropColumnsStepB(*col);
  EXPECT_EQ(low->Y(), 420);
  EXPECT_EQ(high->Y(), 350);
  EXPECT_EQ(Alpha(high->Child(1)), 100);
  // A special tile vanishes at 490 and comes back 70 above the highest,
  // with a colour below the grandparent's count.
  TQelImage* special = Tile(col, "T2", 490, 12);
  Var(col, "MOVING", 1);
  const uint32_t anim = NextRandoms({3})[0];
  DropColumnsStepB(*col);
  EXPECT_EQ(special->Y(), 280);
  EXPECT_EQ(special->Anim, static_cast<int32_t>(anim));
}

TEST_F(Columns, MissingPiecesAreSkipped) {
  TQelImage* bare = Make(column, "Bare", 0, 100);  // no highlight, no marker
  TQelImage* special = Tile(column, "T1", 450, 12);
  Var(screen, "COLS", Variant::String("many"));
  flag->SetId("Other");  // no flag to light
  DropColumnsStep(*column);
  EXPECT_EQ(bare->Y(), 110);
  EXPECT_EQ(special->Y(), 60);   // back on top, its colour left alone
  EXPECT_EQ(special->Anim, 12);
}

class Groups : public PuzzleScene {
 protected:
  void SetUp() override {
    control = Make(screen, "Ctl");
    Var(control, "MMX", 0);
    control->SetEventSource(evMouseMove, "SELF.TAG := 'moved';");
    for (int r = 0; r < 9; ++r) {
      const char name[] = {'L', static_cast<char>('1' + r), 0};
      TQelImage* row = Make(screen, name);
      for (int c = 0; c < 9; ++c) {
        cells[r][c] = Make(row, "C");
        cells[r][c]->Anim = (r + c) % 2;  // a checkerboard: no equal neighbours
        cells[r][c]->Tag = "old";
      }
    }
  }
  TQelImage* control = nullptr;
  TQelImage* cells[9][9] = {};
};

TEST_F(Groups, CellsOutsideGroupsOfThreeAreMarked) {
  for (int c = 0; c < 3; ++c) cells[0][c]->Anim = 4;           // a row of three
  for (auto [r, c] : {std::pair{2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}}) cells[r][c]->Anim = 5;  // a U
  cells[2][2]->Anim = 11;                                       // marked 5
  cells[7][7]->Anim = cells[7][8]->Anim = 3;                    // a pair
  MarkGroups(*control);
  EXPECT_EQ(cells[2][2]->Anim, 5);
  for (int r = 0; r < 9; ++r)
    for (int c = 0; c < 9; ++c) {
      const bool grouped = (r == 0 && c < 3) || (r == 3 && c < 3) || (r == 2 && (c == 0 || c == 2));
      EXPECT_EQ(cells[r][c]->Tag, grouped ? "" : "x") << r << "," << c;
    }
  EXPECT_EQ(Int(control, "MMX"), -1);
  EXPECT_EQ(control->Tag, "moved");
}

TEST_F(Groups, MissingRowsAndCellsAreSkipped) {
  screen->FindChildById("L9")->SetId("Gone");
  TQelElement* row = screen->FindChildById("L1");
  row->DestroyChild(row->Child(8));
  for (int c = 5; c < 8; ++c) cells[0][c]->Anim = 10;
  MarkGroups(*control);
  EXPECT_EQ(cells[0][5]->Tag, "");
  EXPECT_EQ(cells[8][0]->Tag, "old");  // not on the grid
  EXPECT_EQ(cells[1][0]->Tag, "x");
}

}  // namespace
}  // namespace qel::test
