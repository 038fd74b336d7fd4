#pragma once
// Ini text: "[Section]" lines, each followed by "Key=Value" lines. Names are
// compared without regard to letter case and the first match wins, as the
// games' authoring tools expect. Lines the reader does not understand are
// kept as they are when a value is written back.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/encoding.h"

namespace qel {

class IniTable {
 public:
  // How names are folded for comparison: 8-bit text (Windows-1251 letters)
  // or UTF-8 text (ASCII letters only, multi-byte sequences as they are).
  enum class Folding { Cp1251, Ascii };

  IniTable() = default;
  explicit IniTable(std::string_view text, Folding folding = Folding::Cp1251);

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string Read(std::string_view section, std::string_view key, std::string_view fallback) const;
  // Replaces the first matching key, or adds it at the end of its section,
  // or adds the section at the end of the text.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  std::string Text() const;
  bool Empty() const { return lines_.empty(); }

 private:
  struct Pos {
    size_t section;  // line of the section header
    size_t line;     // line of the key, or npos
  };
  std::string Fold(std::string_view name) const;
  void Index();

  std::vector<std::string> lines_;
  std::string eol_ = "\r\n";
  Folding folding_ = Folding::Cp1251;
  // First value of each folded "section\nkey".
  std::unordered_map<std::string, std::string> index_;
};

// An in-memory table of an 8-bit file; empty when the file is missing or unreadable.
IniTable LoadIniTable(const std::filesystem::path& file);

// The player's settings file: every read sees the file as it is now and
// every write goes straight to disk (replacing the file as a whole). Writes
// may go to another place than the first reads (a game directory that
// cannot be written): from the first write on, that copy is the one read.
class SettingsFile {
 public:
  static constexpr size_t kMaxRead = 999;
  explicit SettingsFile(std::filesystem::path file, std::filesystem::path writeTo = {})
      : file_(std::move(file)), writeTo_(writeTo.empty() ? file_ : std::move(writeTo)) {}
  // The file reads come from.
  std::filesystem::path Path() const;

  // A missing file, section or key gives the fallback; at most kMaxRead characters.
  ByteString ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
  // Creates the file, the section and the key as needed; false when the file cannot be written.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int32_t value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);
  // The same file read and written as wide text (names in UTF-8).
  std::u16string ReadWide(std::string_view section, std::string_view key, const std::u16string& fallback) const;
  bool WriteWide(std::string_view section, std::string_view key, const std::u16string& value);

 private:
  std::filesystem::path file_, writeTo_;
};

// --- wide reads and writes ---

enum class TextEncoding { Cp1251, Utf8, Utf8Bom, Utf16Le, Utf16LeBom, Utf16BeBom };

// Recognises a byte-order mark, or UTF-16 without one (zero high bytes of
// ASCII text), or valid UTF-8; anything else is 8-bit.
TextEncoding DetectEncoding(std::string_view bytes);
std::u16string DecodeText(std::string_view bytes, TextEncoding encoding);
std::string EncodeText(const std::u16string& text, TextEncoding encoding);

// An in-memory table of a file of any supported encoding, names and values as UTF-8.
IniTable LoadWideIniTable(const std::filesystem::path& file);

constexpr size_t kMaxWideRead = 999;
// Value of a key in a file of any supported encoding, or the fallback; at
// most kMaxWideRead UTF-16 units. Names are UTF-8.
std::u16string IniReadWide(const std::filesystem::path& file, std::string_view section, std::string_view key,
                           const std::u16string& fallback);
// Writes a key keeping the file's encoding (a new file is 8-bit unless the
// value has characters 8-bit text cannot hold; then UTF-8 with a mark);
// false when it cannot be written. Names are UTF-8.
bool IniWriteWide(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  const std::u16string& value);

}  // namespace qel
