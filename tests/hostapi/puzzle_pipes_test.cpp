// The pipe puzzle: turning tiles, the flow from the top-left entry, open
// ends, the overlay and the win.
#include "hostapi/puzzle_routines.h"
#include "puzzle_fixture.h"

namespace qel::test {
namespace {

class Pipes : public PuzzleScene {
 protected:
  void SetUp() override {
    logInterface = Make<TQelScreen>(&db, "LogInterface");
    Var(logInterface, "WIN", 0);
    control = Make(screen, "Pipes");
    TQelImage* overlay = Make(screen, "LL");
    for (int r = 0; r < 6; ++r) {
      TQelImage* row = Make(control, "Row");
      TQelImage* shadowRow = Make(overlay, "Row");
      for (int c = 0; c < 6; ++c) {
        tiles[r][c] = Make(row, "Tile");
        tiles[r][c]->Tag = "0000";
        tiles[r][c]->Anim = r;
        shadows[r][c] = Make(shadowRow, "Tile");
      }
    }
    marker = Make(screen, "Prot");
    end = Make(screen, "End");
    // Down the first column, along the last row, out at the bottom.
    for (int r = 0; r < 5; ++r) tiles[r][0]->Tag = "0101";
    tiles[5][0]->Tag = "1001";
    for (int c = 1; c < 5; ++c) tiles[5][c]->Tag = "1010";
    tiles[5][5]->Tag = "0110";
  }
  bool OnPath(int r, int c) const { return c == 0 || r == 5; }
  static int64_t Alpha(TQelElement* e) { return Int(e, "HXTRANS"); }

  TQelScreen* logInterface = nullptr;
  TQelImage* control = nullptr;
  TQelImage* tiles[6][6] = {};
  TQelImage* shadows[6][6] = {};
  TQelImage* marker = nullptr;
  TQelImage* end = nullptr;
};

TEST_F(Pipes, AConnectedPathLightsTheOverlayAndWins) {
  tiles[2][3]->SetValue("ANGLE", Variant::Integer(90));
  PipesStep(*control);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 6; ++c) {
      EXPECT_EQ(Alpha(shadows[r][c]), OnPath(r, c) ? 255 : 0) << r << "," << c;
      EXPECT_EQ(shadows[r][c]->Anim, r + 6);
    }
  EXPECT_EQ(Int(shadows[2][3], "ANGLE"), 90);
  EXPECT_FALSE(marker->Vis);
  EXPECT_EQ(Alpha(end), 255);
  EXPECT_EQ(Int(logInterface, "WIN"), 1);
}

TEST_F(Pipes, ABrokenPathShowsItsOpenEnd) {
  tiles[5][2]->Tag = "0101";  // turned across the way
  PipesStep(*control);
  EXPECT_EQ(Alpha(shadows[5][1]), 255);
  EXPECT_EQ(Alpha(shadows[5][2]), 0);
  EXPECT_TRUE(marker->Vis);
  EXPECT_EQ(marker->X(), 75);   // column 1
  EXPECT_EQ(marker->Y(), 375);  // row 5
  EXPECT_EQ(Int(marker, "ANGLE"), 0);  // facing right
  EXPECT_EQ(Alpha(end), 0);
  EXPECT_EQ(Int(logInterface, "WIN"), 0);
}

TEST_F(Pipes, ASpillOutOfTheGridIsAnOpenEndEvenWhenTheFlowGetsThrough) {
  tiles[2][0]->Tag = "0111";  // also open to the left edge
  PipesStep(*control);
  EXPECT_TRUE(marker->Vis);
  EXPECT_EQ(marker->X(), 0);
  EXPECT_EQ(marker->Y(), 150);
  EXPECT_EQ(Int(marker, "ANGLE"), 180);
  EXPECT_EQ(Alpha(end), 255);
  EXPECT_EQ(Int(logInterface, "WIN"), 0);
}

TEST_F(Pipes, NothingFlowsWhenTheFirstTileIsClosedAtTheTop) {
  tiles[0][0]->Tag = "0100";
  PipesStep(*control);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 6; ++c) EXPECT_EQ(Alpha(shadows[r][c]), 0);
  EXPECT_FALSE(marker->Vis);
  EXPECT_EQ(Alpha(end), 0);
}

TEST_F(Pipes, ATurningTileTurnsItsOpeningsOnArrival) {
  TQelImage* tile = tiles[0][3];
  tile->Tag = "1000";
  tile->SetValue("ANGLE", Variant::Integer(30));
  for (int i = 0; i < 5; ++i) PipesStep(*control);
  EXPECT_EQ(Int(tile, "ANGLE"), 80);
  EXPECT_EQ(tile->Tag, "1000");
  PipesStep(*control);
  EXPECT_EQ(Int(tile, "ANGLE"), 90);
  EXPECT_EQ(tile->Tag, "0100");  // right turned to lower
  PipesStep(*control);
  EXPECT_EQ(Int(tile, "ANGLE"), 90);
  EXPECT_EQ(tile->Tag, "0100");
}

TEST_F(Pipes, MissingRowsTilesAndPiecesAreSkipped) {
  control->DestroyChild(control->Child(5));
  screen->DestroyChild(marker);
  tiles[0][0]->Tag = "01";  // too short: the missing sides are closed
  PipesStep(*control);
  EXPECT_EQ(Alpha(shadows[0][0]), 0);
  EXPECT_EQ(Alpha(end), 0);
  EXPECT_EQ(Int(logInterface, "WIN"), 0);
}

}  // namespace
}  // namespace qel::test
