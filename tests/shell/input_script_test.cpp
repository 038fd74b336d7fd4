#include <gtest/gtest.h>

#include "shell/input_script.h"

namespace qel {
namespace {

TEST(InputScript, ReadsEveryEventKind) {
  const auto s = ParseInputScript(
      "# a recorded run\n"
      "0 move 10 20\n"
      "5 down 11 21   # pressed\n"
      "5 up -3 800\n"
      "7 key 13 alt\n"
      "7 key 65 ctrl shift alt\n"
      "8 char 1103\r\n"
      "9 activate 0\n"
      "\n"
      "9 activate 1\n");
  EXPECT_TRUE(s.problems.empty());
  ASSERT_EQ(s.events.size(), 8u);
  EXPECT_EQ(s.events[1].kind, InputKind::Down);
  EXPECT_EQ(s.events[2].y, 800);
  EXPECT_EQ(s.events[2].x, -3);
  EXPECT_TRUE(s.events[3].alt);
  EXPECT_FALSE(s.events[3].ctrl);
  EXPECT_TRUE(s.events[4].alt && s.events[4].ctrl && s.events[4].shift);
  EXPECT_EQ(s.events[5].code, 1103);
  EXPECT_EQ(s.events[6].code, 0);
  EXPECT_EQ(s.events[7].code, 1);
}

TEST(InputScript, BadLinesAreSkippedAndNamed) {
  const auto s = ParseInputScript(
      "1 move 10\n"         // too few
      "x move 1 2\n"        // no step
      "-1 move 1 2\n"       // negative step
      "2 jump 1 2\n"        // unknown event
      "3 key 300\n"         // no such key
      "3 key 13 meta\n"     // unknown modifier
      "4 char 70000\n"      // not a code unit
      "5 activate 2\n"
      "6 move 1 2 3\n"      // too many
      "99999999999999999999 move 1 2\n"
      "7 move 5 6\n");
  ASSERT_EQ(s.events.size(), 1u);
  EXPECT_EQ(s.events[0].step, 7);
  ASSERT_EQ(s.problems.size(), 10u);
  EXPECT_EQ(s.problems[0].line, 1);
  EXPECT_EQ(s.problems[9].line, 10);
}

TEST(InputScript, EventsComeInStepOrderKeepingFileOrderWithinAStep) {
  const auto s = ParseInputScript("5 move 1 1\n2 move 2 2\n5 move 3 3\n2 move 4 4\n");
  ASSERT_EQ(s.events.size(), 4u);
  EXPECT_EQ(s.events[0].x, 2);
  EXPECT_EQ(s.events[1].x, 4);
  EXPECT_EQ(s.events[2].x, 1);
  EXPECT_EQ(s.events[3].x, 3);
}

TEST(InputScript, WrittenLinesReadBackTheSame) {
  std::vector<InputEvent> events;
  InputEvent e;
  e.step = 3, e.kind = InputKind::Move, e.x = -5, e.y = 1000;
  events.push_back(e);
  e = {}, e.step = 4, e.kind = InputKind::Key, e.code = 83, e.ctrl = true, e.alt = true;
  events.push_back(e);
  e = {}, e.step = 4, e.kind = InputKind::Char, e.code = 0xFFFF;
  events.push_back(e);
  e = {}, e.step = 9, e.kind = InputKind::Activate, e.code = 1;
  events.push_back(e);
  std::string text;
  for (const InputEvent& ev : events) text += FormatInputEvent(ev) + "\n";
  const auto back = ParseInputScript(text);
  EXPECT_TRUE(back.problems.empty());
  EXPECT_EQ(back.events, events);
}

}  // namespace
}  // namespace qel
