#include <gtest/gtest.h>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "recording_host.h"

namespace qel {
namespace {

class ImListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.runtime().scriptHost = &host;
    screen = db.CreateChild("TQelScreen");
    list = static_cast<TQelImList*>(screen->CreateChild("TQelImList"));
    list->SetId("inv");
    list->SetOrder(2);
    list->SetX(100);
    list->SetY(50);
    list->SetSizeX(100);
    list->SetSizeY(65);
    list->SetColCount(3);
    list->SetRowCount(2);
    list->SetSpace(5);
    ASSERT_TRUE(list->SetValue("EXMOUSEIN", Variant::String("in")));
    ASSERT_TRUE(list->SetValue("EXMOUSEOUT", Variant::String("out")));
    ASSERT_TRUE(list->SetValue("EXMOUSEDOWN", Variant::String("down")));
  }
  TQelImage* AddImage(const char* id) {
    auto* img = static_cast<TQelImage*>(screen->CreateChild("TQelImage"));
    img->SetId(id);
    list->AddEntry(img);
    return img;
  }
  std::string SelectedText() { return std::to_string(list->Selected); }

  test::RecordingHost host;
  TQelDB db;
  TQelElement* screen = nullptr;
  TQelImList* list = nullptr;
};

TEST_F(ImListTest, CellsShareTheAreaAfterTheGaps) {
  EXPECT_EQ(list->ElWidth(), 30);  // (100 - 2 * 5) / 3
  EXPECT_EQ(list->ElHeight(), 30);
  list->SetSpace(200);
  EXPECT_EQ(list->ElWidth(), 0);  // never below 0
  list->SetColCount(0);
  EXPECT_EQ(list->ElWidth(), 0);
  EXPECT_EQ(list->ElHeight(), 0);
}

TEST_F(ImListTest, HitsNameTheEntryUnderTheMouseAndFireInAndOutPerEntry) {
  for (const char* id : {"a", "b", "c", "d"}) AddImage(id);
  host.runs.clear();
  EXPECT_EQ(list->ElementAt(2, 100, 50, 0, 0), list);
  EXPECT_EQ(list->Selected, 0);
  EXPECT_EQ(list->ElementAt(2, 100 + 35, 50 + 35, 0, 0), list);  // second row, second column: entry 4 of 4
  EXPECT_EQ(list->Selected, -1);
  EXPECT_EQ(list->ElementAt(2, 100 + 34, 50 + 35, 0, 0), list);  // a gap counts with the cell before it
  EXPECT_EQ(list->Selected, 3);
  EXPECT_EQ(list->ElementAt(1, 100, 50, 0, 0), nullptr);  // another layer: nothing changes
  EXPECT_EQ(list->Selected, 3);
  EXPECT_EQ(list->ElementAt(2, 99, 50, 0, 0), nullptr);
  EXPECT_EQ(list->Selected, -1);
  EXPECT_EQ(host.runs, (std::vector<std::string>{"inv:ms_In:in", "inv:ms_Out:out", "inv:ms_In:in", "inv:ms_Out:out"}));
  // A hidden list still answers on its layer.
  list->SetVis(false);
  EXPECT_EQ(list->ElementAt(2, 135, 50, 0, 0), list);
  EXPECT_EQ(list->Selected, 1);
}

TEST_F(ImListTest, PressesGoToTheEntryThenTheList) {
  TQelImage* b = AddImage("b");
  ASSERT_TRUE(b->SetValue("EXMOUSEDOWN", Variant::String("take")));
  list->DoMouseDown();
  EXPECT_TRUE(host.runs.empty());  // nothing under the mouse
  list->ElementAt(2, 101, 51, 0, 0);
  host.runs.clear();
  list->DoMouseDown();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"b:ms_Down:take", "inv:ms_Down:down"}));
}

TEST_F(ImListTest, TheEntryUnderTheMouseGrowsAndTheOthersShrinkBack) {
  AddImage("a");
  AddImage("b");
  list->Scale = 1.12;
  list->ElementAt(2, 101, 51, 0, 0);
  std::vector<double> zooms;
  for (int i = 0; i < 4; ++i) {
    list->Process();
    zooms.push_back(list->Entries[0].zoom);
  }
  EXPECT_NEAR(zooms[0], 1.05, 1e-12);
  EXPECT_NEAR(zooms[1], 1.10, 1e-12);
  EXPECT_NEAR(zooms[2], 1.15, 1e-12);  // may pass Scale by less than a step
  EXPECT_NEAR(zooms[3], 1.15, 1e-12);
  EXPECT_EQ(list->Entries[1].zoom, 1.0);
  list->ElementAt(2, 136, 51, 0, 0);
  list->Process();
  EXPECT_NEAR(list->Entries[0].zoom, 1.05, 1e-12);
  list->Process();
  EXPECT_EQ(list->Entries[0].zoom, 1.0);  // snaps back, never below 1
}

TEST_F(ImListTest, AddingScrollsSoThatTheNewEntryIsOnTheLastFullPage) {
  for (int i = 0; i < 6; ++i) AddImage("x");
  EXPECT_EQ(list->ScrollRow, 0);  // two rows of three fit
  AddImage("x");
  EXPECT_EQ(list->ScrollRow, 1);  // the seventh entry opens a third row
  EXPECT_EQ(list->ScrollPos(), 3);
  list->ElementAt(2, 100, 50, 0, 0);
  EXPECT_EQ(list->Selected, 3);  // the top-left cell now shows entry 3
  ASSERT_TRUE(list->SetValue("SCROLLPOS", Variant::Integer(0)));
  EXPECT_EQ(list->ScrollRow, 0);
  ASSERT_TRUE(list->SetValue("SCROLLPOS", Variant::Integer(100)));
  EXPECT_EQ(list->ScrollRow, 1);  // clamped to the last full page
}

TEST_F(ImListTest, AGridWithoutCellsTakesNoMouseAndNeverDividesByZero) {
  AddImage("a");
  for (auto set : {&TQelImList::SetColCount, &TQelImList::SetRowCount}) {
    SetUp();
    AddImage("a");
    (list->*set)(0);
    EXPECT_EQ(list->ElementAt(2, 101, 51, 0, 0), nullptr);
    EXPECT_EQ(list->Selected, -1);
    ASSERT_TRUE(list->SetValue("SCROLLPOS", Variant::Integer(5)));
    EXPECT_EQ(list->ScrollRow, 0);
  }
  list->SetRowCount(2);
  list->SetColCount(3);
  list->SetSpace(-100);  // cells of 100 overlapping by 100: a pitch of 0
  EXPECT_EQ(list->ElementAt(2, 101, 51, 0, 0), nullptr);
  list->SetSpace(-150);
  EXPECT_EQ(list->ElementAt(2, 101, 51, 0, 0), nullptr);
}

TEST_F(ImListTest, EntriesAreRemovedByIdExactlyOrByElement) {
  TQelImage* a = AddImage("Key");
  AddImage("key");
  TQelImage* c = AddImage("Key");
  list->RemoveEntryById("key");
  ASSERT_EQ(list->Entries.size(), 2u);
  EXPECT_EQ(list->Entries[0].image, a->Handle());
  list->RemoveEntryById("Key");
  ASSERT_EQ(list->Entries.size(), 1u);
  EXPECT_EQ(list->Entries[0].image, c->Handle());
  list->RemoveEntry(a);
  EXPECT_EQ(list->Entries.size(), 1u);
  list->RemoveEntry(c);
  EXPECT_TRUE(list->Entries.empty());
}

}  // namespace
}  // namespace qel
