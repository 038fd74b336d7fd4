// qeltool lint on small games written into a temporary directory: a clean
// game says nothing, and each planted problem is reported once, on its element.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "elements/game_text.h"
#include "lint.h"
#include "qeltool_render.h"
#include "render/res_db.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

// The parts of a small game a case may change; the defaults lint clean.
struct TestGame {
  std::string initScreen = "1", loadingScreen = "0";
  std::string lang = "eng.lng", soundFile = "sounds.ini", fileFonts = "game.res";
  std::string rootScript =
      "USES 'lib\\\\common.txt';\n"
      "Greet();\n"
      "PlaySnd('click');\n"
      "PlayMuz('Music.theme');\n"
      "T := GetText('Hello');\n"
      "T := \"Hello\";\n"
      "QELDB.ROOM.DOOR.VIS := TRUE;\n"
      "IF QELDB.ROOM.DOOR.X > 0 THEN T := '';\n"
      "FOR I := 1 TO 2 DO T := T + IntToStr(I);\n";
  std::string imBack = "pics\\\\room.png";
  std::string screenScript = "COUNT := 0;\nDOOR.X := 5;\nSetScreen(QELDB.ROOM);\n";
  std::string imImage = "pics\\\\door.png";
  std::string doorScript = "PARENT.COUNT := PARENT.COUNT + 1;\n.COUNT := 2;\n";
  std::string font = "Sans16", textId = "Hello";
  std::string effect = "fx\\\\sparks.psi";
  std::string moreElements;  // game text of further children of the screen
};

std::string Script(const std::string& source) { return "<<<\n" + source + ">>>"; }

std::string GameText(const TestGame& g) {
  return "TQelDB {\n Key = 0\n Id = \"G\"\n X = 0\n Y = 0\n Vis = True\n CurKey = 9\n InitScreen = " +
         g.initScreen + "\n exVarRS = \"\"\n exInit = " + Script(g.rootScript) +
         "\n exAfterLoad = \"\"\n exMouseDown = \"\"\n exMouseUp = \"\"\n exUpdate = \"\"\n exProcess = \"\"\n"
         " FileRS = \"\"\n FileFonts = \"" + g.fileFonts + "\"\n hxTransLev = 0\n DefLang = \"\"\n Lang = \"" +
         g.lang + "\"\n LoadingScreen = " + g.loadingScreen +
         "\n NotSave = False\n exLoadImProcess = \"\"\n IniFile = \"\"\n SoundFile = \"" + g.soundFile + "\"\n"
         " TQelScreen {\n  Key = 1\n  Id = \"Room\"\n  X = 0\n  Y = 0\n  Vis = True\n  ImBack = \"" + g.imBack +
         "\"\n  SizeX = 1024\n  SizeY = 768\n  hxDrawFx = 1\n  Agro = 2\n  Modal = False\n  exInit = " +
         Script(g.screenScript) +
         "\n  TQelImage {\n   Key = 3\n   Id = \"Door\"\n   X = 700\n   Y = 300\n   Vis = True\n   imImage = \"" +
         g.imImage +
         "\"\n   hxDrawFx = 1284\n   PosHor = phCenter\n   PosVert = pvCenter\n   Scale = 1.0\n   Angle = 0.0\n"
         "   hxColor = $FFFFFF\n   hxTrans = 255\n   MousedNotVis = False\n   exVarRS = \"\"\n   exInit = \"\"\n"
         "   exAfterLoad = \"\"\n   exMouseIn = \"\"\n   exMouseOut = \"\"\n   exMouseMove = \"\"\n   exMouseDown = " +
         Script(g.doorScript) +
         "\n   TQelText {\n    Key = 4\n    Id = \"Sign\"\n    X = 0\n    Y = 0\n    Vis = True\n    hxDrawFx = 1284\n"
         "    hxColor1 = $FFE080\n    hxTrans1 = 255\n    hxColor2 = $C08040\n    hxTrans2 = 255\n"
         "    MousedNotVis = False\n    exVarRS = \"\"\n    exInit = \"\"\n    exAfterLoad = \"\"\n    exMouseIn = \"\"\n"
         "    exMouseOut = \"\"\n    exMouseMove = \"\"\n    exMouseDown = \"\"\n    exMouseUp = \"\"\n"
         "    exUpdate = \"\"\n    exProcess = \"\"\n    MousedVis = False\n    NoMsQelDB = False\n    Order = 2\n"
         "    rX = 0.0\n    rY = 0.0\n    SizeX = 120\n    SizeY = 40\n    Font = \"" + g.font +
         "\"\n    PosHor = phCenter\n    PosVert = pvCenter\n    TextId = \"" + g.textId + "\"\n   }\n  }\n"
         "  TQelEffect {\n   Key = 7\n   Id = \"Sparks\"\n   X = 0\n   Y = 0\n   Vis = True\n   EffectFN = \"" +
         g.effect + "\"\n  }\n" + g.moreElements + " }\n}\n";
}

