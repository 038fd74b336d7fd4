// Screens and placeholders: layers, modal capture, the render script, and a
// placeholder drawing its screen at the aligned position while clicks are
// tested at the plain one.
#include "draw_fixture.h"
#include "recording_host.h"

namespace qel::test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;

class ScreenTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    if (IsSkipped()) return;
    db.runtime().scriptHost = &host;
    screen->Key = 1;
    screen->SetId("Room");
    // A panel screen: 200 x 100, a red box at (10, 20) of 30 x 30.
    panel = static_cast<TQelScreen*>(db.CreateChild("TQelScreen"));
    panel->Key = 2;
    panel->SetId("Panel");
    panel->SizeX = 200;
    panel->SizeY = 100;
    panel->SetEventSource(evShow, "panel shown");
    box = Make<TQelShape>(panel, "TQelShape");
    box->SetId("Box");
    box->rX = 10;
    box->rY = 20;
    box->SizeX = box->SizeY = 30;
    box->Color = kRed;
  }
  TQelExScreen* Placeholder(int32_t x, int32_t y, int32_t posHor, int32_t posVert) {
    auto* ph = Make<TQelExScreen>(screen, "TQelExScreen");
    ph->SetId("Slot");
    ph->SetX(x);
    ph->SetY(y);
    ph->PosHor = posHor;
    ph->PosVert = posVert;
    ph->SetObScreen(2);
    return ph;
  }

  RecordingHost host;
  TQelScreen* panel = nullptr;
  TQelShape* box = nullptr;
};

TEST_F(ScreenTest, PlaceholderDrawsAlignedButIsHitAtItsPlainPosition) {
  auto* ph = Placeholder(400, 300, phCenter, pvBottom);
  EXPECT_EQ(ph->GetSizeX(), 200);
  EXPECT_EQ(ph->GetSizeY(), 100);
  EXPECT_EQ(ph->GetAbsX(), 300);
  EXPECT_EQ(ph->GetAbsY(), 200);
  Frame();
  // Drawn with the screen's centre-bottom at (400, 300): the box at (310, 220).
  EXPECT_TRUE(Near(At(310, 220), kRed, 0));
  EXPECT_TRUE(Near(At(339, 249), kRed, 0));
  EXPECT_TRUE(Near(At(309, 220), kBlack, 0));
  EXPECT_TRUE(Near(At(410, 320), kBlack, 0));
  // Clicked as if the screen's top-left were at (400, 300).
  EXPECT_EQ(Hit(410, 320), box);
  EXPECT_EQ(Hit(315, 225), nullptr);
  // Two placeholders share the one screen.
  auto* second = Placeholder(0, 0, phLeft, pvTop);
  Frame();
  EXPECT_TRUE(Near(At(10, 20), kRed, 0));
  EXPECT_TRUE(Near(At(310, 220), kRed, 0));
  box->Color = kGreen;
  Frame();
  EXPECT_TRUE(Near(At(10, 20), kGreen, 0));
  EXPECT_TRUE(Near(At(310, 220), kGreen, 0));
  EXPECT_EQ(Hit(15, 25), box);
  second->SetObScreen(99);  // no such screen: nothing drawn, nothing hit, size 0
  Frame();
  EXPECT_TRUE(Near(At(10, 20), kBlack, 0));
  EXPECT_EQ(Hit(15, 25), nullptr);
  EXPECT_EQ(second->GetSizeX(), 0);
  second->Modal = true;
  EXPECT_EQ(Hit(15, 25), second);
}

