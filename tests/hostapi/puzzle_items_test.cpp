// The list of items to find and the pairs check.
#include "hostapi/puzzle_routines.h"
#include "puzzle_fixture.h"

namespace qel::test {
namespace {

class Inventory : public PuzzleScene {
 protected:
  void SetUp() override {
    db.texts = {{"Items.Key", "Key"}, {"Items.Key_s", "Keys"}, {"Items.Cup", "Cup"}, {"Items.Hat", "Hat"}};
    Var(&db, "CNTS", 4);
    Var(&db, "CNTH", 1);
    TQelImage* list = Make(Make<TQelScreen>(&db, "GI"), "List");
    for (TQelText*& line : lines) {
      line = Make<TQelText>(list, "Line");
      line->Text = "stale";
      line->Tag = "stale";
      line->Color1 = 0xFF00FF00u;
      Var(line, "CN", 7);
    }
    level = Make<TQelScreen>(&db, "Level5");
    TQelImage* shelf = Make(level, "L");
    Ref(screen, "L", level);
    counts[0] = Make<TQelText>(screen, "CntS");
    counts[1] = Make<TQelText>(screen, "CntH");
    inventory = Make(screen, "Inv");
    for (const char* id : {"Items.Key", "Items.Cup", "Items.Key", "Items.Hat"}) Item(shelf, id);
    Item(shelf, "Items.Cup")->Vis = false;
    Item(shelf, "Items.Cup")->MousedVis = false;
    Item(shelf, "Items.Hat")->Tag = "f";  // the front: items from here on are not on the shelf
    Item(shelf, "Items.Cup");
  }
  TQelImage* Item(TQelImage* shelf, const char* textId) {
    TQelImage* item = Make(shelf, "Item");
    item->TextId = textId;
    item->Tag = "old";
    return item;
  }
  TQelText* lines[10] = {};
  TQelText* counts[2] = {};
  TQelScreen* level = nullptr;
  TQelImage* inventory = nullptr;
};

TEST_F(Inventory, ItemsAreListedOneLinePerKindWithTheirCounts) {
  InventoryUpdate(*inventory);
  EXPECT_EQ(lines[0]->Tag, "Key");
  EXPECT_EQ(Int(lines[0], "CN"), 2);
  EXPECT_EQ(lines[0]->Text, "Keys (2)");
  EXPECT_EQ(lines[0]->Color1, 0xFFFFFFFFu);
  EXPECT_EQ(lines[1]->Text, "Cup");
  EXPECT_EQ(Int(lines[1], "CN"), 1);
  EXPECT_EQ(lines[2]->Text, "Hat");
  for (int i = 3; i < 10; ++i) {
    EXPECT_EQ(lines[i]->Text, "") << i;
    EXPECT_EQ(lines[i]->Color1 & 0xFFFFFF, 0xFFFFFFu) << i;
  }
  TQelElement* shelf = level->Child(0);
  EXPECT_EQ(shelf->Child(0)->Tag, "");
  EXPECT_EQ(shelf->Child(4)->Tag, "old");  // hidden
  EXPECT_EQ(shelf->Child(5)->Tag, "old");  // not for the mouse
  EXPECT_EQ(shelf->Child(7)->Tag, "old");  // behind the front
  // Three small tokens became one large one.
  EXPECT_EQ(Int(&db, "CNTS"), 1);
  EXPECT_EQ(Int(&db, "CNTH"), 2);
  EXPECT_EQ(counts[0]->Text, "1");
  EXPECT_EQ(counts[1]->Text, "2");
}

TEST_F(Inventory, Level13ShowsTwoLinesAndMarksTheRest) {
  level->SetId("Level13");
  InventoryUpdate(*inventory);
  EXPECT_EQ(lines[1]->Text, "Cup");
  EXPECT_EQ(lines[2]->Text, "");
  EXPECT_EQ(level->Child(0)->Child(3)->Tag, "*");  // the hat has no line left
}

TEST_F(Inventory, AnOpenImageListTakesTheUpdateInstead) {
  TQelImage* imlist = Make(screen, "ImList");
  imlist->SetEventSource(evUpdate, "SELF.TAG := 'updated';");
  InventoryUpdate(*inventory);
  EXPECT_EQ(imlist->Tag, "updated");
  EXPECT_EQ(lines[0]->Text, "stale");
  // A hidden inventory lists nothing.
  imlist->Vis = false;
  inventory->Vis = false;
  InventoryUpdate(*inventory);
  EXPECT_EQ(lines[0]->Text, "stale");
}

class Pairs : public PuzzleScene {
 protected:
  void SetUp() override {
    counter = Make<TQelText>(Make<TQelScreen>(&db, "GI"), "Cnt");
    selection = Make(screen, "MS");
    Var(screen, "CNN", 5);
    control = Make(screen, "Pairs");
    for (TQelImage*& card : cards) {
      card = Make(screen, "Card");
      TQelImage* face = Make(card, "Face");
      face->SetValue("IMIMAGE", Variant::String("cards.png"));
      face->Anim = 3;
    }
    Ref(selection, "OB1", cards[0]);
    Ref(selection, "OB2", cards[1]);
    Var(selection, "OBC", 2);
  }
  TQelText* counter = nullptr;
  TQelImage* selection = nullptr;
  TQelImage* control = nullptr;
  TQelImage* cards[2] = {};
};

TEST_F(Pairs, AMatchingPairCountsDownAndPlaysTheSound) {
  PairsStep(*control, outlets);
  EXPECT_EQ(Int(screen, "CNN"), 4);
  EXPECT_EQ(counter->Text, "4");
  EXPECT_EQ(outlets.sounds, std::vector<ByteString>{"Lev2.Ok"});
  EXPECT_EQ(Get(selection, "OB1").handle(), 0u);
  EXPECT_EQ(Get(selection, "OB2").handle(), 0u);
  EXPECT_EQ(Int(selection, "OBC"), 0);
}

TEST_F(Pairs, DifferentPicturesOnlyClearTheSelection) {
  static_cast<TQelImage*>(cards[1]->Child(0))->Anim = 4;
  PairsStep(*control, outlets);
  EXPECT_EQ(Int(screen, "CNN"), 5);
  EXPECT_TRUE(outlets.sounds.empty());
  EXPECT_EQ(Int(selection, "OBC"), 0);
  // Half a selection is left alone.
  Ref(selection, "OB1", cards[0]);
  Var(selection, "OBC", 1);
  PairsStep(*control, outlets);
  EXPECT_EQ(Int(selection, "OBC"), 1);
}

}  // namespace
}  // namespace qel::test
