#pragma once
// The root of the element tree: one game. Besides being an element it holds
// what is global to the game: the game file and its loading, the player's
// settings file, the language and sound tables, the saved state, the cheat
// detector and typed-text input, the game-wide events, the completion of
// screen switches and the stars.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "elements/element.h"
#include "gamedb/ini_file.h"
#include "gamedb/lang_tables.h"
#include "gamedb/player_files.h"
#include "gamedb/stars.h"

namespace qel {

class ParticleManager;
struct TQelIm;

// What only the player can do for the root. Unset hooks are skipped.
struct RootHooks {
  // Windowed or full screen as the settings ask: the device mode and the
  // window's style, applied at once.
  std::function<void(bool fullScreen)> applyDisplayMode;
  // One frame cleared to black with the render pass, presented at once
  // (progress frames while pictures load).
  std::function<void()> presentFrame;
  // Restarts the frame timer's clock: time spent loading is not made up.
  std::function<void()> resetClock;
};

class TQelDB : public TQelElement {
 public:
  static constexpr int kCheatBufferSize = 10;

  // Runs on the given runtime, or on one of its own when none is given.
  explicit TQelDB(Runtime* runtime = nullptr);
  ~TQelDB() override;
  const ElementClass& Class() const override;
  Runtime& runtime() const { return *runtime_; }

  // Removes every element of the game (the top-level children).
  void Clear();

  // --- the game file ---
  // Reads the game (and, in unicode games, the unicode files). A missing
  // file loads nothing. False when the file held damaged records.
  bool LoadGame(const std::filesystem::path& gameFile);
  const std::filesystem::path& GameFile() const { return gameFile_; }

  // --- texts, sounds, settings ---
  // Language text for a name "Section.Key" (escaped text in unicode games).
  virtual ByteString GetLangText(const ByteString& key);
  // Sound-table entry of a name "Section.Key": file and volume. Both keep
  // the caller's values when there is no sound table.
  void LookupSound(const ByteString& name, ByteString& file, int32_t& volume) const;
  LangTables& Texts() { return lang_; }
  // The settings file named by IniFile, or nullptr when none is open.
  SettingsFile* Settings() { return settings_.get(); }
  // The player's own files of this game (settings, saved state, error
  // log); nullopt without a game directory.
  std::optional<PlayerFiles> Files();

  // --- input and game-wide events ---
  void DoKeyDown(int32_t keyCode);
  void DoChar(char16_t code);
  void DoExit();
  void DoLoadImProcess();

  // --- screens ---
  void FinishScreenSwitch();
  void LoadKeptScreens();
  // The glyph picture of a unicode game (its image-cache entry), or nullptr.
  TQelIm* GlyphPicture() const { return glyphPicture_; }

  // --- saved state ---
  bool HasSaveFile() const { return saveOpen_; }
  // Writes the tree's state so that the previous save survives any crash
  // on the way; false when nothing could be written.
  bool ClearState();
  // Replays the save, or its backup when the save is damaged; false when
  // neither could be read (nothing is then applied).
  bool RestoreState();

  // --- stars ---
  // star holds every field but the colour; colourText gives it (decimal or
  // "$" hexadecimal), empty text takes randomColour, other text keeps the
  // record's previous colour.
  bool AddStarRecord(const StarRecord& star, const ByteString& colourText, uint32_t randomColour);
  void UpdateStars();
  // Draws the stars of one layer with the particle picture on the game's canvas.
  void DrawStars(int32_t layer, const TGfxImage* picture);
  const StarPool& Stars() const { return *stars_; }
  StarPool& Stars() { return *stars_; }

  // --- named values: the element's own, then VOLMUZ, VOLSND, FULLSCREEN, CHEAT, UNICODE ---
  bool GetValue(const ByteString& name, Variant& value) override;
  bool SetValue(const ByteString& name, const Variant& value) override;
  bool MayTakeValue(const ByteString& name) const override;
  bool NamedByBase(const ByteString& name) const override;
  bool KeywordName(const ByteString& name) const override;

  // --- property setters (game file and scripts) ---
  void SetIniFile(std::string_view name);
  void SetSoundFile(std::string_view name);
  void SetFileFonts(std::string_view name);
  void SetFileRS(std::string_view name);
  void SetLang(std::string_view name);
  void SetDefLang(std::string_view name);

  RootHooks hooks;

  int32_t CurKey = 0;
  int32_t InitScreen = 0;
  ByteString FileRS, FileFonts;
  uint8_t hxTransLev = 0;
  ByteString DefLang, Lang;
  int32_t LoadingScreen = 0;
  EventScript exLoadImProcess;
  ByteString IniFile, SoundFile;
  EventScript exKeyDown, exExit, exCheat, exSetScreen;
  int32_t MaxMem = 0;
  ByteString Cheats;
  bool SaveErr = false;
  bool AlwaysLoadIm = false;
  bool UnicodeMode = false;
  ByteString CheatBuffer;
  ByteString LastCheat;

 private:
  void TypeIntoFocusedText(TQelElement& text, char16_t code);
  void DetectCheat(char16_t code);
  void ReportProblem(const std::string& message);
  void ApplySettings();
  void RequestGlyphPicture();

  std::unique_ptr<Runtime> ownedRuntime_;
  Runtime* runtime_;
  std::filesystem::path gameFile_;
  std::unique_ptr<SettingsFile> settings_;
  std::optional<IniTable> soundTable_;
  LangTables lang_;
  bool saveOpen_ = false;
  std::unique_ptr<StarPool> stars_;
  std::unique_ptr<ParticleManager> particles_;  // made by LoadGame when nobody gave one
  TQelIm* glyphPicture_ = nullptr;
};

}  // namespace qel
