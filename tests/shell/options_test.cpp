#include <gtest/gtest.h>

#include "shell/options.h"

namespace qel {
namespace {

ParsedOptions Parse(std::vector<std::string> args) { return ParsePlayerOptions(args); }

TEST(PlayerOptions, EveryOptionInItsForm) {
  const auto p = Parse({"--headless", "--frames", "120", "--screenshot", "end.png", "--screenshot-at", "0:first.png",
                        "--screenshot-at", "19:init.png", "--skip-logos", "--replay", "in.txt", "--record",
                        "out.txt", "--audio-out", "run.wav", "--seed", "42", "--now", "45356.5", "--windowed",
                        "--script-budget", "1000", "game.qelf", "/testmode"});
  ASSERT_EQ(p.error, "");
  const PlayerOptions& o = p.options;
  EXPECT_TRUE(o.headless);
  EXPECT_EQ(o.frames, 120);
  EXPECT_EQ(o.screenshot, "end.png");
  ASSERT_EQ(o.screenshotsAt.size(), 2u);
  EXPECT_EQ(o.screenshotsAt[1].step, 19);
  EXPECT_EQ(o.screenshotsAt[1].file, "init.png");
  EXPECT_TRUE(o.skipLogos);
  EXPECT_EQ(o.replay, "in.txt");
  EXPECT_EQ(o.record, "out.txt");
  EXPECT_EQ(o.audioOut, "run.wav");
  EXPECT_EQ(o.seed, 42u);
  EXPECT_DOUBLE_EQ(*o.now, 45356.5);
  EXPECT_EQ(o.windowed, true);
  EXPECT_EQ(o.scriptBudget, 1000);
  EXPECT_EQ(o.game, "game.qelf");
  EXPECT_TRUE(o.testMode);
  EXPECT_TRUE(o.VirtualClock());
}

// A report's replay plays with the options of its run that change the game, and only those.
TEST(PlayerOptions, PlayOptionsReadBackAsTheSame) {
  const auto p = Parse({"--headless", "--fullscreen", "--skip-logos", "--script-budget", "50", "--seed", "3",
                        "--frames", "9", "--replay-report", "dir", "--game", "g.qelf", "/TESTMODE"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.replayReport, "dir");
  EXPECT_EQ(p.options.game, "g.qelf");
  const auto play = PlayOptionsOf(p.options);
  EXPECT_EQ(play, (std::vector<std::string>{"--fullscreen", "--skip-logos", "--script-budget", "50", "/TESTMODE"}));
  EXPECT_EQ(PlayOptionsOf(Parse(play).options), play);
}

TEST(PlayerOptions, TestModeOnlyWhereTheFirstParameterStands) {
  EXPECT_TRUE(Parse({"/TESTMODE"}).options.testMode);
  EXPECT_TRUE(Parse({"/TestMode"}).options.testMode);
  EXPECT_TRUE(Parse({"g.qelf", "/TESTMODE"}).options.testMode);
  EXPECT_FALSE(Parse({"g.qelf"}).options.testMode);
  EXPECT_NE(Parse({"g.qelf", "/TESTMODE", "other"}).error, "");
  // Only the first parameter is examined: nothing may follow the switch.
  const auto p = Parse({"/TESTMODE", "g.qelf"});
  EXPECT_NE(p.error, "");
}

TEST(PlayerOptions, BadLinesAreRefusedWithAReason) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--frames"}, {"--frames", "-1"}, {"--frames", "12x"}, {"--seed", "99999999999"},
           {"--screenshot-at", "12"}, {"--screenshot-at", "x:f.png"}, {"--screenshot-at", "3:"},
           {"--now", "yesterday"}, {"--bogus"}, {"a.qelf", "b.qelf"}, {"--replay"}, {"--screenshot", ""},
           {"--game", "a.qelf", "b.qelf"}, {"--replay-report", "r", "--replay", "in.txt"}}) {
    EXPECT_NE(Parse(args).error, "") << args[0];
  }
}

TEST(PlayerOptions, HelpNamesEveryOption) {
  const std::string help = PlayerHelpText();
  for (const char* name : {"--windowed", "--fullscreen", "--headless", "--frames", "--screenshot ", "--screenshot-at",
                           "--skip-logos", "--replay", "--record", "--audio-out", "--seed", "--now", "--version",
                           "--help", "--script-budget", "/TESTMODE", "--replay-report", "--game"})
    EXPECT_NE(help.find(name), std::string::npos) << name;
}

}  // namespace
}  // namespace qel
