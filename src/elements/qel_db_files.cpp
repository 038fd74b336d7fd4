// The root's files: the game file, the settings file, the sound table, the
// resource archive, the saved-state file and the language files. Every name
// comes from the game and stays inside its directory.
#include <algorithm>
#include <fstream>

#include "base/variant.h"
#include "elements/game_file.h"
#include "elements/particles.h"
#include "elements/qel_db.h"
#include "gamedb/atomic_file.h"
#include "render/gfx_fonts.h"
#include "render/res_db.h"

namespace qel {

bool TQelDB::LoadGame(const std::filesystem::path& gameFile) {
  Clear();
  gameFile_ = gameFile;
  auto data = ReadWholeFile(gameFile);
  if (!data) return true;  // no game: nothing to load, nothing to report
  if (auto files = Files()) {
    if (auto log = files->ForWrite("brannoc.err")) runtime().errorLog = *log;
  }
  // Effects make their particle systems while the file is read.
  if (runtime().services.canvas && !runtime().services.particles) {
    particles_ = std::make_unique<ParticleManager>();
    runtime().services.particles = particles_.get();
  }
  bool ok = LoadGameData(*this, *data);
  if (GameDir* dir = runtime().services.dir) {
    std::vector<std::string> problems;
    if (lang_.SetUpUnicode(*dir, &problems)) UnicodeMode = true;
    for (const std::string& p : problems) ReportProblem(p);
    RequestGlyphPicture();
  }
  return ok;
}

void TQelDB::SetIniFile(std::string_view name) {
  if (name == IniFile) return;
  IniFile.assign(name);
  settings_.reset();
  if (auto files = Files()) {
    auto read = files->ForRead(IniFile);
    auto write = files->ForWrite(IniFile);
    if (read && write) settings_ = std::make_unique<SettingsFile>(*read, *write);
  }
  ApplySettings();
}

void TQelDB::ApplySettings() {
  ShellState& shell = runtime().shell;
  // A value that is not a number keeps what was there.
  auto read = [&](const char* key, const char16_t* fallback) {
    std::u16string v = settings_ ? IniReadWide(settings_->Path(), "Def", key, fallback) : fallback;
    return ParseInteger(Utf16ToCp1251(v));
  };
  if (auto v = read("Snd", u"100")) shell.SoundVolume = static_cast<int32_t>(std::clamp<int64_t>(*v, 0, 100));
  if (auto v = read("Muz", u"50")) shell.MusicVolume = static_cast<int32_t>(std::clamp<int64_t>(*v, 0, 100));
  if (auto v = read("FS", u"1")) shell.FullScreen = *v != 0;
  if (shell.TestMode) shell.FullScreen = false;
  if (hooks.applyDisplayMode) hooks.applyDisplayMode(shell.FullScreen);
}

void TQelDB::SetSoundFile(std::string_view name) {
  if (name == SoundFile) return;
  SoundFile.assign(name);
  soundTable_.reset();
  GameDir* dir = runtime().services.dir;
  if (!dir || !dir->ForWrite(SoundFile)) return;
  auto file = dir->Find(SoundFile);
  soundTable_ = file ? LoadIniTable(*file) : IniTable();
}

void TQelDB::SetFileFonts(std::string_view name) {
  if (name == FileFonts) return;
  FileFonts.assign(name);
  TResDb* archive = runtime().services.archive;
  GameDir* dir = runtime().services.dir;
  if (!archive) return;
  auto file = dir ? dir->Find(FileFonts) : std::nullopt;
  archive->SetFileName(file ? file->string() : std::string());
  if (!file || !archive->OpenTable()) return;
  if (TGfxFonts* fonts = runtime().services.fonts) fonts->LoadFromArchive(*archive);
}

void TQelDB::SetFileRS(std::string_view name) {
  ByteString n(name);
  bool same = saveOpen_ && UpperCase(n) == UpperCase(FileRS);
  FileRS = n;
  if (same) return;
  saveOpen_ = false;
  auto files = n.empty() ? std::nullopt : Files();
  if (!files) return;
  auto read = files->ForRead(n);
  std::error_code ec;
  if (read && std::filesystem::is_regular_file(*read, ec)) {
    saveOpen_ = true;
    return;
  }
  // The save is created at once, as games may look for it.
  auto write = files->ForWrite(n);
  if (!write) return;
  std::ofstream create(*write, std::ios::binary | std::ios::app);
  saveOpen_ = static_cast<bool>(create);
}

void TQelDB::SetLang(std::string_view name) {
  if (name == Lang) return;
  Lang = lang_.OpenLang(runtime().services.dir, ByteString(name));
}

void TQelDB::SetDefLang(std::string_view name) {
  if (name == DefLang) return;
  DefLang.assign(name);
  lang_.OpenDefLang(runtime().services.dir, DefLang);
}

}  // namespace qel