class Lint : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qel_lint_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    Write("eng.lng", "[Default]\r\nTitle=Game\r\nHello=Hello\r\n");
    Write("sounds.ini", "[Default]\r\nclick=80:click.wav\r\ngone=gone.wav\r\n[Music]\r\ntheme=theme.ogg\r\nalt=alt.ogg\r\n"
          "[Knocks]\r\nknock=Knock.WAV\r\n");
    Write("SOUNDS/alt.ogg", "OggS");
    Write("sounds/click.wav", "RIFF");
    Write("sounds/theme.ogg", "OggS");
    Write("sounds/knock.wav", "RIFF");
    Write("pics/room.png", "png");
    Write("pics/door.png", "png");
    Write("fx/sparks.psi", std::string(136, '\0'));
    Write("lib/common.txt", "PROCEDURE GREET(); BEGIN END;\n");
    std::string error;
    ASSERT_TRUE(AddArchiveRecord((dir_ / "game.res").string(), "Sans16", TResDb::kTypeFont, "font", error)) << error;
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& bytes) {
    fs::create_directories((dir_ / name).parent_path());
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }

  // The problems of the game, one "PATH: message" each.
  std::vector<std::string> Run(const TestGame& game) {
    ByteString file;
    std::vector<TextProblem> problems;
    EXPECT_TRUE(PackGame(GameText(game), file, problems)) << (problems.empty() ? "" : problems[0].message);
    std::ofstream(dir_ / "game.qelf", std::ios::binary) << file;
    std::vector<std::string> lines;
    for (const LintProblem& p : LintGame(dir_ / "game.qelf")) lines.push_back(LintLine(p));
    return lines;
  }

  fs::path dir_;
};

using Lines = std::vector<std::string>;

TEST_F(Lint, CleanGameHasNoProblemsAndLeavesTheDirectoryAlone) {
  auto before = std::distance(fs::recursive_directory_iterator(dir_), {});
  EXPECT_EQ(Run(TestGame{}), Lines{});
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir_), {}), before + 1);  // only game.qelf
}

TEST_F(Lint, ReportsScriptErrorsAndUnknownCalls) {
  TestGame g;
  g.rootScript += "X := (1 + ;\nNoSuchFn(1);\nGreet2();\n";
  Lines got = Run(g);
  ASSERT_EQ(got.size(), 3u) << ::testing::PrintToString(got);
  EXPECT_EQ(got[0].rfind("QELDB: exInit: ", 0), 0u) << got[0];
  EXPECT_EQ(got[1], "QELDB: exInit: NOSUCHFN is neither a host function nor a routine the script declares");
  EXPECT_EQ(got[2], "QELDB: exInit: GREET2 is neither a host function nor a routine the script declares");

  g = TestGame{};
  g.doorScript = "BEGIN X := 1;\n";
  got = Run(g);
  ASSERT_EQ(got.size(), 1u) << ::testing::PrintToString(got);
  EXPECT_EQ(got[0], "QELDB.Room.Door: exMouseDown: END expected (in \"BEGIN X := 1 ; ;\")");

  g.doorScript = "IF THEN X := 1;\n";
  got = Run(g);
  ASSERT_EQ(got.size(), 1u) << ::testing::PrintToString(got);
  EXPECT_EQ(got[0].rfind("QELDB.Room.Door: exMouseDown: Empty string - not expression", 0), 0u) << got[0];
}

TEST_F(Lint, ReportsMissingScriptFiles) {
  TestGame g;
  g.rootScript = "INCLUDE 'lib\\\\missing.txt';\n";
  Lines got = Run(g);
  ASSERT_EQ(got.size(), 1u) << ::testing::PrintToString(got);
  EXPECT_NE(got[0].find("QELDB: exInit: Can't open file"), std::string::npos) << got[0];
}

