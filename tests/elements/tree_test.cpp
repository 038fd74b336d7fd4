#include <gtest/gtest.h>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "recording_host.h"

namespace qel {
namespace {

TEST(ClassTable, ElevenClassesInRegistrationOrderWithTheirSchemas) {
  const auto& entries = ElementClassTable::Standard().entries();
  std::vector<std::pair<std::string, size_t>> expected = {
      {"TQelDB", 33}, {"TQelScreen", 23}, {"TQelImage", 38}, {"TQelExScreen", 23}, {"TQelAnim", 28},
      {"TQelAnKey", 8}, {"TQelExAnim", 14}, {"TQelEffect", 18}, {"TQelImList", 25}, {"TQelShape", 33},
      {"TQelText", 44}};
  ASSERT_EQ(entries.size(), expected.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].className, expected[i].first);
    EXPECT_EQ(entries[i].properties.size(), expected[i].second) << expected[i].first;
    for (const char* common : {"Key", "Id", "X", "Y", "Vis"})
      EXPECT_GE(entries[i].FindProperty(common), 0);
  }
  EXPECT_EQ(entries[2].shortName, "Image");
  EXPECT_EQ(entries[2].properties[9].name, "Scale");
  EXPECT_EQ(entries[2].properties[9].type, PropType::Extended);
  EXPECT_EQ(entries[10].properties[43].name, "Uni");
}

TEST(Tree, CreateChildFollowsTheAllowedPairsCaseSensitively) {
  TQelDB db;
  auto* screen = db.CreateChild("TQelScreen");
  ASSERT_NE(screen, nullptr);
  auto* text = screen->CreateChild("TQelText");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->CreateChild("TQelImage"), nullptr);
  EXPECT_NE(text->CreateChild("TQelText"), nullptr);
  EXPECT_EQ(screen->CreateChild("tqelimage"), nullptr);
  EXPECT_EQ(db.CreateChild("TQelImage"), nullptr);
  EXPECT_EQ(screen->CreateChild("TQelDB"), nullptr);
  auto* anim = screen->CreateChild("TQelAnim");
  EXPECT_EQ(anim->CreateChild("TQelText"), nullptr);
  EXPECT_NE(anim->CreateChild("TQelAnKey"), nullptr);
  EXPECT_EQ(text->Root(), &db);
  EXPECT_TRUE(text->Vis);
  EXPECT_TRUE(text->MousedVis);
}

TEST(Tree, KindDefaults) {
  TQelDB db;
  auto* screen = static_cast<TQelScreen*>(db.CreateChild("TQelScreen"));
  EXPECT_EQ(screen->hxDrawFx, 1u);
  EXPECT_TRUE(screen->MousedNotVis);
  EXPECT_TRUE(screen->AutoInit);
  auto* image = static_cast<TQelImage*>(screen->CreateChild("TQelImage"));
  EXPECT_EQ(image->hxDrawFx, 1284u);
  EXPECT_EQ(image->Color, 0xFFFFFFFFu);
  auto* list = static_cast<TQelImList*>(screen->CreateChild("TQelImList"));
  EXPECT_TRUE(list->NoMsQelDB);
  EXPECT_EQ(list->Selected, -1);
  auto* effect = static_cast<TQelEffect*>(screen->CreateChild("TQelEffect"));
  EXPECT_EQ(effect->hxColor, 0xFFFFFFu);
  EXPECT_EQ(effect->DAnim, 0.0);
  auto* shape = static_cast<TQelShape*>(screen->CreateChild("TQelShape"));
  EXPECT_EQ(shape->GetSizeX(), 100);
  EXPECT_FALSE(db.Vis);  // the root is made without a parent
}

TEST(Tree, OrderWidensEveryAncestorAndNeverNarrows) {
  TQelDB db;
  auto* screen = db.CreateChild("TQelScreen");
  auto* image = screen->CreateChild("TQelImage");
  auto* inner = image->CreateChild("TQelImage");
  inner->SetOrder(5);
  for (TQelElement* e : {static_cast<TQelElement*>(&db), screen, image, inner}) {
    EXPECT_EQ(e->OrderMin(), 0);
    EXPECT_EQ(e->OrderMax(), 5);
  }
  inner->SetOrder(0);
  EXPECT_EQ(db.OrderMax(), 5);
  image->SetOrder(-3);
  EXPECT_EQ(db.OrderMin(), -3);
  EXPECT_EQ(inner->OrderMin(), 0);
}

