// The root as a running game sees it: its files in a real game directory,
// its named values, typed input, screen switches and saved states.
#include "elements/qel_db.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/temp_dir.h"
#include "support/utf16_text.h"
#include "elements/game_file.h"
#include "elements/kinds.h"
#include "gamedb/escaped_text.h"
#include "recording_host.h"

namespace qel {
namespace {

class RootTest : public ::testing::Test {
 protected:
  // A game: the root with its file names, a screen holding a text.
  void WriteGame(const std::function<void(TQelDB&)>& edit = {}) {
    TQelDB author;
    author.SetId("Game");
    author.FileRS = "game.sav";
    author.IniFile = "player.ini";
    author.SoundFile = "sounds.ini";
    author.Lang = "eng.lng";
    author.Cheats = "AB;XYZ";
    author.exCheat.source = "cheat";
    author.exSetScreen.source = "switched";
    auto* screen = static_cast<TQelScreen*>(author.CreateChild("TQelScreen"));
    screen->SetId("Room");
    screen->Key = 1;
    screen->SetEventSource(evShow, "shown");
    auto* text = static_cast<TQelText*>(screen->CreateChild("TQelText"));
    text->SetId("Name");
    text->Key = 2;
    text->Text = "ab";
    auto* other = static_cast<TQelScreen*>(author.CreateChild("TQelScreen"));
    other->SetId("Kept");
    other->Key = 3;
    other->AllwaysLoad = true;
    if (edit) edit(author);
    dir.Write("game.qelf", WriteElementRecord(author));
  }
  // A fresh player run of the game.
  void Play() {
    root.reset();
    runtime = std::make_unique<Runtime>();
    runtime->scriptHost = &host;
    runtime->services.dir = &game;
    root = std::make_unique<TQelDB>(runtime.get());
    root->hooks.applyDisplayMode = [this](bool full) { modes.push_back(full); };
    root->hooks.resetClock = [this] { ++clockResets; };
    EXPECT_TRUE(root->LoadGame(dir / "game.qelf"));
  }
  TQelElement* Find(TQelDB& root, const char* path) {
    TQelElement* e = &root;
    for (const char* p = path; *p;) {
      const char* dot = std::strchr(p, '.');
      std::string id = dot ? std::string(p, dot) : std::string(p);
      e = e->FindChildById(id);
      if (!e) return nullptr;
      p = dot ? dot + 1 : p + id.size();
    }
    return e;
  }