TEST_F(Lint, ReportsMissingFilesOfEveryKind) {
  struct Case {
    void (*plant)(TestGame&);
    const char* line;
  } cases[] = {
      {[](TestGame& g) { g.imBack = "pics\\\\none.png"; }, "QELDB.Room: ImBack: picture \"pics\\none.png\" not found"},
      // Windows drops a trailing dot; the player's directory does not.
      {[](TestGame& g) { g.imImage = "pics\\\\door.png."; },
       "QELDB.Room.Door: imImage: picture \"pics\\door.png.\" not found"},
      {[](TestGame& g) { g.font = "Serif12"; },
       "QELDB.Room.Door.Sign: Font: font \"Serif12\" is not in the resource archive"},
      {[](TestGame& g) { g.textId = "Menu.Start"; }, "QELDB.Room.Door.Sign: TextId: language key \"Menu.Start\" not found"},
      {[](TestGame& g) { g.effect = "fx\\\\none.psi"; }, "QELDB.Room.Sparks: EffectFN: effect file \"fx\\none.psi\" not found"},
      {[](TestGame& g) { g.rootScript += "PlaySnd('bang');\n"; },
       "QELDB: exInit: sound \"bang\" is not in the sound table"},
      {[](TestGame& g) { g.rootScript += "PlaySnd('gone');\n"; },
       "QELDB: exInit: sound file \"sounds\\gone.wav\" of \"gone\" not found"},
      // Two folders that differ only in case are one folder on Windows.
      {[](TestGame& g) { g.rootScript += "PlaySnd('Music.alt');\n"; },
       "QELDB: exInit: sound file \"sounds\\alt.ogg\" of \"Music.alt\" not found"},
      {[](TestGame& g) { g.rootScript += "T := GetText('Bye');\n"; }, "QELDB: exInit: language key \"Bye\" not found"},
      {[](TestGame& g) { g.doorScript += "SIGN.TEXT := \"Menu.Quit\";\n"; },
       "QELDB.Room.Door: exMouseDown: language key \"Menu.Quit\" not found"},
      {[](TestGame& g) { g.lang = "fr.lng"; }, "QELDB: language file (Lang) \"fr.lng\" not found"},
      {[](TestGame& g) { g.soundFile = "snd.ini"; }, "QELDB: sound table (SoundFile) \"snd.ini\" not found"},
      {[](TestGame& g) { g.fileFonts = "fonts.res"; }, "QELDB: resource archive (FileFonts) \"fonts.res\" not found"},
  };
  for (const Case& c : cases) {
    TestGame g;
    c.plant(g);
    Lines got = Run(g);
    // A missing table or archive also loses what was in it.
    ASSERT_FALSE(got.empty()) << c.line;
    EXPECT_EQ(got[0], c.line);
    if (g.soundFile == "sounds.ini" && g.fileFonts == "game.res" && g.lang == "eng.lng") {
      EXPECT_EQ(got.size(), 1u) << ::testing::PrintToString(got);
    }
  }
}

// The player finds these whatever their letter case; a case-sensitive copy of the folder does not.
TEST_F(Lint, WarnsOfNamesThatMatchOnlyByLetterCase) {
  struct Case {
    void (*plant)(TestGame&);
    const char* line;
  } cases[] = {
      {[](TestGame& g) { g.imImage = "PICS\\\\Door.png"; },
       "QELDB.Room.Door: warning: imImage: \"PICS\\Door.png\" is found only by ignoring letter case: on disk it is "
       "\"pics/door.png\""},
      {[](TestGame& g) { g.effect = "fx\\\\Sparks.PSI"; },
       "QELDB.Room.Sparks: warning: EffectFN: \"fx\\Sparks.PSI\" is found only by ignoring letter case: on disk it "
       "is \"fx/sparks.psi\""},
      {[](TestGame& g) { g.lang = "ENG.lng"; },
       "QELDB: warning: Lang: \"ENG.lng\" is found only by ignoring letter case: on disk it is \"eng.lng\""},
      {[](TestGame& g) { g.rootScript = "PlaySnd('Knocks.knock');\n"; },
       "QELDB: warning: exInit: \"sounds\\Knock.WAV\" is found only by ignoring letter case: on disk it is "
       "\"sounds/knock.wav\""},
      {[](TestGame& g) { g.rootScript = "USES 'Lib\\\\common.txt';\nGreet();\n"; },
       "QELDB: warning: exInit: \"Lib/common.txt\" is found only by ignoring letter case: on disk it is "
       "\"lib/common.txt\""},
  };
  for (const Case& c : cases) {
    TestGame g;
    c.plant(g);
    EXPECT_EQ(Run(g), Lines{c.line});
  }
  // Where one folder has both spellings, the exact one is taken and nothing is said.
  Write("sounds/alt.ogg", "OggS");
  TestGame g;
  g.rootScript = "PlaySnd('Music.alt');\n";
  EXPECT_EQ(Run(g), Lines{});
}

