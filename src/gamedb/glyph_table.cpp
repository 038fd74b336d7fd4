#include "gamedb/glyph_table.h"

#include <algorithm>
#include <cmath>

#include "base/text_lines.h"
#include "base/variant.h"

namespace qel {
namespace {

// The advance of a glyph drawn at the picture's scale: width / 1.7, halves to even.
uint8_t Advance(int64_t width) {
  double a = std::nearbyint(static_cast<double>(width) / 1.7);
  return static_cast<uint8_t>(static_cast<int64_t>(a) & 0xFF);
}

}  // namespace

GlyphTable ParseGlyphList(std::string_view text, std::vector<std::string>* problems) {
  GlyphTable table;
  auto note = [&](size_t line, const std::string& what) {
    if (problems) problems->push_back("unicode.fnt line " + std::to_string(line + 1) + ": " + what);
  };
  std::vector<std::string_view> lines = SplitLines(text);
  if (lines.empty()) return table;
  auto count = ParseInteger(ByteString(lines[0]));
  if (!count || *count < 0) {
    note(0, "the glyph count is not a number");
    count = 0;
  }
  const size_t n = std::min<size_t>(static_cast<size_t>(*count), lines.size() - 1);
  for (size_t i = 0; i < n; ++i) {
    std::string_view line = lines[i + 1];
    size_t blank = line.find(' ');
    std::optional<int64_t> code, width;
    if (blank != std::string_view::npos && blank > 0) {
      code = ParseInteger(ByteString("$").append(line.substr(0, blank)));
      width = ParseInteger(ByteString(line.substr(blank + 1)));
    }
    if (!code || !width || *code < 0 || *code > 0xFFFF || line.substr(0, blank).find_first_of("$+- ") != std::string_view::npos) {
      note(i + 1, "not a glyph (\"" + std::string(line) + "\"), skipped");
      continue;
    }
    auto c = static_cast<size_t>(*code);
    if (table.entries.size() <= c) table.entries.resize(c + 1);
    table.entries[c] = GlyphEntry{static_cast<uint16_t>(i), Advance(*width)};
  }
  if (n + 1 < lines.size()) table.faceName.assign(lines[n + 1]);
  if (static_cast<size_t>(*count) > n) note(lines.size(), "fewer glyph lines than the count");
  return table;
}

}  // namespace qel
