#include <gtest/gtest.h>

#include "elements/kinds.h"
#include "elements/qel_db.h"

namespace qel {
namespace {

class LangDB : public TQelDB {
 public:
  ByteString GetLangText(const ByteString& key) override { return key == "Main.Hello" ? "Hello!" : ""; }
};

class NamedValues : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = db.CreateChild("TQelScreen");
    screen->SetId("Room");
    door = static_cast<TQelImage*>(screen->CreateChild("TQelImage"));
    door->SetId("Door");
    second = screen->CreateChild("TQelText");
    second->SetId("Self");
  }
  Variant Get(TQelElement* e, const ByteString& name) {
    Variant v;
    EXPECT_TRUE(e->GetValue(name, v)) << name;
    return v;
  }
  bool Has(TQelElement* e, const ByteString& name) {
    Variant v;
    return e->GetValue(name, v);
  }
  Variant Ref(TQelElement* e) { return Variant::LongWord(e ? e->Handle() : 0); }

  LangDB db;
  TQelElement* screen = nullptr;
  TQelImage* door = nullptr;
  TQelElement* second = nullptr;
};

TEST_F(NamedValues, ChildrenByIdAndByNumber) {
  EXPECT_EQ(Get(screen, "DOOR"), Ref(door));
  EXPECT_EQ(Get(screen, "CHILD[2]"), Ref(second));
  EXPECT_EQ(Get(screen, "CHILD2"), Ref(second));
  EXPECT_EQ(Get(screen, "CHILD[0]"), Ref(nullptr));
  EXPECT_EQ(Get(screen, "CHILD[99]"), Ref(nullptr));
  EXPECT_FALSE(Has(screen, "CHILD[X]"));
  EXPECT_FALSE(Has(screen, "CHILD"));
  EXPECT_EQ(Get(screen, "CHILDCOUNT"), Variant::Integer(2));
  EXPECT_EQ(Get(second, "PARPOS"), Variant::Integer(2));
}

TEST_F(NamedValues, ChildrenHideKeywordsAndVariablesHideProperties) {
  EXPECT_EQ(Get(screen, "SELF"), Ref(second));  // the child "Self" wins over the keyword
  EXPECT_EQ(Get(door, "SELF"), Ref(door));
  door->Vars = std::make_unique<TVarList>();
  door->Vars->AddVar({"VIS", Variant::String("hidden")});
  EXPECT_EQ(Get(door, "VIS"), Variant::String("hidden"));
  EXPECT_TRUE(door->SetValue("VIS", Variant::Integer(0)));
  EXPECT_TRUE(door->Vis);  // the variable took the write
  EXPECT_EQ(door->Vars->Find("VIS")->Value, Variant::Integer(0));
}

TEST_F(NamedValues, RootHasNoParentOrPosition) {
  EXPECT_FALSE(Has(&db, "PARENT"));
  EXPECT_FALSE(Has(&db, "PARPOS"));
  EXPECT_EQ(Get(door, "QELDB"), Ref(&db));
  EXPECT_EQ(Get(door, "PARENT"), Ref(screen));
  EXPECT_EQ(Get(door, "CLASS"), Variant::String("TQELIMAGE"));
  EXPECT_EQ(Get(door, "NIL"), Ref(nullptr));
}

TEST_F(NamedValues, MouseKeywordsFollowTheShellState) {
  Runtime& rt = db.runtime();
  EXPECT_EQ(Get(door, "CURSORATNIL"), Variant::Byte(1));
  EXPECT_EQ(Get(door, "MOUSEINDOWN"), Variant::Boolean(false));
  EXPECT_FALSE(Has(door, "CURSOR"));
  rt.shell.HoveredElement = door->Handle();
  rt.shell.MouseX = 17;
  EXPECT_EQ(Get(door, "CURSORATNIL"), Variant::Byte(0));
  EXPECT_EQ(Get(door, "MOUSEIN"), Variant::Boolean(true));
  EXPECT_EQ(Get(door, "MOUSEINDOWN"), Variant::Boolean(false));
  rt.shell.MouseCaptured = true;
  EXPECT_EQ(Get(door, "MOUSEINDOWN"), Variant::Boolean(true));
  EXPECT_EQ(Get(screen, "MOUSEINDOWN"), Variant::Boolean(false));
  EXPECT_EQ(Get(door, "MSX"), Variant::Integer(17));
  EXPECT_TRUE(door->SetValue("CURSOR", Ref(second)));
  EXPECT_EQ(Get(door, "CURSOR"), Ref(second));
  EXPECT_FALSE(door->SetValue("CURSOR", Variant::Integer(3)));
  EXPECT_EQ(Get(second, "TEXTSZ"), Variant::Float(0));
  EXPECT_FALSE(Has(door, "TEXTSZ"));
}

TEST_F(NamedValues, PositionsAndSizes) {
  screen->rX = 10;
  door->SetValue("RX", Variant::Float(2.5));
  EXPECT_EQ(Get(door, "X"), Variant::Integer(2));  // halves to even
  door->SetValue("RX", Variant::Float(3.5));
  EXPECT_EQ(Get(door, "X"), Variant::Integer(4));
  EXPECT_EQ(Get(door, "ABSX"), Variant::Integer(14));
  EXPECT_TRUE(door->SetValue("X", Variant::String("7")));
  EXPECT_EQ(door->rX, 7.0);
  EXPECT_TRUE(door->SetValue("Y", Variant::String("seven")));
  EXPECT_EQ(door->rY, 0.0);  // a text that is no integer stores 0
  EXPECT_EQ(Get(second, "SZX"), Variant::Integer(100));
}

