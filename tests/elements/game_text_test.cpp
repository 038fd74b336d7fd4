#include <gtest/gtest.h>

#include <cstring>

#include "elements/game_text.h"
#include "file_io_for_tests.h"
#include "record_builder.h"

namespace qel {
namespace {

using test::Record;

ByteString RoundTrip(const ByteString& file) {
  std::string text;
  std::vector<TextProblem> problems;
  EXPECT_TRUE(DumpGame(file, text, problems)) << (problems.empty() ? "" : problems[0].message);
  ByteString packed;
  EXPECT_TRUE(PackGame(text, packed, problems)) << (problems.empty() ? "" : problems[0].message) << "\n" << text;
  return packed;
}

TEST(GameText, DemoGameRoundTripsByteForByte) {
  ByteString file;
  std::vector<TextProblem> problems;
  ASSERT_TRUE(PackGame(test::ReadFile(QEL_DEMO_TEXT), file, problems));
  EXPECT_EQ(RoundTrip(file), file);
}

TEST(GameText, AwkwardValuesRoundTrip) {
  double nan;
  uint64_t bits = 0x7FF8000000000123ULL;
  std::memcpy(&nan, &bits, 8);
  Record text("TQelText");
  text.Common(-1, "Q\"uote\\ \x01\x98\xFF tab\t", 2147483647, -2147483647 - 1, true)
      .Int(-1)          // hxDrawFx as all bits
      .Int(0x00123456)  // hxColor1
      .Int(300)         // hxTrans1 beyond a byte, as stored
      .Int(0).Int(0).Int(7)  // MousedNotVis 7: not a plain Boolean
      .Str("")
      .Str("line 1\r\nline 2\r\n")       // exInit: CRLF block
      .Str("a\nb")                       // exAfterLoad: LF block
      .Str("mixed\r\nand\n")             // exMouseIn: no block
      .Str(">>>\r\nx")                   // exMouseOut: would end a block
      .Str("\r\n")
      .Int(0).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0)
      .Dbl(-0.0).Dbl(nan);
  Record image("TQelImage");
  image.Common(2, "I").Str("i.png").Int(1284).Int(5).Int(-1).Dbl(1e308).Dbl(5e-324);
  Record screen("TQelScreen");
  screen.Common(1, "S").Child(text).Child(image).RawChild(Record("TQelFoo").Int(1).Bytes()).Child(Record("TQelScreen"));
  ByteString file = Record("TQelDB").Common(0, "").Child(screen).Bytes();
  EXPECT_EQ(RoundTrip(file), file);
}

TEST(GameText, ScriptsAreWrittenAsBlocks) {
  ByteString file = Record("TQelDB").Common(0, "G").Int(1).Int(1).Str("").Str("A := 1;\r\nB := 2;").Bytes();
  std::string text;
  std::vector<TextProblem> problems;
  ASSERT_TRUE(DumpGame(file, text, problems));
  EXPECT_NE(text.find("  exInit = <<<\nA := 1;\nB := 2;\n>>>\n"), std::string::npos) << text;
}

TEST(GameText, PackReportsLinesOfMistakes) {
  struct Case {
    const char* text;
    size_t line;
    const char* message;
  };
  Case cases[] = {
      {"TQelDB {\n  Id = \"x\"\n}\n", 2, "expected property Key"},
      {"TQelDB {\n  Key = abc\n}\n", 2, "bad integer"},
      {"TQelDB {\n  Key = 1\n  TQelNope {\n  }\n}\n", 3, "unknown element class"},
      {"TQelDB {\n  Key = 1\n", 2, "not closed"},
      {"TQelDB {\n}\n}\n", 3, "text after the root"},
      {"TQelDB {\n  Key = 0\n  Id = \"a\n}\n", 3, "quoted string"},
      {"TQelDB {\n  Key = 0\n  Id = <<<\nno end\n", 3, "not closed with >>>"},
      {"TQelDB {\n  Key = 0\n  Id = \"\xE4\xB8\xAD\"\n}\n", 3, "no 8-bit form"},
  };
  for (const auto& c : cases) {
    ByteString file;
    std::vector<TextProblem> problems;
    EXPECT_FALSE(PackGame(c.text, file, problems)) << c.text;
    ASSERT_EQ(problems.size(), 1u) << c.text;
    EXPECT_EQ(problems[0].where, c.line) << c.text;
    EXPECT_NE(problems[0].message.find(c.message), std::string::npos) << problems[0].message;
  }
}

TEST(GameText, DumpOfMalformedFileSaysWhereAndKeepsWhatItRead) {
  ByteString good = Record("TQelDB").Common(0, "G").Child(Record("TQelScreen").Common(1, "S")).Bytes();
  ByteString cut = good.substr(0, good.size() - 5);
  std::string text;
  std::vector<TextProblem> problems;
  EXPECT_FALSE(DumpGame(cut, text, problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(text.find("Id = \"G\""), std::string::npos);
  EXPECT_LT(problems[0].where, cut.size());
}

// The root's class name is never read, so a file may hold any bytes there; the dump must
// not write a line the packer reads differently.
TEST(GameText, RootClassNamesThatAreNoLineOfText) {
  for (const char* name : {"TQel\nDB", "", " TQelDB", "TQelDB\t", "#TQelDB", "TQelDB\r"}) {
    SCOPED_TRACE(name);
    const std::string file = Record(name).Common(1, "G").Child(Record("TQelScreen").Int(2)).Bytes();
    std::string text;
    std::vector<TextProblem> problems;
    EXPECT_FALSE(DumpGame(file, text, problems));
    ByteString packed;
    std::vector<TextProblem> packProblems;
    ASSERT_TRUE(PackGame(text, packed, packProblems)) << text;
    EXPECT_EQ(packed, Record("TQelDB").Common(1, "G").Child(Record("TQelScreen").Int(2)).Bytes());
  }
  const std::string odd = Record("Any name { at all").Int(7).Bytes();
  std::string text;
  std::vector<TextProblem> problems;
  ASSERT_TRUE(DumpGame(odd, text, problems));
  ByteString packed;
  ASSERT_TRUE(PackGame(text, packed, problems));
  EXPECT_EQ(packed, odd);
}

}  // namespace
}  // namespace qel