// An image list answers the mouse on its layer even where it is not drawn, and a click on it
// runs the exMouseDown of the entry under the pointer.
TEST_F(Lint, WarnsOfHiddenImageListsWhoseEntriesTakeClicks) {
  auto list = [](const char* vis) {
    return "TQelImList {\n Key = 9\n Id = \"Bag\"\n X = 0\n Y = 0\n Vis = " + std::string(vis) +
           "\n RowCount = 1\n ColCount = 4\n Space = 0\n ScrollPos = 0\n SizeX = 400\n SizeY = 80\n}\n";
  };
  auto panel = [&](const char* mousedNotVis) {
    return "TQelShape {\n Key = 8\n Id = \"Panel\"\n X = 0\n Y = 0\n Vis = False\n hxDrawFx = 1284\n"
           " hxColor = $FFFFFF\n hxTrans = 255\n MousedNotVis = " + std::string(mousedNotVis) + "\n" + list("True") +
           "}\n";
  };
  const std::string key =
      "TQelImage {\n Key = 10\n Id = \"Key\"\n X = 0\n Y = 0\n Vis = True\n imImage = \"pics\\\\door.png\"\n}\n";
  const std::string warning =
      "warning: hidden, yet it answers the mouse on its layer: a click on it runs exMouseDown of its entry "
      "QELDB.Room.Door (added in exMouseDown of QELDB.Room.Door)";
  const struct {
    std::string elements, doorAdds, rootAdds;
    Lines want;
  } cases[] = {
      {list("False"), "LISTADD(PARENT.BAG, SELF);\n", "", {"QELDB.Room.Bag: " + warning}},
      {list("True"), "LISTADD(PARENT.BAG, SELF);\n", "", {}},
      // An entry without a mouse script: a click runs nothing of it.
      {list("False") + key, "", "LISTADD(QELDB.ROOM.BAG, QELDB.ROOM.KEY);\n", {}},
      // Drawn with its hidden panel, but reached through it.
      {panel("True"), "LISTADD(PARENT.PANEL.BAG, SELF);\n", "", {"QELDB.Room.Panel.Bag: " + warning}},
      {panel("False"), "LISTADD(PARENT.PANEL.BAG, SELF);\n", "", {}},
  };
  for (const auto& c : cases) {
    TestGame g;
    g.moreElements = c.elements;
    g.doorScript += c.doorAdds;
    g.rootScript += c.rootAdds;
    EXPECT_EQ(Run(g), c.want) << c.elements;
  }
}

TEST_F(Lint, ReportsScreenKeysAndSwitchesThatNoElementHas) {
  TestGame g;
  g.initScreen = "99";
  g.loadingScreen = "98";
  g.screenScript += "FastSetScreen(QELDB.HALL);\n";
  EXPECT_EQ(Run(g), (Lines{"QELDB: InitScreen: no element has the key 99",
                           "QELDB: LoadingScreen: no element has the key 98",
                           "QELDB.Room: exInit: FASTSETSCREEN to QELDB.HALL, which is no element: QELDB has no HALL"}));
}

TEST_F(Lint, ReportsElementPathsThatDoNotResolve) {
  TestGame g;
  g.rootScript += "QELDB.ROOM.WINDOW.VIS := TRUE;\nT := QELDB.ROOM.DOOR.COLOUR;\nT := QELDB.ROOM.DOOR.SIGN.X;\n";
  g.doorScript += "..VIS := FALSE;\n...X := 1;\nPARENT.NOTHING := 1;\n";
  EXPECT_EQ(Run(g), (Lines{
                        "QELDB: exInit: element path QELDB.ROOM.WINDOW.VIS does not resolve: QELDB.Room has no WINDOW",
                        "QELDB: exInit: element path QELDB.ROOM.DOOR.COLOUR does not resolve: QELDB.Room.Door has no "
                        "property, child or variable COLOUR",
                        "QELDB.Room.Door: exMouseDown: element path ...X does not resolve: it climbs above the root",
                        "QELDB.Room.Door: exMouseDown: element path PARENT.NOTHING does not resolve: QELDB.Room has no "
                        "property, child or variable NOTHING",
                    }));
}

TEST_F(Lint, UnreadableGameFileIsOneProblem) {
  auto got = LintGame(dir_ / "absent.qelf");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].path, "QELDB");
}

}  // namespace
}  // namespace qel
