// The window's start-up, frame loop and input routing, run in-process on a
// headless device with a counted clock. Elements with plain rectangular hit
// tests stand in for pictures, so that routing is tested on its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "elements/game_text.h"
#include "elements/kinds.h"
#include "shell/form_main.h"
#include "test_game.h"

namespace fs = std::filesystem;

namespace qel {
namespace {

using testgame::Values;

// An image that is hit inside its own SizeX x SizeY rectangle on its layer.
class Box : public TQelImage {
 public:
  int w = 10, h = 10;
  TQelElement* ElementAt(int32_t layer, int32_t x, int32_t y, int32_t, int32_t) override {
    if (!Vis || layer != Order()) return nullptr;
    return x >= X() && x < X() + w && y >= Y() && y < Y() + h ? this : nullptr;
  }
};

class Form : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qel_form_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    start_ = fs::current_path();
  }
  void TearDown() override {
    form.reset();
    fs::current_path(start_);
    fs::remove_all(dir_);
  }

  // Starts a game of a root and its screens; the root's LOG collects what scripts report.
  void Start(Values root, const std::string& screens, bool testMode = false) {
    if (!root.count("exInit")) root["exInit"] = "LOG := '';";
    ByteString file;
    std::vector<TextProblem> problems;
    ASSERT_TRUE(PackGame(testgame::Root(root, screens), file, problems)) << problems[0].message;
    std::ofstream(dir_ / "game.qelf", std::ios::binary) << file;
    FormSettings s;
    s.gameFile = dir_ / "game.qelf";
    s.headless = true;
    s.virtualClock = true;
    s.testMode = testMode;
    s.seed = 7;
    form = std::make_unique<TFormMain>(s);
    ASSERT_TRUE(form->FormCreate());
  }
  void Play() { form->SkipLogos(); }

  TQelDB& root() { return *form->Root(); }
  ShellState& shell() { return form->runtime().shell; }
  TQelElement* Find(const char* id) { return root().FindChildById(id); }
  std::string Log() {
    const TVar* v = root().Vars ? root().Vars->Find("LOG") : nullptr;
    return v ? v->Value.ToString() : "<none>";
  }
  void ClearLog() { root().Vars->Find("LOG")->Value = Variant::String(""); }

  // A box on the current screen that writes its events into the root's LOG.
  Box* AddBox(const std::string& name, int x, int y, bool pressScript = true) {
    auto box = std::make_unique<Box>();
    box->SetId(name);
    box->rX = x;
    box->rY = y;
    box->Vis = true;
    box->SetOrder(1);
    Box* raw = static_cast<Box*>(form->runtime().Resolve(shell().CurrentScreen)->AddChild(std::move(box)));
    auto report = [&](const char* what) { return "QELDB.LOG := QELDB.LOG + '" + std::string(what) + name + "';"; };
    raw->SetEventSource(evMouseIn, report("i"));
    raw->SetEventSource(evMouseOut, report("o"));
    raw->SetEventSource(evMouseUp, report("u"));
    if (pressScript) raw->SetEventSource(evMouseDown, report("d"));
    return raw;
  }

  std::unique_ptr<TFormMain> form;
  fs::path dir_, start_;
};

std::string Room(const Values& extra = {}) {
  Values v = {{"Key", "1"}, {"Id", "\"Room\""}};
  v.insert(extra.begin(), extra.end());
  return testgame::Screen(v);
}

TEST_F(Form, WithoutLogosInitAtStep19AndPlayAfterStep102) {
  Start({{"exInit", "LOG := 'init';"}}, Room({{"exProcess", "QELDB.LOG := QELDB.LOG + '.';"},
                                               {"exShow", "QELDB.LOG := QELDB.LOG + 'show';"}}));
  for (int step = 1; step <= 18; ++step) form->TimerProcess();
  EXPECT_EQ(Log(), "<none>");
  EXPECT_EQ(form->LogoIndex(), 10);
  EXPECT_EQ(form->LogoFrame(), 17);
  form->TimerProcess();  // step 19: LogoFrame 18
  EXPECT_EQ(Log(), "init");
  for (int step = 20; step <= 101; ++step) form->TimerProcess();
  EXPECT_EQ(form->LogoIndex(), 10);
  form->TimerProcess();  // step 102 ends the sequence
  EXPECT_EQ(form->LogoIndex(), -1);
  EXPECT_EQ(Log(), "initshow");
  form->TimerProcess();
  EXPECT_EQ(Log(), "initshow.");
  EXPECT_EQ(shell().FrameTick, 103);
}

