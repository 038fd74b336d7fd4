// Dragging inside a ring and an oval, shelf rows, a sliding panel.
#include "hostapi/puzzle_routines.h"
#include "puzzle_fixture.h"

namespace qel::test {
namespace {

class Drag : public PuzzleScene {
 protected:
  void SetUp() override {
    board = Make<TQelShape>(screen, "Board", 100, 50);
    board->SizeX = 400;
    board->SizeY = 400;
    piece = Make(board, "Piece", 200, 200);
  }
  // The mouse held over the piece at a point of the board.
  void Hold(int32_t x, int32_t y) {
    runtime.shell.MouseCaptured = true;
    runtime.shell.HoveredElement = piece->Handle();
    runtime.shell.MouseX = 100 + x;
    runtime.shell.MouseY = 50 + y;
  }
  TQelShape* board = nullptr;
  TQelImage* piece = nullptr;
};

TEST_F(Drag, APieceFollowsTheMouseOnlyWhileHeld) {
  runtime.shell.MouseX = 400;
  DragInRing(*piece);
  EXPECT_EQ(piece->X(), 200);
  Hold(300, 180);
  DragInRing(*piece);
  EXPECT_EQ(piece->X(), 300);
  EXPECT_EQ(piece->Y(), 180);
}

TEST_F(Drag, TheRingKeepsThePieceInsideAndApartFromOthers) {
  // The ring has radius 400 / 2 - 50 = 150 around (200, 200): the whole way
  // (400, 200) is outside, half of it (300, 200) inside.
  Hold(400, 200);
  DragInRing(*piece);
  EXPECT_EQ(piece->X(), 300);
  // Another kind of piece at (280, 200): the whole way is 20 px from it, half
  // 30, a third 47 px (233), a quarter 55 px (225): the first far enough.
  piece->SetX(200);
  Make(board, "Other", 280, 200);
  Make(board, "Piece", 300, 200);  // same kind: no obstacle
  Hold(300, 200);
  DragInRing(*piece);
  EXPECT_EQ(piece->X(), 225);
  EXPECT_EQ(piece->Y(), 200);
}

TEST_F(Drag, TheOvalUsesItsOwnShapeAndSpacing) {
  board->SizeY = 200;
  piece->SetY(100);
  // (380, 100): 180^2 / 400^2 * 4 = 0.81, outside; half-way (290, 100) inside.
  Hold(380, 100);
  DragInOval(*piece);
  EXPECT_EQ(piece->X(), 290);
  // Another kind at (270, 100): the whole way is 20 px from it, half 25,
  // a third (230) 40 px, far enough for the oval's 28.
  piece->SetX(200);
  Make(board, "Other", 270, 100);
  Hold(290, 100);
  DragInOval(*piece);
  EXPECT_EQ(piece->X(), 230);
  // A board without a size holds nothing.
  board->SizeX = 0;
  Hold(220, 100);
  DragInOval(*piece);
  EXPECT_EQ(piece->X(), 230);
}

class Shelves : public PuzzleScene {
 protected:
  void SetUp() override {
    logInterface = Make<TQelScreen>(&db, "LogInterface");
    Var(logInterface, "WIN", 0);
    shelf = Make(screen, "Shelf");
    rows[0] = Make(shelf, "R0", 40, 200);
    rows[1] = Make(shelf, "R1", -40, 300);
    for (TQelImage* row : rows)
      for (int j = 0; j < 3; ++j) Make(row, "Item", j * 82, 0);
  }
  std::vector<int> ItemXs(TQelImage* row) {
    std::vector<int> xs;
    for (const auto& item : row->Children()) xs.push_back(item->X());
    return xs;
  }
  TQelScreen* logInterface = nullptr;
  TQelImage* shelf = nullptr;
  TQelImage* rows[2] = {};
};

TEST_F(Shelves, RowsClimbIntoPlaceAndDriftWithTheirItemsWrapping) {
  ShelfRowsStep(*shelf);
  EXPECT_EQ(rows[0]->Y(), 198);
  EXPECT_EQ(rows[1]->Y(), 298);
  EXPECT_EQ(rows[0]->X(), 41);
  EXPECT_EQ(rows[1]->X(), -41);
  ShelfRowsStep(*shelf);
  EXPECT_EQ(rows[0]->X(), 42);
  EXPECT_EQ(ItemXs(rows[0]), (std::vector<int>{0, 82, 164}));
  ShelfRowsStep(*shelf);  // past 42: one place back, items one place on
  EXPECT_EQ(rows[0]->X(), 43 - 82);
  EXPECT_EQ(ItemXs(rows[0]), (std::vector<int>{82, 164, 0}));
  EXPECT_EQ(rows[1]->X(), -43 + 82);
  EXPECT_EQ(ItemXs(rows[1]), (std::vector<int>{164, 0, 82}));
  for (int i = 0; i < 200; ++i) ShelfRowsStep(*shelf);
  EXPECT_EQ(rows[0]->Y(), 0);
  EXPECT_EQ(rows[1]->Y(), 81);
  EXPECT_EQ(Int(logInterface, "WIN"), 0);
}

TEST_F(Shelves, HiddenRowsMakeRoomAndTheLastOneWins) {
  rows[0]->Vis = false;
  ShelfRowsStep(*shelf);
  EXPECT_EQ(rows[0]->Y(), 200);
  EXPECT_EQ(rows[0]->X(), 40);
  for (int i = 0; i < 200; ++i) ShelfRowsStep(*shelf);
  EXPECT_EQ(rows[1]->Y(), 0);
  EXPECT_EQ(Int(logInterface, "WIN"), 0);
  rows[1]->Vis = false;
  ShelfRowsStep(*shelf);
  EXPECT_EQ(Int(logInterface, "WIN"), 1);
}

TEST_F(Shelves, AnEmptyShelfIsNoWin) {
  TQelImage* empty = Make(screen, "Empty");
  ShelfRowsStep(*empty);
  EXPECT_EQ(Int(logInterface, "WIN"), 0);
}

TEST_F(PuzzleScene, PanelsFadeAndSlideInBesideTheOneBefore) {
  TQelImage* strip = Make(screen, "Strip");
  TQelImage* first = Make(strip, "P1", 300, 0);
  TQelImage* second = Make(strip, "P2", 400, 0);
  for (TQelImage* p : {first, second}) {
    p->SetValue("HXTRANS", Variant::Integer(0));
    Make(p, "S")->SetValue("HXTRANS", Variant::Integer(0));
  }
  SlideInStep(*first);
  EXPECT_EQ(first->X(), 283);
  EXPECT_EQ(Int(first, "HXTRANS"), 25);
  EXPECT_EQ(Int(first->Child(0), "HXTRANS"), 6);
  for (int i = 0; i < 20; ++i) SlideInStep(*first);
  EXPECT_EQ(first->X(), 10);
  EXPECT_EQ(Int(first, "HXTRANS"), 255);
  EXPECT_EQ(Int(first->Child(0), "HXTRANS"), 63);
  for (int i = 0; i < 30; ++i) SlideInStep(*second);
  EXPECT_EQ(second->X(), 95);
}

}  // namespace
}  // namespace qel::test