TEST(Tree, FindByKeyIsDepthFirstAndGivesTheFollowingBranchAsHint) {
  TQelDB db;
  auto* a = db.CreateChild("TQelScreen");
  auto* a1 = a->CreateChild("TQelImage");
  auto* a2 = a->CreateChild("TQelImage");
  auto* b = db.CreateChild("TQelScreen");
  a->Key = 1, a1->Key = 2, a2->Key = 3, b->Key = 2;
  TQelElement* hint = nullptr;
  EXPECT_EQ(db.FindByKey(2, hint), a1);
  EXPECT_EQ(hint, a2);
  hint = nullptr;
  EXPECT_EQ(db.FindByKey(3, hint), a2);
  EXPECT_EQ(hint, b);  // a2 is last among its siblings: the hint comes from the level above
  EXPECT_EQ(db.FindByKey(99), nullptr);
  a1->SetId("Door");
  EXPECT_EQ(a->FindChildById("dOOR"), a1);
}

TEST(Tree, DestroyedElementsReadAsNil) {
  TQelDB db;
  auto* screen = db.CreateChild("TQelScreen");
  auto* image = screen->CreateChild("TQelImage");
  ElementRef screenRef = screen->Handle(), imageRef = image->Handle();
  EXPECT_EQ(db.runtime().Resolve(imageRef), image);
  db.DestroyChild(screen);
  EXPECT_EQ(db.runtime().Resolve(screenRef), nullptr);
  EXPECT_EQ(db.runtime().Resolve(imageRef), nullptr);
  EXPECT_EQ(db.ChildCount(), 0);
  // A new element never takes an old handle.
  auto* again = db.CreateChild("TQelScreen");
  EXPECT_NE(again->Handle(), screenRef);
  EXPECT_NE(again->Handle(), imageRef);
}

TEST(Tree, BringToFrontAndAssignNewKey) {
  TQelDB db;
  auto* a = db.CreateChild("TQelScreen");
  auto* b = db.CreateChild("TQelScreen");
  db.BringToFront(a);
  EXPECT_EQ(db.Child(0), b);
  EXPECT_EQ(db.Child(1), a);
  db.CurKey = 41;
  b->AssignNewKey();
  EXPECT_EQ(b->Key, 42);
  EXPECT_EQ(db.CurKey, 42);
}

class PassesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.runtime().scriptHost = &host;
    screen = db.CreateChild("TQelScreen");
    screen->SetId("S");
    image = screen->CreateChild("TQelImage");
    image->SetId("I");
  }
  test::RecordingHost host;
  TQelDB db;
  TQelElement* screen = nullptr;
  TQelElement* image = nullptr;
};

TEST_F(PassesTest, ProcessSkipsHiddenElementsUnlessMousedNotVis) {
  screen->SetEventSource(evProcess, "P");
  image->SetEventSource(evProcess, "P");
  screen->Process();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"S:Process:P", "I:Process:P"}));
  host.runs.clear();
  image->Vis = false;
  screen->Process();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"S:Process:P"}));
  host.runs.clear();
  image->MousedNotVis = true;
  screen->Process();
  EXPECT_EQ(host.runs.size(), 2u);
}

TEST_F(PassesTest, InitRunsOnceAndKeepsVariablesReInitStartsAfresh) {
  image->SetEventSource(evInit, "SET COUNT");
  screen->Init();
  ASSERT_TRUE(image->Vars);
  EXPECT_EQ(image->Vars->Find("COUNT")->Value, Variant::Integer(1));
  screen->Init();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"I:Init:SET COUNT"}));
  screen->ReInit();
  EXPECT_EQ(image->Vars->Find("COUNT")->Value, Variant::Integer(2));
  EXPECT_EQ(host.runs.back(), "I:InitPr:SET COUNT");
}

TEST_F(PassesTest, ScreenWithoutAutoInitLeavesItsSubtreeAlone) {
  screen->AutoInit = false;
  image->SetEventSource(evInit, "SET X");
  screen->Init();
  EXPECT_TRUE(screen->Initialised);
  EXPECT_FALSE(image->Initialised);
  screen->Init();
  EXPECT_TRUE(host.runs.empty());
}

TEST_F(PassesTest, EventNamesOfTheMouseAndTreePasses) {
  for (int slot : {evMouseIn, evMouseOut, evMouseDown, evMouseUp, evMouseMove, evUpdate, evShow, evAfterLoad})
    image->SetEventSource(slot, "x");
  image->DoMouseIn();
  image->DoMouseOut();
  image->DoMouseDown();
  image->DoMouseUp();
  image->DoMouseMove();
  image->Update();
  screen->Show();
  screen->AfterLoad();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"I:ms_In:x", "I:ms_Out:x", "I:ms_Down:x", "I:ms_Up:x",
                                                  "I:ms_Move:x", "I:Update:x", "I:Show:x", "I:Load:x"}));
}

TEST_F(PassesTest, HitTestSkipsHiddenAndUnmousedElements) {
  // The base never answers for itself; kinds with an area do (later).
  EXPECT_EQ(screen->ElementAt(0, 10, 10, 0, 0), nullptr);
  image->MousedVis = false;
  EXPECT_EQ(image->ElementAt(0, 10, 10, 0, 0), nullptr);
}

}  // namespace
}  // namespace qel
