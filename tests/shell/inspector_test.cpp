// The inspector, in-process on a headless device: what it says about the
// game, that it shows, and that the game never notices it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "elements/game_text.h"
#include "elements/kinds.h"
#include "elements/particles.h"
#include "elements/state_stream.h"
#include "shell/form_main.h"
#include "shell/screenshot.h"
#include "test_game.h"

namespace fs = std::filesystem;

namespace qel {
namespace {

using testgame::Values;

// Input of a test run: at step `step`, a move, or a press and release, at (x, y).
struct Input {
  int step;
  bool click;
  int x, y;
};

// A box that counts hovers and fails on a click, a picture that fails too,
// and a screen that draws random numbers at every step.
std::string Game() {
  const std::string box = testgame::Shape({{"Id", "\"Box\""}, {"rX", "10.0"}, {"rY", "20.0"}, {"SizeX", "30"},
                                           {"SizeY", "40"}, {"exMouseIn", "QELDB.HOVERS := QELDB.HOVERS + 1;"},
                                           {"exMouseDown", "Nope(1);"}});
  const std::string pic = testgame::Image({{"imImage", "\"pic.png\""}, {"rX", "600.0"}, {"rY", "100.0"},
                                           {"exMouseDown", "QELDB.HOVERS := QELDB.HOVERS div 0;"},
                                           {"exMouseMove", "QELDB.R := QELDB.R + Random(7);"}});
  const std::string sparks = "TQelEffect {\n Key = 70\n Id = \"Sparks\"\n X = 300\n Y = 300\n Vis = True\n"
                             " EffectFN = \"sparks.psi\"\n DAnim = 1.0\n Active = True\n}\n";
  const std::string screen =
      testgame::Screen({{"Key", "1"}, {"exProcess", "QELDB.R := Random(1000);"}}, box + pic + sparks);
  return testgame::Root({{"exInit", "HOVERS := 0; R := 0;"}}, screen);
}

class InspectorRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qel_inspector_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    start_ = fs::current_path();
    ByteString file;
    std::vector<TextProblem> problems;
    ASSERT_TRUE(PackGame(Game(), file, problems)) << problems[0].message;
    std::ofstream(dir_ / "game.qelf", std::ios::binary) << file;
    ASSERT_TRUE(WritePngRgb(dir_ / "pic.png", std::vector<uint32_t>(50 * 60, 0xFF80C040u), 50, 60));
    // Sixty particles a second that live 50 seconds, from an emitter that lives 100.
    std::string effect(EffectRecord::kSize, '\0');
    const int32_t emission = 60;
    const float lifetime = 100, life = 50;
    std::memcpy(&effect[16], &emission, 4);
    std::memcpy(&effect[20], &lifetime, 4);
    std::memcpy(&effect[24], &life, 4);
    std::memcpy(&effect[28], &life, 4);
    std::ofstream(dir_ / "sparks.psi", std::ios::binary) << effect;
  }
  void TearDown() override {
    form.reset();
    fs::current_path(start_);
    fs::remove_all(dir_);
  }

  void Start(bool inspector) {
    form.reset();
    FormSettings s;
    s.gameFile = dir_ / "game.qelf";
    s.headless = true;
    s.virtualClock = true;
    s.seed = 7;
    form = std::make_unique<TFormMain>(s);
    form->GameInspector().SetShown(inspector);
    ASSERT_TRUE(form->FormCreate());
    form->SkipLogos();
  }

  // Frames as a counted run makes them: the step's input, render, step.
  void Play(const std::vector<Input>& inputs, int steps) {
    for (int step = 0; step < steps; ++step) {
      for (const Input& in : inputs)
        if (in.step == step) {
          form->FormMouseMove(in.x, in.y);
          if (in.click) {
            form->FormMouseDown(in.x, in.y);
            form->FormMouseUp(in.x, in.y);
          }
        }
      form->RenderOnly();
      form->TimerProcess();
    }
    form->RenderOnly();
  }

  struct Outcome {
    ByteString state;
    uint32_t seed = 0;
    std::vector<uint32_t> game, shown;
  };
  Outcome Finish() {
    Outcome o;
    SaveState(*form->Root(), o.state);
    o.seed = form->runtime().script.RandSeed;
    EXPECT_TRUE(form->Device().ReadBackBuffer(o.game));
    EXPECT_TRUE(form->Device().ReadPresentedBuffer(o.shown));
    return o;
  }

  std::string Joined(const std::vector<OverlayLine>& lines) {
    std::string text;
    for (const OverlayLine& l : lines) text += l.text + "\n";
    return text;
  }

