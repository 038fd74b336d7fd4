#include "gamedb/ini_file.h"

#include "base/text_lines.h"
#include "base/variant.h"
#include "gamedb/atomic_file.h"

namespace qel {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

// "[Name]" gives Name; anything else nullopt.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line[0] != '[') return std::nullopt;
  size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return TrimBlanks(line.substr(1, close - 1));
}

struct KeyValue {
  std::string_view key, value;
};

std::optional<KeyValue> KeyLine(std::string_view line) {
  std::string_view t = TrimBlanks(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return std::nullopt;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  KeyValue kv{TrimBlanks(t.substr(0, eq)), TrimBlanks(t.substr(eq + 1))};
  // One pair of matching quotes around a value is not part of it.
  std::string_view v = kv.value;
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) kv.value = v.substr(1, v.size() - 2);
  return kv;
}

std::string IndexKey(const std::string& section, const std::string& key) { return section + '\n' + key; }

}  // namespace

IniTable::IniTable(std::string_view text, Folding folding) : folding_(folding) {
  if (text.find("\r\n") == std::string_view::npos && text.find('\n') != std::string_view::npos) eol_ = "\n";
  for (std::string_view line : SplitLines(text)) lines_.emplace_back(line);
  Index();
}

std::string IniTable::Fold(std::string_view name) const {
  std::string s(name);
  return folding_ == Folding::Cp1251 ? UpperCase(s) : UpperAscii(s);
}

void IniTable::Index() {
  index_.clear();
  std::optional<std::string> section;
  for (const std::string& line : lines_) {
    if (auto name = SectionName(line)) {
      section = Fold(*name);
    } else if (section) {
      if (auto kv = KeyLine(line)) index_.emplace(IndexKey(*section, Fold(kv->key)), std::string(kv->value));
    }
  }
}

std::optional<std::string> IniTable::Find(std::string_view section, std::string_view key) const {
  auto it = index_.find(IndexKey(Fold(TrimBlanks(section)), Fold(TrimBlanks(key))));
  if (it == index_.end()) return std::nullopt;
  return it->second;
}

std::string IniTable::Read(std::string_view section, std::string_view key, std::string_view fallback) const {
  auto v = Find(section, key);
  return v ? *v : std::string(fallback);
}

void IniTable::Write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string wantSection = Fold(TrimBlanks(section)), wantKey = Fold(TrimBlanks(key));
  const std::string newLine = std::string(TrimBlanks(key)) + "=" + std::string(value);
  size_t sectionLine = std::string::npos;
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto name = SectionName(lines_[i]);
    if (!name) continue;
    if (sectionLine != std::string::npos) break;
    if (Fold(*name) == wantSection) sectionLine = i;
  }
  if (sectionLine == std::string::npos) {
    if (!lines_.empty() && !TrimBlanks(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back(std::string("[").append(TrimBlanks(section)).append("]"));
    lines_.push_back(newLine);
    Index();
    return;
  }
  size_t lastEntry = sectionLine;
  for (size_t i = sectionLine + 1; i < lines_.size() && !SectionName(lines_[i]); ++i) {
    auto kv = KeyLine(lines_[i]);
    if (kv && Fold(kv->key) == wantKey) {
      lines_[i] = std::string(kv->key) + "=" + std::string(value);
      Index();
      return;
    }
    if (!TrimBlanks(lines_[i]).empty()) lastEntry = i;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1), newLine);
  Index();
}

std::string IniTable::Text() const {
  std::string out;
  for (const std::string& line : lines_) out += line + eol_;
  return out;
}

IniTable LoadIniTable(const std::filesystem::path& file) {
  auto bytes = ReadWholeFile(file);
  return bytes ? IniTable(*bytes) : IniTable();
}

// --- settings file ---

std::filesystem::path SettingsFile::Path() const {
  std::error_code ec;
  return writeTo_ != file_ && std::filesystem::exists(writeTo_, ec) ? writeTo_ : file_;
}

ByteString SettingsFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  ByteString v = LoadIniTable(Path()).Read(section, key, fallback);
  if (v.size() > kMaxRead) v.resize(kMaxRead);
  return v;
}

int32_t SettingsFile::ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const {
  auto v = ParseInteger(ReadString(section, key, ""));
  return v && *v >= INT32_MIN && *v <= INT32_MAX ? static_cast<int32_t>(*v) : fallback;
}