TEST_F(Form, APressDuringALogoOnlyShortensIt) {
  Start({}, Room());
  for (int step = 1; step <= 10; ++step) form->TimerProcess();
  form->FormMouseDown(5, 5);  // LogoFrame 9: too early
  EXPECT_EQ(form->LogoFrame(), 9);
  for (int step = 11; step <= 40; ++step) form->TimerProcess();
  form->FormMouseDown(5, 5);
  EXPECT_EQ(form->LogoFrame(), 83);
  EXPECT_FALSE(shell().MouseCaptured);
  for (int step = 0; step < 17; ++step) form->TimerProcess();
  EXPECT_EQ(form->LogoFrame(), 100);
  form->TimerProcess();
  EXPECT_EQ(form->LogoIndex(), -1);
}

TEST_F(Form, PressProbesNinePointsAroundThePointer) {
  Start({{"exMouseDown", "LOG := LOG + 'D';"}, {"exMouseUp", "LOG := LOG + 'U';"}}, Room());
  Play();
  AddBox("A", 100, 100);
  ClearLog();
  // Two pixels left of the box: the probe finds it, the true position leaves it again.
  form->FormMouseDown(98, 105);
  EXPECT_EQ(Log(), "iAdADoA");
  EXPECT_TRUE(shell().MouseCaptured);
  EXPECT_EQ(shell().MouseX, 98);
  ClearLog();
  form->FormMouseUp(98, 105);
  EXPECT_EQ(Log(), "U");
  EXPECT_FALSE(shell().MouseCaptured);
}

TEST_F(Form, AProbeWithoutAPressScriptGoesOnToTheLastPoint) {
  Start({}, Room());
  Play();
  Box* a = AddBox("A", 100, 100, false);
  ClearLog();
  // Only the last probe, (100, 101), reaches the box, which has no press script.
  form->FormMouseDown(98, 99);
  EXPECT_EQ(Log(), "iAoA");
  EXPECT_EQ(shell().PressedElement, a->Handle());  // pressed at the last probe
  EXPECT_EQ(shell().HoveredElement, 0u);           // the true position hovers nothing
}

TEST_F(Form, MsKeepHoldsTheHoverUntilRelease) {
  Start({}, Room());
  Play();
  Box* a = AddBox("A", 100, 100);
  a->MsKeep = true;
  ClearLog();
  form->FormMouseDown(105, 105);
  form->FormMouseMove(300, 300);
  EXPECT_EQ(Log(), "iAdA");
  EXPECT_EQ(shell().HoveredElement, a->Handle());
  form->FormMouseUp(300, 300);
  // The release counts over the kept element; hovering follows the pointer at the next move.
  EXPECT_EQ(Log(), "iAdAuA");
  EXPECT_FALSE(shell().MouseCaptured);
  form->FormMouseMove(301, 300);
  EXPECT_EQ(Log(), "iAdAuAoA");
}

TEST_F(Form, PressOnAReleaseOnBReachesOnlyTheRoot) {
  Start({{"exMouseUp", "LOG := LOG + 'U';"}}, Room());
  Play();
  AddBox("A", 100, 100);
  Box* b = AddBox("B", 200, 100);
  ClearLog();
  form->FormMouseDown(105, 105);
  form->FormMouseMove(205, 105);
  form->FormMouseUp(205, 105);
  EXPECT_EQ(Log(), "iAdAoAiBU");
  // With NoMsQelDB on B the root hears nothing either.
  b->NoMsQelDB = true;
  ClearLog();
  form->FormMouseDown(105, 105);
  form->FormMouseUp(205, 105);
  EXPECT_EQ(Log(), "oBiAdAoAiB");
}