  std::unique_ptr<TFormMain> form;
  fs::path dir_, start_;
};

const std::vector<Input> kInputs = {{2, false, 20, 30},  {5, true, 25, 35},   {9, false, 620, 120},
                                    {12, true, 620, 130}, {15, false, 900, 700}, {20, true, 20, 30},
                                    {24, false, 610, 110}};

TEST_F(InspectorRun, TheGameNeverNoticesIt) {
  Start(false);
  Play(kInputs, 30);
  const Outcome plain = Finish();
  Start(false);
  form->ToggleInspector();  // what Ctrl+Alt+I does
  Play(kInputs, 30);
  const Outcome inspected = Finish();
  EXPECT_EQ(inspected.state, plain.state);  // the saved state stream, byte for byte
  EXPECT_EQ(inspected.seed, plain.seed);
  EXPECT_TRUE(inspected.game == plain.game);  // what screenshots take
  EXPECT_TRUE(plain.shown == plain.game);
  // The overlay is on the presented picture: its panels and the outline of the picture under the mouse.
  size_t changed = 0;
  for (size_t i = 0; i < plain.game.size(); ++i) changed += inspected.shown[i] != plain.game[i];
  EXPECT_GT(changed, 20000u);
  EXPECT_EQ(inspected.shown[static_cast<size_t>(130) * 1024 + 600], 0xFFFFE000u);  // left edge of the picture
  EXPECT_EQ(inspected.shown[static_cast<size_t>(130) * 1024 + 649], 0xFFFFE000u);  // its right edge
  if (const char* look = std::getenv("QEL_INSPECTOR_PICTURE")) WritePngRgb(look, inspected.shown, 1024, 768);
  // A paused game shows the key's effect at once, without a frame of the game.
  form->WMActivate(false);
  form->ToggleInspector();
  std::vector<uint32_t> shown;
  ASSERT_TRUE(form->Device().ReadPresentedBuffer(shown));
  EXPECT_TRUE(shown == inspected.game);
}

TEST_F(InspectorRun, WhatItSaysAboutTheElementUnderTheMouseAndTheErrors) {
  Start(true);
  Play(kInputs, 25);
  InspectorView view;
  view.root = form->Root();
  view.hovered = form->runtime().Resolve(form->runtime().shell.HoveredElement);
  view.mouseX = 610;
  view.mouseY = 110;
  const std::string element = Joined(form->GameInspector().ElementLines(view));
  for (const char* part : {"Under the mouse 610,110", "Test.Room.Pic\n", "TQelImage  Key 60  Order 2",
                           "at 600,100  size 50x60  (X 600, Y 100 in its parent)", "imImage PIC.PNG",
                           "Scripts exMouseMove exMouseDown", "Parents\n  Room <TQelScreen #1>  at 0,0  size 1024x768\n",
                           "  Test <TQelDB #0>\n"})
    EXPECT_NE(element.find(part), std::string::npos) << part << " in\n" << element;

  const auto* sparks = dynamic_cast<const TQelEffect*>(form->runtime().Resolve(form->runtime().shell.CurrentScreen)
                                                           ->FindChildById("Sparks"));
  ASSERT_TRUE(sparks && sparks->System());
  EXPECT_GT(sparks->System()->Count(), 20);
  Inspector counting(form->runtime());  // the player's own counted a moment ago and keeps that count a while
  EXPECT_EQ(counting.Particles(*form->Root()), sparks->System()->Count());

  const auto& errors = form->GameInspector().Errors();
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].path, "Test.Room.Box");  // newest first: the click at step 20
  EXPECT_EQ(errors[0].step, 20);
  EXPECT_EQ(errors[0].event, "ms_Down");
  EXPECT_EQ(errors[1].path, "Test.Room.Pic");
  EXPECT_EQ(errors[1].step, 12);
  EXPECT_EQ(errors[2].step, 5);
  EXPECT_NE(errors[0].message.find("NOPE"), std::string::npos) << errors[0].message;
  EXPECT_NE(errors[1].statement.find("DIV 0"), std::string::npos) << errors[1].statement;
  const std::string shown = Joined(form->GameInspector().ErrorLines(2));
  EXPECT_NE(shown.find("Script errors: 3, newest first\nstep 20  Test.Room.Box  ms_Down\n"), std::string::npos)
      << shown;
  EXPECT_EQ(shown.find("step 5 "), std::string::npos) << shown;  // only the two newest
}

}  // namespace
}  // namespace qel
