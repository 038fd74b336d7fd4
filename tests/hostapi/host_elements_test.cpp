// The element host functions called from event scripts of a small game.
#include <gtest/gtest.h>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "hostapi/host_table.h"
#include "script/interpreter_pool.h"

namespace qel {
namespace {

class ElementFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = db.CreateChild("TQelScreen");
    screen->SetId("Room");
    door = static_cast<TQelImage*>(screen->CreateChild("TQelImage"));
    door->SetId("Door");
    lamp = static_cast<TQelImage*>(screen->CreateChild("TQelImage"));
    lamp->SetId("Lamp");
    label = static_cast<TQelText*>(screen->CreateChild("TQelText"));
    label->SetId("Label");
    // Each event leaves its mark in the element's Tag.
    const std::pair<int, const char*> events[] = {{evUpdate, "u"}, {evProcess, "p"}, {evMouseDown, "d"},
                                                  {evMouseMove, "m"}, {evShow, "s"}, {evInit, "i"}};
    for (TQelElement* e : {static_cast<TQelElement*>(door), static_cast<TQelElement*>(lamp)})
      for (auto [slot, mark] : events) e->SetEventSource(slot, std::string("SELF.TAG := SELF.TAG + '") + mark + "';");
  }
  // Runs a script as the screen's mouse-down event; the error message, or "" when it ran.
  std::string Run(const std::string& source) {
    screen->SetEventSource(evMouseDown, source);
    runtime.script.EventName = "ms_Down";
    screen->RunScript(screen->Event(evMouseDown).prepared, nullptr);
    TScriptCalc& calc = pool.At(1);
    return calc.ErrorCode() ? std::string(calc.ErrorMessage()) : "";
  }
  Variant Result(const std::string& expression) {
    EXPECT_EQ(Run("R := " + expression + "; SELF.TAG := R;"), "");
    TVar v;
    EXPECT_TRUE(pool.At(1).GetVariable("R", v));
    return v.Value;
  }

  Runtime runtime;
  TQelDB db{&runtime};
  InterpreterPool pool{runtime, db, [](TScriptCalc& calc) { RegisterHostFunctions(calc); }};
  TQelElement* screen = nullptr;
  TQelImage* door = nullptr;
  TQelImage* lamp = nullptr;
  TQelText* label = nullptr;
};

TEST_F(ElementFunctions, EventsOfOtherElements) {
  ASSERT_EQ(Run("Update(DOOR); Process(DOOR); MsDown(DOOR); MsMove(DOOR); Show(DOOR);"), "");
  EXPECT_EQ(door->Tag, "updms");
  EXPECT_EQ(lamp->Tag, "");
  // Init re-initialises every time, with a fresh variable list.
  ASSERT_EQ(Run("Init(LAMP); Init(LAMP);"), "");
  EXPECT_EQ(lamp->Tag, "ii");
  ASSERT_NE(lamp->Vars, nullptr);
  // Anything but an element, or no argument at all, is quietly ignored.
  EXPECT_EQ(Run("Update(5); Show('DOOR'); Process(); MsDown(NOSUCH);"), "");
  EXPECT_EQ(door->Tag, "updms");
}

TEST_F(ElementFunctions, MoveToAndToFront) {
  EXPECT_EQ(Result("MoveTo(DOOR, 10.5, -3)"), Variant::Byte(0));
  EXPECT_EQ(door->rX, 10);  // halves to even
  EXPECT_EQ(door->rY, -3);
  EXPECT_EQ(Run("MoveTo(DOOR, 1);"), "");  // wrong count: nothing happens
  EXPECT_EQ(door->rX, 10);
  ASSERT_EQ(Run("ToFront(DOOR);"), "");
  EXPECT_EQ(screen->Child(0), lamp);
  EXPECT_EQ(screen->Child(2), door);
  EXPECT_EQ(Run("ToFront(QELDB); ToFront(7);"), "");
}

TEST_F(ElementFunctions, FocusGoesOnlyToTexts) {
  ASSERT_EQ(Run("SetFocus(LABEL);"), "");
  EXPECT_EQ(runtime.shell.FocusedText, label->Handle());
  ASSERT_EQ(Run("SetFocus(DOOR); SetFocus(0);"), "");
  EXPECT_EQ(runtime.shell.FocusedText, label->Handle());
}

TEST_F(ElementFunctions, PixelsOfImagesWithoutPicturesAndTexts) {
  EXPECT_EQ(Result("GetAlpha(DOOR, 0, 0)"), Variant::Byte(0));
  EXPECT_EQ(Result("GetPixel(LABEL, 0, 0)"), Variant::Byte(0));
  EXPECT_EQ(Result("GetText('Menu.Start')"), Variant::String(""));
  EXPECT_EQ(Run("X := GetText();"), "Invalid parameters, function GETTEXT");
}

}  // namespace
}  // namespace qel