TEST_F(ScreenTest, PlaceholderWidensItsLayersToTheScreens) {
  box->SetOrder(3);
  auto* ph = Placeholder(0, 0, phLeft, pvTop);
  auto* cover = Make<TQelShape>(screen, "TQelShape");  // layer 2: under the panel's box
  cover->SizeX = cover->SizeY = 100;
  cover->Color = kGreen;
  cover->SetOrder(2);
  Frame();
  EXPECT_EQ(ph->Order(), 0);
  EXPECT_EQ(ph->OrderMax(), 3);
  EXPECT_EQ(screen->OrderMax(), 3);
  EXPECT_TRUE(Near(At(5, 5), kGreen, 0));
  EXPECT_TRUE(Near(At(30, 40), kRed, 0));
  EXPECT_EQ(Hit(30, 40), box);
  EXPECT_EQ(Hit(5, 5), cover);
}

TEST_F(ScreenTest, ShowingAHiddenPlaceholderShowsItsScreenTwice) {
  auto* ph = Placeholder(0, 0, phLeft, pvTop);
  ph->SetEventSource(evShow, "slot shown");
  ph->SetVis(false);
  host.runs.clear();
  ph->SetVis(false);
  EXPECT_TRUE(host.runs.empty());
  ph->SetVis(true);
  EXPECT_EQ(host.runs, (std::vector<std::string>{"Panel:Show:panel shown", "Slot:Show:slot shown",
                                                 "Panel:Show:panel shown"}));
  host.runs.clear();
  ph->SetVis(true);
  EXPECT_TRUE(host.runs.empty());
}

TEST_F(ScreenTest, PlaceholderRunsItsScreensPasses) {
  auto* ph = Placeholder(0, 0, phLeft, pvTop);
  panel->SetEventSource(evProcess, "tick");
  panel->SetEventSource(evInit, "SET A");
  panel->SetEventSource(evUpdate, "upd");
  ph->Process();
  ph->Update();
  ph->Init();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"Panel:Process:tick", "Panel:Update:upd", "Panel:Init:SET A"}));
  EXPECT_TRUE(panel->Initialised);
  host.runs.clear();
  ph->Processing = false;
  ph->Process();
  EXPECT_TRUE(host.runs.empty());
  ph->Processing = true;
  ph->Vis = false;
  ph->Process();
  EXPECT_TRUE(host.runs.empty());
}

TEST_F(ScreenTest, APlaceholderInsideItsOwnScreenDoesNotRecurse) {
  auto* inner = Make<TQelExScreen>(panel, "TQelExScreen");
  inner->SetObScreen(2);
  inner->SetX(50);
  auto* ph = Placeholder(0, 0, phLeft, pvTop);
  Frame();
  EXPECT_TRUE(Near(At(10, 20), kRed, 0));
  EXPECT_TRUE(Near(At(60, 20), kRed, 0));  // the panel inside itself, once
  EXPECT_TRUE(Near(At(110, 20), kBlack, 0));
  EXPECT_EQ(Hit(15, 25), box);
  ph->Process();
  ph->Show();
}

TEST_F(ScreenTest, ModalScreenAbsorbsClicksOnItsLayer) {
  auto* low = Make<TQelShape>(screen, "TQelShape");
  low->SetOrder(2);
  auto* top = Make<TQelShape>(screen, "TQelShape");
  top->SetOrder(3);
  top->rX = 500;
  EXPECT_EQ(Hit(10, 10), low);
  screen->SetOrder(3);
  screen->Modal = true;
  EXPECT_EQ(Hit(10, 10), screen);  // layer 3 answers first; layer 2 is never asked
  EXPECT_EQ(Hit(510, 10), top);
  screen->Modal = false;
  EXPECT_EQ(Hit(10, 10), low);
}

TEST_F(ScreenTest, RenderScriptRunsOncePerFrameOnTheScreensLayer) {
  screen->SetEventSource(evRender, "draw");
  auto* high = Make<TQelShape>(screen, "TQelShape");
  high->SetOrder(4);
  host.runs.clear();
  Frame();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"Room:Render:draw"}));
  EXPECT_EQ(screen->ElementAt(4, 50, 50, 0, 0), high);
  EXPECT_EQ(screen->ElementAt(0, 50, 50, 0, 0), nullptr);
}

}  // namespace
}  // namespace qel::test
