// Disc stacking: hover, moving over the pole, dropping, landing and the win.
#include <cmath>

#include "hostapi/puzzle_routines.h"
#include "puzzle_fixture.h"

namespace qel::test {
namespace {

class Stack : public PuzzleScene {
 protected:
  void SetUp() override {
    logInterface = Make<TQelScreen>(&db, "LogInterface");
    Var(logInterface, "WIN", 0);
    hanoyLog = Make(Make<TQelScreen>(&db, "Level7"), "HanoyLog");
    control = Make(screen, "Ctl");
    discs = Make(screen, "Discs");
    TQelImage* holder = Make(screen, "Holder");
    Ref(holder, "L", discs);
    base = Make<TQelShape>(screen, "Base", 0, 400);
    base->SizeY = 20;
    success = Make(screen, "Success");
    success->Vis = false;
    Ref(control, "L", holder);
    Ref(control, "S1", base);
    Ref(control, "LL", success);
    Ref(control, "OBJ", nullptr);
    for (const char* name : {"V", "CX", "T", "TY"}) Var(control, name, 0);
    Var(control, "CX", 500);
  }
  TQelShape* Disc(const char* id, int32_t width, double x, double y) {
    TQelShape* d = Make<TQelShape>(discs, id, x, y);
    d->SizeX = width;
    d->SizeY = 26;
    return d;
  }
  void Carry(TQelElement* disc, int32_t v, int32_t t) {
    Ref(control, "OBJ", disc);
    Var(control, "V", v);
    Var(control, "T", t);
  }
  void Steps(int n, bool tower = true) {
    for (int i = 0; i < n; ++i) {
      if (tower) TowerStep(*control, outlets);
      else SortStackStep(*control);
    }
  }
  // Where a disc lands on the pole: 20 above the base's bottom, less each
  // disc's height over 1.276 and 2 px of spacing.
  static int64_t Landing(std::initializer_list<int> heights) {
    double ty = 400 + 20 - 20;
    for (int h : heights) ty = std::nearbyint(ty - 2 - h / 1.276);
    return static_cast<int64_t>(ty);
  }

  TQelScreen* logInterface = nullptr;
  TQelImage* hanoyLog = nullptr;
  TQelImage* control = nullptr;
  TQelImage* discs = nullptr;
  TQelShape* base = nullptr;
  TQelImage* success = nullptr;
};

TEST_F(Stack, NothingHappensWithoutACarriedDisc) {
  TQelShape* d = Disc("D", 60, 500, 300);
  Var(control, "V", 1);
  Steps(5);
  EXPECT_EQ(d->Y(), 300);
  EXPECT_EQ(Int(control, "V"), 1);
}

TEST_F(Stack, ACarriedDiscRisesThenBobsInItsBand) {
  TQelShape* tower = Disc("D", 60, 500, 300);
  Carry(tower, 1, 0);
  Steps(20);
  EXPECT_EQ(tower->Y(), 100);
  for (int i = 0; i < 60; ++i) {
    Steps(1);
    EXPECT_GE(tower->Y(), 100);
    EXPECT_LE(tower->Y(), 115);
  }
  EXPECT_NE(Int(control, "V"), 1);
  // The sorting variant bobs between 0 and 15.
  tower->SetY(110);
  Carry(tower, 1, 0);
  Steps(11, false);
  EXPECT_EQ(tower->Y(), 0);
  for (int i = 0; i < 60; ++i) {
    Steps(1, false);
    EXPECT_GE(tower->Y(), 0);
    EXPECT_LE(tower->Y(), 15);
  }
}

TEST_F(Stack, ARaisedDiscMovesOntoThePoleFromEitherSide) {
  for (double from : {200.0, 800.0}) {
    TQelShape* d = Disc("D", 60, from, 200);
    Carry(d, 0, 0);
    Steps(3);
    EXPECT_EQ(d->X(), from);  // too low to move
    d->SetY(150);
    int previous = d->X();
    for (int i = 0; i < 40 && d->X() != 500; ++i) {
      Steps(1);
      EXPECT_LE(std::abs(d->X() - 500), std::abs(previous - 500) + 2);
      previous = d->X();
    }
    EXPECT_EQ(d->X(), 500);
    discs->DestroyChild(d);
  }
}

TEST_F(Stack, ADiscDropsLandsOnTheStackAndTheLastOneWins) {
  Disc("Big", 100, 500, Landing({26}));
  TQelShape* carried = Disc("Small", 60, 500, 100);
  Carry(carried, 0, 2);
  Steps(10);
  EXPECT_EQ(carried->Y(), 150);
  Steps(1);  // decides where it lands: on top of both
  EXPECT_EQ(Int(control, "T"), 4);
  EXPECT_EQ(Int(control, "TY"), Landing({26, 26}));
  const int fall = static_cast<int>((Landing({26, 26}) - 150 + 9) / 10);
  Steps(fall - 1);
  EXPECT_LT(carried->Y(), Landing({26, 26}));
  EXPECT_TRUE(outlets.sounds.empty());
  Steps(1);
  EXPECT_EQ(carried->Y(), Landing({26, 26}));
  EXPECT_EQ(Int(control, "T"), 0);
  EXPECT_EQ(Int(control, "OBJ"), 0);
  EXPECT_EQ(outlets.sounds, std::vector<ByteString>{"Lev7.LogStop"});
  EXPECT_EQ(Int(logInterface, "WIN"), 1);
  EXPECT_TRUE(success->Vis);
  EXPECT_FALSE(hanoyLog->Vis);
}

TEST_F(Stack, NoWinWhileADiscIsLeftOfTheGoal) {
  Disc("Elsewhere", 100, 300, 300);
  TQelShape* carried = Disc("Small", 60, 500, 150);
  Carry(carried, 0, 2);
  Steps(40);
  EXPECT_EQ(carried->Y(), Landing({26}));
  EXPECT_EQ(Int(logInterface, "WIN"), 0);
  EXPECT_FALSE(success->Vis);
}

TEST_F(Stack, AWiderDiscRisesAgainOverThePole) {
  Disc("Narrow", 100, 500, 300);
  TQelShape* carried = Disc("Wide", 120, 500, 150);
  Carry(carried, 0, 2);
  Steps(1);
  EXPECT_EQ(Int(control, "T"), 0);
  EXPECT_EQ(Int(control, "V"), 1);
  Steps(1);
  EXPECT_EQ(carried->Y(), 140);
  EXPECT_EQ(carried->X(), 500);
}

TEST_F(Stack, SortingLandsAt227OnlyWhenNoWiderDiscIsThere) {
  Disc("Mid", 100, 500, 227);
  TQelShape* narrow = Disc("Narrow", 60, 500, 30);
  Carry(narrow, 0, 2);
  Steps(1, false);
  EXPECT_EQ(Int(control, "T"), 0);
  EXPECT_EQ(Int(control, "V"), 1);

  TQelShape* wide = Disc("Wide", 120, 500, 30);
  narrow->SetX(460);
  Carry(wide, 0, 2);
  Steps(1, false);
  EXPECT_EQ(Int(control, "T"), 4);
  EXPECT_EQ(Int(control, "TY"), 227);
  Steps(30, false);
  EXPECT_EQ(wide->Y(), 227);
  EXPECT_EQ(Int(logInterface, "WIN"), 1);  // every disc at 450 or more
  EXPECT_TRUE(outlets.sounds.empty());
  EXPECT_FALSE(success->Vis);
  EXPECT_TRUE(hanoyLog->Vis);
}

}  // namespace
}  // namespace qel::test