TEST_F(Form, NoInputReachesTheGameWhileLoadingOrPaused) {
  Start({{"exMouseDown", "LOG := LOG + 'D';"}}, Room());
  Play();
  AddBox("A", 100, 100);
  ClearLog();
  shell().LoadingMode = true;
  form->FormMouseDown(105, 105);
  form->FormMouseMove(105, 105);
  EXPECT_EQ(Log(), "");
  shell().LoadingMode = false;
  form->WMActivate(false);
  EXPECT_FALSE(form->Timer().Enabled());
  form->FormMouseMove(105, 105);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(shell().MouseX, 105);
  form->WMActivate(true);
  EXPECT_TRUE(form->Timer().Enabled());
  form->FormMouseMove(105, 106);
  EXPECT_EQ(Log(), "iA");
}

TEST_F(Form, KeysReachTheRootAndAltEnterTogglesTheMode) {
  Start({{"exKeyDown", "LOG := LOG + IntToStr(KEYDOWNED) + ' ';"}}, Room());
  Play();
  ClearLog();
  const bool full = shell().FullScreen;
  form->FormKeyDown(65, false, true, true);
  form->FormKeyDown(13, true, false, false);
  EXPECT_NE(shell().FullScreen, full);
  EXPECT_EQ(form->Device().Windowed(), !shell().FullScreen);
  form->FormKeyDown(13, true, true, false);  // Ctrl+Alt+Enter does not toggle
  EXPECT_NE(shell().FullScreen, full);
  EXPECT_EQ(Log(), "65 13 13 ");
}

TEST_F(Form, TestModeKeepsTheWindow) {
  Start({}, Room(), true);
  Play();
  shell().FullScreen = true;  // as FULLSCREEN := 1 from a script
  form->TimerProcess();
  EXPECT_FALSE(shell().FullScreen);
  EXPECT_TRUE(form->Device().Windowed());
  form->FormKeyDown(13, true, false, false);
  EXPECT_FALSE(shell().FullScreen);
}

TEST_F(Form, AScriptsDisplayModeIsAppliedWithinOneStep) {
  Start({}, Room());
  Play();
  shell().FullScreen = true;
  form->TimerProcess();
  EXPECT_FALSE(form->Device().Windowed());
  shell().FullScreen = false;
  form->TimerProcess();
  EXPECT_TRUE(form->Device().Windowed());
}

TEST_F(Form, TypedCharactersEditTheFocusedTextInBothModes) {
  Start({}, Room());
  Play();
  auto text = std::make_unique<TQelText>();
  TQelText* t = static_cast<TQelText*>(form->runtime().Resolve(shell().CurrentScreen)->AddChild(std::move(text)));
  shell().FocusedText = t->Handle();
  for (uint16_t c : {uint16_t('a'), uint16_t(0x44F), uint16_t('#'), uint16_t('x')}) form->WMChar(c);
  EXPECT_EQ(t->Text, "a\xFFx");
  form->WMChar(8);
  EXPECT_EQ(t->Text, "a\xFF");
  t->Text.clear();
  root().UnicodeMode = true;
  for (uint16_t c : {uint16_t('a'), uint16_t(0x44F), uint16_t('x'), uint16_t('#')}) form->WMChar(c);
  EXPECT_EQ(t->Text, std::string("a\x01\x4F\x04#", 5));
  form->WMChar(8);
  EXPECT_EQ(t->Text, "a\x01\x4F\x04");
  form->WMChar(8);
  EXPECT_EQ(t->Text, "a");
}

std::string TwoScreens(const std::string& loading = "") {
  return Room({{"exShow", "QELDB.LOG := QELDB.LOG + 'show1 ';"}}) +
         testgame::Screen({{"Key", "2"}, {"Id", "\"Second\""},
                           {"exShow", "QELDB.LOG := QELDB.LOG + 'show2 ';"}}) +
         loading;
}

TEST_F(Form, AFullSwitchWithoutALoadingScreenEndsAtTheNextStep) {
  Start({{"exKeyDown", "SetScreen(Second);"}, {"exSetScreen", "LOG := LOG + 'set ';"}}, TwoScreens());
  Play();
  ClearLog();
  TQelElement* first = Find("Room");
  form->FormMouseMove(10, 10);
  form->FormKeyDown(32, false, false, false);
  EXPECT_TRUE(shell().LoadingMode);
  EXPECT_EQ(shell().CurrentScreen, first->Handle());
  EXPECT_EQ(shell().PendingScreen, Find("Second")->Handle());
  EXPECT_EQ(Log(), "");
  form->TimerProcess();
  EXPECT_FALSE(shell().LoadingMode);
  EXPECT_EQ(shell().CurrentScreen, Find("Second")->Handle());
  EXPECT_EQ(shell().ImagesForLoadCount, 1);
  EXPECT_EQ(Log(), "set show2 ");
}

