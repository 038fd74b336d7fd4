// The case reader: a case that cannot be read must fail, never pass silently.
#include "case_file.h"

#include <gtest/gtest.h>

namespace qel::e2e {
namespace {

TEST(CaseFile, RunsCollectTheirInputChecksAndPictures) {
  const DemoCase c = ParseCase(
      "# two runs\n"
      "run --frames 20   # comment\n"
      "write demo.ini Muz = 0\n"
      "5 click 10 20\n"
      "6 key 65 shift\n"
      "pixel 7 1 2 #A0B0C0 3\n"
      "silent 1 6\n"
      "run --frames 9\n"
      "status 2\n"
      "changed 1:7 end 0 0 10 10\n"
      "stderr  a.sav: cut  short \n"
      "like 1 2 4 0.5 1\n"
      "env QEL_NO_FAST_PATHS=1\n"
      "same-sound 1\n");
  ASSERT_TRUE(c.problems.empty()) << c.problems[0];
  ASSERT_EQ(c.runs.size(), 2u);
  const RunSpec& a = c.runs[0];
  EXPECT_EQ(a.options, " --frames 20   ");
  EXPECT_EQ(a.input, "5 move 10 20\n5 down 10 20\n5 up 10 20\n6 key 65 shift\n");
  EXPECT_EQ(a.writes, (std::vector<std::pair<std::string, std::string>>{{"demo.ini", "Muz = 0"}}));
  EXPECT_TRUE(a.audio);
  // The second run's comparison makes the first run take its picture too.
  EXPECT_EQ(a.shots, (std::vector<std::string>{"7"}));
  ASSERT_EQ(a.checks.size(), 2u);
  EXPECT_EQ(a.checks[0].colour, 0xA0B0C0u);
  EXPECT_EQ(a.checks[0].tolerance, 3);
  EXPECT_EQ(a.checks[0].line, 6);
  const RunSpec& b = c.runs[1];
  EXPECT_EQ(b.status, 2);
  EXPECT_TRUE(b.audio);
  EXPECT_EQ(b.shots, (std::vector<std::string>{"end"}));
  EXPECT_EQ(b.env, " QEL_NO_FAST_PATHS=1");
  ASSERT_EQ(b.checks.size(), 4u);
  EXPECT_EQ(b.checks[0].a, (ShotRef{0, "7"}));
  EXPECT_EQ(b.checks[0].b, (ShotRef{1, "end"}));
  EXPECT_EQ(b.checks[1].words, (std::vector<std::string>{"a.sav: cut  short"}));
  EXPECT_EQ(b.checks[2].otherRun, 0);
  EXPECT_EQ(b.checks[2].low, 0.5);
  EXPECT_EQ(b.checks[3].kind, CheckKind::SameSound);
  EXPECT_EQ(b.checks[3].otherRun, 0);
}

TEST(CaseFile, WhatCannotBeReadIsAProblemWithItsLine) {
  for (const char* bad : {"pixel 1 2 3 #12345\n", "pixel 1 2 3\n", "5 hop 1 2\n", "changed 2:1 1 0 0 1 1\n",
                          "silent 0 5\n", "peak 1 5 9 3\n", "peak 1 5 9\n", "like 1 1 5 0 1\n", "same-sound 1\n",
                          "env X\n", "some 1 0 0 0 5 #000000\n", "file a.txt gone\n", "frobnicate\n"}) {
    const DemoCase c = ParseCase(std::string("run\n") + bad);
    ASSERT_EQ(c.problems.size(), 1u) << bad;
    EXPECT_EQ(c.problems[0].rfind("2: ", 0), 0u) << c.problems[0];
  }
  EXPECT_EQ(ParseCase("pixel 1 2 3 #000000\n").problems.size(), 2u);  // before any run, and no run
}

}  // namespace
}  // namespace qel::e2e