TEST_F(NamedValues, ColourViewsAndThousandths) {
  door->SetValue("HXCOLOR", Variant::Integer(0x123456));
  door->SetValue("HXTRANS", Variant::Integer(0x80));
  EXPECT_EQ(door->Color, 0x80123456u);
  EXPECT_EQ(Get(door, "HXCOLOR"), Variant::Integer(0x123456));
  EXPECT_EQ(Get(door, "HXTRANS"), Variant::Integer(0x80));
  door->SetValue("SCALE", Variant::Float(1.23456));
  EXPECT_EQ(Get(door, "SCALE"), Variant::Float(1.235));
  door->SetValue("ANGLE", Variant::String("45"));
  EXPECT_EQ(Get(door, "ANGLE"), Variant::Float(45.0));
  door->SetValue("HXDRAWFX", Variant::Integer(-1));
  EXPECT_EQ(door->hxDrawFx, 0xFFFFFFFFu);
  EXPECT_EQ(Get(door, "VIS"), Variant::Integer(1));
}

TEST_F(NamedValues, QuotedTextsAreLanguageKeys) {
  EXPECT_TRUE(door->SetValue("TAG", Variant::String("\"Main.Hello\"")));
  EXPECT_EQ(door->Tag, "Hello!");
  EXPECT_TRUE(door->SetValue("TAG", Variant::String("\"Main.Missing\"")));
  EXPECT_EQ(door->Tag, "\"Main.Missing\"");
  EXPECT_FALSE(door->SetValue("NOSUCH", Variant::Integer(1)));
}

TEST_F(NamedValues, ImageListElementsByKey) {
  auto* list = static_cast<TQelImList*>(screen->CreateChild("TQelImList"));
  door->Key = 12;
  second->Key = 15;
  screen->Key = 3;
  EXPECT_TRUE(list->SetValue("ELEMENTS", Variant::String(" 12; x;15;3;12;")));
  EXPECT_EQ(Get(list, "ELEMENTS"), Variant::String("12;12;"));  // only images count
  EXPECT_EQ(Get(list, "SELEL"), Variant::Byte(0));
  list->SizeX = 100, list->ColCount = 3, list->Space = 5, list->RowCount = 1;
  EXPECT_EQ(list->ElWidth(), 30);
}

TEST_F(NamedValues, EveryNameSetValueTakesIsAnnouncedByMayTakeValue) {
  std::vector<ByteString> names = {"CURSOR", "ELEMENTS", "SELEL", "NOSUCH", "CHILD[1]", "SELF", "VOLMUZ"};
  for (const auto& cls : ElementClassTable::Standard().entries())
    for (const auto& p : cls.properties) names.push_back(p.upperName);
  std::vector<TQelElement*> elements = {&db, screen, door, second, screen->CreateChild("TQelImList"),
                                        screen->CreateChild("TQelAnim"), screen->CreateChild("TQelEffect")};
  door->Vars = std::make_unique<TVarList>();
  door->Vars->AddVar({"LOCAL", Variant::Integer(1)});
  names.push_back("LOCAL");
  for (TQelElement* e : elements)
    for (const ByteString& name : names) {
      bool announced = e->MayTakeValue(name);
      bool taken = e->SetValue(name, Variant::LongWord(0));
      EXPECT_TRUE(announced || !taken) << e->ClassName() << " takes " << name << " unannounced";
    }
}

// Paths remember that a name is missing when it is no keyword; a name that
// GetValue answers from neither variables, properties nor children must be one.
TEST_F(NamedValues, EveryNameAnsweredBeyondVariablesPropertiesAndChildrenIsAKeyword) {
  std::vector<ByteString> names = {"NIL", "SELF", "CLASS", "PARENT", "CHILDCOUNT", "PARPOS", "CHILD[1]", "CHILD1",
                                   "QELDB", "CURRENTSCREEN", "CURSOR", "CURSORAT", "CURSORATNIL", "ABSX", "ABSY",
                                   "SZX", "SZY", "TEXTSZ", "MOUSEIN", "MSDX", "MSDY", "MSX", "MSY",
                                   "IMFORLOADCOUNT", "IMFORLOADPOS", "KEYDOWNED", "MOUSEDOWN", "MOUSEINDOWN",
                                   "VOLMUZ", "CHEAT", "UNICODE", "VOLSND", "FULLSCREEN", "KEYX", "KEYY", "KEYANG",
                                   "KEYSCALE", "KEYAN", "KEYX[1]", "COUNT", "ELEMENTS", "SELEL", "E", "OBJ", "NOSUCH"};
  std::vector<TQelElement*> elements = {&db, screen, door, second, screen->CreateChild("TQelImList"),
                                        screen->CreateChild("TQelAnim"), screen->CreateChild("TQelEffect")};
  db.runtime().shell.CursorElement = door->Handle();
  db.runtime().shell.HoveredElement = door->Handle();
  db.runtime().shell.CurrentScreen = screen->Handle();
  for (TQelElement* e : elements)
    for (const ByteString& name : names) {
      Variant v;
      bool plain = e->Class().FindProperty(name) < 0 && !e->ChildNamed(name) && !(e->Vars && e->Vars->Find(name));
      if (plain && e->GetValue(name, v)) {
        EXPECT_TRUE(e->KeywordName(name)) << e->ClassName() << " answers " << name;
      }
    }
  EXPECT_FALSE(door->KeywordName("E"));
  EXPECT_FALSE(db.KeywordName("OBJ"));
}

}  // namespace
}  // namespace qel
