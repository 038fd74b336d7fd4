#pragma once
// The texts of a game: the language file in use, the authoring language
// file, and in unicode games the unicode text table, the glyph list and the
// TrueType file of the unicode font.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/game_paths.h"
#include "gamedb/glyph_table.h"
#include "gamedb/ini_file.h"

namespace qel {

// "Section.Key" split at the first dot, both parts trimmed; a name without
// a dot is a key of section "Default".
struct TextName {
  ByteString section, key;
  bool Valid() const { return !section.empty() && !key.empty(); }
};
TextName SplitTextName(const ByteString& name);

// Language files tried, in order, when the one asked for is missing.
inline constexpr const char* kFallbackLanguages[] = {"eng.lng", "rus.lng", "deu.lng"};

class LangTables {
 public:
  // Opens the language file of that name, or the first fallback that
  // exists; returns the name opened. Without a game directory nothing is read.
  ByteString OpenLang(GameDir* dir, const ByteString& name);
  void OpenDefLang(GameDir* dir, const ByteString& name);
  // Switches to unicode mode when "unicode\unicode.fnt" exists. Lines of
  // the glyph list that cannot be read are skipped and listed in problems.
  bool SetUpUnicode(GameDir& dir, std::vector<std::string>* problems = nullptr);

  // Language text of a name; in unicode mode in escaped form.
  ByteString GetText(const ByteString& name) const;

  bool UnicodeMode() const { return unicode_; }
  const GlyphTable& Glyphs() const { return glyphs_; }
  // The unicode font's TrueType file, when the game has one.
  const std::optional<std::filesystem::path>& FontFile() const { return fontFile_; }
  bool HasLang() const { return lang_.has_value(); }

 private:
  std::optional<IniTable> lang_, defLang_;
  std::optional<std::filesystem::path> langFile_;
  // The language file read as wide text, on first use in unicode mode.
  mutable std::optional<IniTable> langWide_;
  bool unicode_ = false;
  IniTable unicodeTexts_;
  GlyphTable glyphs_;
  std::optional<std::filesystem::path> fontFile_;
};

}  // namespace qel
