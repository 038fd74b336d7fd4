#include "gamedb/lang_tables.h"

#include "gamedb/atomic_file.h"
#include "gamedb/escaped_text.h"

namespace qel {
namespace {

ByteString TrimmedBlanks(const ByteString& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

TextName SplitTextName(const ByteString& name) {
  size_t dot = name.find('.');
  if (dot == ByteString::npos) return {"Default", TrimmedBlanks(name)};
  return {TrimmedBlanks(name.substr(0, dot)), TrimmedBlanks(name.substr(dot + 1))};
}

ByteString LangTables::OpenLang(GameDir* dir, const ByteString& name) {
  lang_.reset();
  langWide_.reset();
  langFile_.reset();
  ByteString chosen = name;
  if (dir) {
    auto file = dir->Find(name);
    for (size_t i = 0; !file && i < std::size(kFallbackLanguages); ++i) {
      if ((file = dir->Find(kFallbackLanguages[i]))) chosen = kFallbackLanguages[i];
    }
    langFile_ = file;
  }
  lang_ = langFile_ ? LoadIniTable(*langFile_) : IniTable();
  return chosen;
}

void LangTables::OpenDefLang(GameDir* dir, const ByteString& name) {
  auto file = dir ? dir->Find(name) : std::nullopt;
  defLang_ = file ? LoadIniTable(*file) : IniTable();
}

bool LangTables::SetUpUnicode(GameDir& dir, std::vector<std::string>* problems) {
  auto fnt = dir.Find("unicode\\unicode.fnt");
  if (!fnt) return false;
  fontFile_ = dir.Find("unicode\\unicode.ttf");
  auto lng = dir.Find("unicode\\unicode.lng");
  unicodeTexts_ = lng ? LoadIniTable(*lng) : IniTable();
  unicode_ = true;
  langWide_.reset();
  auto text = ReadWholeFile(*fnt);
  glyphs_ = ParseGlyphList(text ? *text : std::string(), problems);
  return true;
}

ByteString LangTables::GetText(const ByteString& name) const {
  TextName n = SplitTextName(name);
  if (!n.Valid() || !lang_) return {};
  if (!unicode_) return lang_->Read(n.section, n.key, "");
  if (auto v = unicodeTexts_.Find(n.section, n.key)) return *v;
  // Names of a unicode language file are ASCII; its texts come back escaped.
  if (!langWide_) langWide_ = langFile_ ? LoadWideIniTable(*langFile_) : IniTable();
  auto v = langWide_->Find(Cp1251ToUtf8(n.section), Cp1251ToUtf8(n.key));
  if (!v) return {};
  std::u16string wide = Utf8ToUtf16(*v);
  if (wide.size() > kMaxWideRead) wide.resize(kMaxWideRead);
  return Utf16ToEscaped(wide);
}

}  // namespace qel