  test::TempDir dir;
  GameDir game{dir.path()};
  test::RecordingHost host;
  std::unique_ptr<Runtime> runtime;
  std::unique_ptr<TQelDB> root;  // goes before the runtime it runs on
  std::vector<bool> modes;
  int clockResets = 0;
};

TEST_F(RootTest, SettingsDefaultsAndRoundTrips) {
  dir.Write("player.ini", "[Other]\r\nX=1\r\n");
  WriteGame();
  Play();
  const ShellState& shell = runtime->shell;
  EXPECT_EQ(shell.SoundVolume, 100);
  EXPECT_EQ(shell.MusicVolume, 50);
  EXPECT_TRUE(shell.FullScreen);
  EXPECT_EQ(modes, std::vector<bool>{true});
  EXPECT_TRUE(root->SetValue("VOLMUZ", Variant::Integer(30)));
  EXPECT_TRUE(root->SetValue("VOLSND", Variant::String("140")));
  EXPECT_TRUE(root->SetValue("FULLSCREEN", Variant::Byte(0)));
  EXPECT_EQ(dir.Read("player.ini"), "[Other]\r\nX=1\r\n\r\n[Def]\r\nMuz=30\r\nSnd=100\r\nFS=0\r\n");
  Variant v;
  ASSERT_TRUE(root->GetValue("VOLMUZ", v));
  EXPECT_EQ(v, Variant::Integer(30));
  ASSERT_TRUE(root->GetValue("FULLSCREEN", v));
  EXPECT_EQ(v, Variant::Byte(0));
  Play();
  EXPECT_EQ(runtime->shell.MusicVolume, 30);
  EXPECT_FALSE(runtime->shell.FullScreen);
  // Read-only names are known but keep their values.
  EXPECT_TRUE(root->SetValue("UNICODE", Variant::Boolean(true)));
  ASSERT_TRUE(root->GetValue("UNICODE", v));
  EXPECT_EQ(v, Variant::Boolean(false));
  EXPECT_TRUE(root->MayTakeValue("CHEAT"));
}

TEST_F(RootTest, TestModeStartsWindowedAndWideSettingsAreRead) {
  dir.Write("player.ini", test::Utf16LeBytes(u"[Def]\r\nSnd=20\r\nMuz=loud\r\n", true));
  WriteGame();
  runtime = std::make_unique<Runtime>();
  runtime->shell.TestMode = true;
  runtime->services.dir = &game;
  TQelDB testRoot(runtime.get());
  testRoot.hooks.applyDisplayMode = [this](bool full) { modes.push_back(full); };
  testRoot.LoadGame(dir / "game.qelf");
  EXPECT_EQ(modes, std::vector<bool>{false});
  EXPECT_EQ(runtime->shell.SoundVolume, 20);
  EXPECT_EQ(runtime->shell.MusicVolume, 50);  // not a number: the old value stays
}

TEST_F(RootTest, LanguageFallbackAndSoundTableForms) {
  dir.Write("rus.lng", "[Default]\r\nTitle=Rus\r\n");
  dir.Write("sounds.ini", "[Default]\r\nDoor=50:door.wav\r\nBell=bell.ogg\r\n[Sfx]\r\nDoor=x:y.wav\r\n");
  WriteGame();
  Play();
  EXPECT_EQ(root->Lang, "rus.lng");
  EXPECT_EQ(root->GetLangText("Title"), "Rus");
  auto look = [&](const char* name) {
    ByteString file = "keep";
    int32_t volume = -1;
    root->LookupSound(name, file, volume);
    return file + "@" + std::to_string(volume);
  };
  EXPECT_EQ(look("Door"), "door.wav@50");
  EXPECT_EQ(look(" Default . Bell "), "bell.ogg@100");
  EXPECT_EQ(look("Sfx.Door"), "y.wav@-1");  // a volume that is not a number keeps the caller's
  EXPECT_EQ(look("Sfx.None"), "@100");
  EXPECT_EQ(look(".Door"), "@0");
  root->SetSoundFile("missing.ini");
  EXPECT_EQ(look("Door"), "@100");
  root->SetSoundFile("../sounds.ini");
  EXPECT_EQ(look("Door"), "keep@-1");  // no table at all
}

TEST_F(RootTest, CheatsFireOnEverySuffixWithinTheBuffer) {
  WriteGame();
  Play();
  host.runs.clear();
  for (char c : std::string("QXYZ")) root->DoChar(static_cast<char16_t>(c));
  ASSERT_EQ(host.runs, std::vector<std::string>{"Game:Cheat:cheat"});
  Variant v;
  ASSERT_TRUE(root->GetValue("CHEAT", v));
  EXPECT_EQ(v, Variant::String("XYZ"));
  host.runs.clear();
  for (char c : std::string("12345678AB")) root->DoChar(static_cast<char16_t>(c));
  EXPECT_EQ(root->CheatBuffer, "12345678AB");
  EXPECT_EQ(host.runs.size(), 1u);  // AB
  root->DoChar(u'X');  // eleven: the first drops out
  EXPECT_EQ(root->CheatBuffer, "2345678ABX");
  root->DoChar(u'Y');
  root->DoChar(u'Z');
  EXPECT_EQ(root->CheatBuffer, "45678ABXYZ");
  root->Cheats = "5678ABXYZ0;0;Z0";
  host.runs.clear();
  root->DoChar(u'0');  // "5678ABXYZ0" (ten), "Z0" and "0" all match
  EXPECT_EQ(host.runs.size(), 3u);
  EXPECT_EQ(root->LastCheat, "0");
  root->DoChar(u'1');
  EXPECT_EQ(root->CheatBuffer.size(), 10u);
}

TEST_F(RootTest, TypingIntoTheFocusedTextInBothModes) {
  WriteGame();
  Play();
  auto* text = static_cast<TQelText*>(Find(*root, "Room.Name"));
  ASSERT_TRUE(text);
  runtime->shell.FocusedText = text->Handle();
  for (char16_t c : std::u16string(u"c#$\x7f\xe9\x08\x08x")) root->DoChar(c);
  EXPECT_EQ(text->Text, "abcx");
  root->UnicodeMode = true;
  text->Text = "";
  for (char16_t c : std::u16string(u"Ax\u0416\u00e9\x7f")) root->DoChar(c);
  EXPECT_EQ(text->Text, ByteString("A\x01\x16\x04\x01\xe9\x00", 7));
  root->DoChar(8);
  root->DoChar(8);
  EXPECT_EQ(text->Text, "A");
  root->DoChar(8);
  root->DoChar(8);
  EXPECT_EQ(text->Text, "");
  EXPECT_TRUE(root->CheatBuffer.empty());
}

TEST_F(RootTest, ScreenSwitchCompletes) {
  WriteGame();
  Play();
  TQelElement* room = Find(*root, "Room");
  TQelElement* kept = Find(*root, "Kept");
  root->LoadKeptScreens();
  EXPECT_FALSE(room->KeepLoaded);
  EXPECT_TRUE(kept->KeepLoaded);
  EXPECT_TRUE(kept->Loaded);
  ShellState& shell = runtime->shell;
  shell.PendingScreen = room->Handle();
  host.runs.clear();
  root->FinishScreenSwitch();  // not loading: only a frame
  EXPECT_TRUE(host.runs.empty());
  shell.LoadingMode = true;
  shell.MouseCaptured = true;
  shell.HoveredElement = kept->Handle();
  root->FinishScreenSwitch();
  EXPECT_EQ(shell.CurrentScreen, room->Handle());
  EXPECT_EQ(shell.HoveredElement, 0u);
  EXPECT_FALSE(shell.MouseCaptured);
  EXPECT_EQ(shell.ImagesForLoadCount, 1);
  EXPECT_EQ(host.runs, (std::vector<std::string>{"Game:SetScreen:switched", "Room:Show:shown"}));
  EXPECT_TRUE(kept->Loaded);
  EXPECT_FALSE(room->Loaded);
}

TEST_F(RootTest, SaveThenRestoreIntoAFreshTree) {
  WriteGame();
  Play();
  auto* text = static_cast<TQelText*>(Find(*root, "Room.Name"));
  text->Text = "saved";
  text->rX = 12;
  ASSERT_TRUE(root->ClearState());
  std::string first = dir.Read("game.sav");
  EXPECT_FALSE(first.empty());
  text->Text = "later";
  ASSERT_TRUE(root->ClearState());
  EXPECT_EQ(dir.Read("game.sav.bak"), first);

  Play();
  text = static_cast<TQelText*>(Find(*root, "Room.Name"));
  EXPECT_EQ(text->Text, "ab");
  clockResets = 0;
  EXPECT_TRUE(root->RestoreState());
  EXPECT_EQ(text->Text, "later");
  EXPECT_EQ(text->X(), 12);
  EXPECT_EQ(clockResets, 1);
  EXPECT_TRUE(runtime->shell.ImmediateImageLoad);
}

TEST_F(RootTest, DamagedSaveFallsBackToTheBackupAndNeverHalfApplies) {
  WriteGame();
  Play();
  auto* text = static_cast<TQelText*>(Find(*root, "Room.Name"));
  text->Text = "old";
  ASSERT_TRUE(root->ClearState());
  text->Text = "new";
  ASSERT_TRUE(root->ClearState());
  std::string save = dir.Read("game.sav");
  dir.Write("game.sav", save.substr(0, save.size() - 2));
  text->Text = "current";
  EXPECT_TRUE(root->RestoreState());
  EXPECT_EQ(text->Text, "old");
  dir.Write("game.sav.bak", "\x02");
  text->Text = "current";
  EXPECT_FALSE(root->RestoreState());
  EXPECT_EQ(text->Text, "current");
}

TEST_F(RootTest, HostileFileNamesStayInsideTheGame) {
  test::TempDir outside;
  outside.Write("eng.lng", "[Default]\r\nTitle=Outside\r\n");
  const std::string away = outside.path().string();
  WriteGame([&](TQelDB& a) {
    a.FileRS = "../" + outside.path().filename().string() + "/x.sav";
    a.IniFile = away + "/player.ini";
    a.Lang = away + "/eng.lng";
    a.SoundFile = "C:\\sounds.ini";
  });
  Play();
  EXPECT_FALSE(root->HasSaveFile());
  EXPECT_FALSE(root->ClearState());
  EXPECT_EQ(root->Settings(), nullptr);
  EXPECT_TRUE(root->SetValue("VOLMUZ", Variant::Integer(10)));
  EXPECT_EQ(root->GetLangText("Title"), "");
  EXPECT_FALSE(outside.Exists("player.ini"));
  EXPECT_FALSE(outside.Exists("x.sav"));
}

TEST_F(RootTest, UnicodeGameLoadsPastAMalformedGlyphLine) {
  dir.Write("unicode/unicode.fnt", "2\r\n410 seventeen\r\n411 17\r\nFace\r\n");
  dir.Write("eng.lng", test::Utf16LeBytes(u"[Default]\r\nTitle=\u0416!\r\n", true));
  WriteGame();
  Play();
  EXPECT_TRUE(root->UnicodeMode);
  EXPECT_NE(Find(*root, "Room.Name"), nullptr);
  EXPECT_EQ(root->Texts().Glyphs().At(0x411).index, 1);
  EXPECT_EQ(root->GetLangText("Title"), ByteString("\x01\x16\x04!", 4));
  Variant v;
  ASSERT_TRUE(root->GetValue("UNICODE", v));
  EXPECT_EQ(v, Variant::Boolean(true));
}

TEST_F(RootTest, MissingGameLoadsNothing) {
  runtime = std::make_unique<Runtime>();
  runtime->services.dir = &game;
  TQelDB empty(runtime.get());
  EXPECT_TRUE(empty.LoadGame(dir / "none.qelf"));
  EXPECT_EQ(empty.ChildCount(), 0);
}

TEST_F(RootTest, StarsTakeTheirColourFromText) {
  TQelDB db;
  StarRecord s;
  s.scale = 1;
  ASSERT_TRUE(db.AddStarRecord(s, "$FF00", 7));
  ASSERT_TRUE(db.AddStarRecord(s, "", 7));
  ASSERT_TRUE(db.AddStarRecord(s, "12", 7));
  EXPECT_EQ(db.Stars()[0].colour, 0xFF00u);
  EXPECT_EQ(db.Stars()[1].colour, 7u);
  EXPECT_EQ(db.Stars()[2].colour, 12u);
  db.Stars().Clear();
  ASSERT_TRUE(db.AddStarRecord(s, "red", 7));  // keeps what record 0 held
  EXPECT_EQ(db.Stars()[0].colour, 0xFF00u);
}

}  // namespace
}  // namespace qel