bool SettingsFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool SettingsFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  IniTable table = LoadIniTable(Path());
  table.Write(section, key, value);
  return ReplaceFile(writeTo_, table.Text(), false);
}

bool SettingsFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool SettingsFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

std::u16string SettingsFile::ReadWide(std::string_view section, std::string_view key,
                                     const std::u16string& fallback) const {
  return IniReadWide(Path(), section, key, fallback);
}

bool SettingsFile::WriteWide(std::string_view section, std::string_view key, const std::u16string& value) {
  std::filesystem::path from = Path();
  if (from != writeTo_) {
    // The first write away from the shipped file starts from its contents.
    auto bytes = ReadWholeFile(from);
    if (bytes && !ReplaceFile(writeTo_, *bytes, false)) return false;
  }
  return IniWriteWide(writeTo_, section, key, value);
}

// --- encodings ---

namespace {

bool ValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || (extra == 1 && c < 0xC2)) return false;
    if (i + static_cast<size_t>(extra) >= s.size() && extra > 0) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0xC0) != 0x80) return false;
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return TextEncoding::Utf16LeBom;
  if (StartsWith(bytes, "\xFE\xFF")) return TextEncoding::Utf16BeBom;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return TextEncoding::Utf8Bom;
  // Ini text starts with ASCII ('[', ';', a blank or a letter): in UTF-16
  // without a mark its high bytes are zero, which 8-bit and UTF-8 text never holds.
  if (bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes[0] != 0 && bytes[1] == 0) return TextEncoding::Utf16Le;
  return ValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp1251;
}

std::u16string DecodeText(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Cp1251:
      return Cp1251ToUtf16(ByteString(bytes));
    case TextEncoding::Utf8:
      return Utf8ToUtf16(std::string(bytes));
    case TextEncoding::Utf8Bom:
      return Utf8ToUtf16(std::string(bytes.substr(3)));
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16BeBom: {
      size_t start = encoding == TextEncoding::Utf16Le ? 0 : 2;
      bool big = encoding == TextEncoding::Utf16BeBom;
      std::u16string out;
      for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        auto lo = static_cast<unsigned char>(bytes[i + (big ? 1 : 0)]);
        auto hi = static_cast<unsigned char>(bytes[i + (big ? 0 : 1)]);
        out.push_back(static_cast<char16_t>(lo | (hi << 8)));
      }
      return out;
    }
  }
  return {};
}

std::string EncodeText(const std::u16string& text, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Cp1251:
      return Utf16ToCp1251(text);
    case TextEncoding::Utf8:
      return Utf16ToUtf8(text);
    case TextEncoding::Utf8Bom:
      return "\xEF\xBB\xBF" + Utf16ToUtf8(text);
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16BeBom: {
      bool big = encoding == TextEncoding::Utf16BeBom;
      std::string out = encoding == TextEncoding::Utf16Le ? "" : big ? "\xFE\xFF" : "\xFF\xFE";
      for (char16_t u : text) {
        char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += big ? hi : lo;
        out += big ? lo : hi;
      }
      return out;
    }
  }
  return {};
}

IniTable LoadWideIniTable(const std::filesystem::path& file) {
  auto bytes = ReadWholeFile(file);
  if (!bytes) return IniTable();
  return IniTable(Utf16ToUtf8(DecodeText(*bytes, DetectEncoding(*bytes))), IniTable::Folding::Ascii);
}

std::u16string IniReadWide(const std::filesystem::path& file, std::string_view section, std::string_view key,
                           const std::u16string& fallback) {
  auto value = LoadWideIniTable(file).Find(section, key);
  std::u16string out = value ? Utf8ToUtf16(*value) : fallback;
  if (out.size() > kMaxWideRead) out.resize(kMaxWideRead);
  return out;
}

bool IniWriteWide(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  const std::u16string& value) {
  auto bytes = ReadWholeFile(file);
  TextEncoding encoding = TextEncoding::Cp1251;
  if (bytes && !bytes->empty()) {
    encoding = DetectEncoding(*bytes);
  } else if (Cp1251ToUtf16(Utf16ToCp1251(value)) != value) {
    encoding = TextEncoding::Utf8Bom;
  }
  IniTable table(bytes ? Utf16ToUtf8(DecodeText(*bytes, encoding)) : std::string(), IniTable::Folding::Ascii);
  table.Write(section, key, Utf16ToUtf8(value));
  return ReplaceFile(file, EncodeText(Utf8ToUtf16(table.Text()), encoding), false);
}

}  // namespace qel