TEST_F(Form, AFullSwitchThroughTheLoadingScreen) {
  const std::string loading = testgame::Screen(
      {{"Key", "3"}, {"Id", "\"Loading\""},
       {"exInit", "N := 0;"},
       {"exProcess", "N := N + 1; QELDB.LOG := QELDB.LOG + 'p' + IntToStr(N) + ' '; "
                     "IF N = 2 THEN BEGIN LoadIm; EndLoadIm; END;"}});
  Start({{"LoadingScreen", "3"}, {"exKeyDown", "SetScreen(Second);"}, {"exSetScreen", "LOG := LOG + 'set ';"}},
        TwoScreens(loading));
  Play();
  ClearLog();
  form->FormKeyDown(32, false, false, false);
  form->TimerProcess();
  EXPECT_TRUE(shell().LoadingMode);
  EXPECT_EQ(shell().CurrentScreen, Find("Room")->Handle());
  form->TimerProcess();
  EXPECT_FALSE(shell().LoadingMode);
  EXPECT_EQ(shell().CurrentScreen, Find("Second")->Handle());
  EXPECT_EQ(Log(), "p1 p2 set show2 ");
  // The next switch starts the loading screen afresh (SetScreen re-initialises it).
  ClearLog();
  root().exKeyDown.source.clear();
  form->FormKeyDown(32, false, false, false);
  EXPECT_EQ(Log(), "");
}

TEST_F(Form, FastSwitchesAtOnce) {
  Start({{"exKeyDown", "IF KEYDOWNED = 49 THEN FastSetScreen(Second) ELSE FastSetScreenNS(Room);"},
         {"exSetScreen", "LOG := LOG + 'set ';"}},
        TwoScreens());
  Play();
  ClearLog();
  form->FormKeyDown(49, false, false, false);
  EXPECT_EQ(shell().CurrentScreen, Find("Second")->Handle());
  EXPECT_FALSE(shell().LoadingMode);
  EXPECT_EQ(Log(), "set show2 ");
  form->FormKeyDown(50, false, false, false);
  EXPECT_EQ(shell().CurrentScreen, Find("Room")->Handle());
  EXPECT_EQ(Log(), "set show2 ");
}

TEST_F(Form, ExitRequestClosesAtTheEndOfTheStepAfterTheExitScript) {
  Start({{"exExit", "X := Random(1000);"}}, Room());
  Play();
  const uint32_t seed = form->runtime().script.RandSeed;
  shell().ExitRequested = true;
  form->TimerProcess();
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(form->Root(), nullptr);
  EXPECT_NE(form->runtime().script.RandSeed, seed);  // the exit script ran
  form->TimerProcess();
  EXPECT_EQ(shell().FrameTick, 1);  // nothing more runs after the close
}

TEST_F(Form, ANoticeIsPresentedForItsTimeAndNeverInTheBackBuffer) {
  Start({}, testgame::Screen({{"Key", "1"}}, testgame::Shape({{"hxColor", "$336699"}, {"SizeX", "1024"}, {"SizeY", "768"}})));
  Play();
  std::vector<uint32_t> game, shown;
  form->RenderOnly();
  ASSERT_TRUE(form->Device().ReadBackBuffer(game));
  form->ShowNotice("Report saved", 0.5);
  form->RenderOnly();
  std::vector<uint32_t> withNotice;
  ASSERT_TRUE(form->Device().ReadBackBuffer(withNotice));
  ASSERT_TRUE(form->Device().ReadPresentedBuffer(shown));
  EXPECT_EQ(withNotice, game);
  EXPECT_NE(shown, game);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  form->RenderOnly();
  ASSERT_TRUE(form->Device().ReadPresentedBuffer(shown));
  EXPECT_EQ(shown, game);
}

}  // namespace
}  // namespace qel
