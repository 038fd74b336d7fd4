// The puzzle rows of the host table: their names and order, and how they
// take their argument when scripts call them.
#include "hostapi/host_table.h"
#include "puzzle_fixture.h"
#include "script/scriptcalc.h"

namespace qel::test {
namespace {

const std::vector<ByteString> kPuzzleNames = {
    "DROPCOLUMNSSTEP", "MARKGROUPS",    "DRAGINRING",     "WEBDRAW2",          "WEBCHECK2",       "DRAGINOVAL",
    "WEBDRAW1",        "WEBCHECK1",     "TOWERSTEP",      "SORTSTACKSTEP",     "PIPESSTEP",       "PROGRESSBARUPDATE",
    "SCREENSCORE",     "MAPSCORE",      "SHELFROWSSTEP",  "SLIDEINSTEP",       "SPARKRISEEDGE",   "SPARKRISETOP",
    "SPARKCOVER10",    "SPARKCOVER3",   "DROPCOLUMNSSTEPB", "INVENTORYUPDATE", "PAIRSSTEP"};

TEST(PuzzleRows, FollowTheGeneralRowsInTableOrder) {
  TScriptCalc calc;
  RegisterHostFunctions(calc);
  const int general = calc.Functions().Count();
  RegisterGameFunctions(calc);
  ASSERT_EQ(calc.Functions().Count(), general + 23);
  for (int i = 0; i < 23; ++i) EXPECT_EQ(calc.Functions()[general + i].Name, kPuzzleNames[i]);
}

TEST(PuzzleRows, AnInterpreterKnowsExactly121Names) {
  TScriptCalc calc;
  RegisterHostFunctions(calc);
  if (calc.Functions().Count() < 98) GTEST_SKIP() << "general rows still to come: " << calc.Functions().Count();
  RegisterGameFunctions(calc);
  EXPECT_EQ(calc.Functions().Count(), 121);
}

TEST_F(PuzzleScene, RowsIgnoreMissingForeignAndWrongClassArguments) {
  TQelImage* panel = Make(Make(screen, "Strip"), "Panel", 100, 0);
  panel->SetValue("HXTRANS", Variant::Integer(0));
  Var(screen, "ENDCN", 9);
  EXPECT_EQ(Run("SlideInStep(); SlideInStep(5); SlideInStep('STRIP.PANEL'); SlideInStep(SELF);"
                "ScreenScore(STRIP.PANEL); TowerStep(NIL); PairsStep(STRIP);"),
            "");
  EXPECT_EQ(panel->X(), 100);
  EXPECT_EQ(Int(screen, "ENDCN"), 9);
  EXPECT_EQ(Run("SlideInStep(STRIP.PANEL); ScreenScore(SELF);"), "");
  EXPECT_EQ(panel->X(), 83);
  EXPECT_EQ(Int(screen, "ENDCN"), 0);
}

TEST_F(PuzzleScene, RowsReachTheOutletsTheyWereRegisteredWith) {
  Make(screen, "Gem");
  outlets.size = {4, 4};
  outlets.pixel = [](int32_t, int32_t) { return 0xFFFFFFFFu; };
  EXPECT_EQ(Run("SparkRiseTop(GEM); SparkCover3(GEM);"), "");
  EXPECT_EQ(outlets.stars.size(), 1u + 4u);
}

}  // namespace
}  // namespace qel::test
