#pragma once
// Line layout of texts: explicit line-break markers and word wrap to the box
// width. Lines of a layout end with byte 0. Texts in unicode mode carry
// three-byte escape groups (byte 1, low, high) that searches step over.
#include <functional>
#include <string_view>
#include <vector>

#include "base/encoding.h"

namespace qel {

// Width of one line as it will be drawn.
using LineMeasure = std::function<double(std::string_view line)>;

// Index of the first byte c outside escape groups, at or after `from`; npos when none.
size_t FindSkip(std::string_view text, char c, size_t from = 0);
// Index of the two-byte marker outside escape groups; npos when none.
size_t FindPairSkip(std::string_view text, std::string_view pair);

// Splits at CR LF and at the two characters backslash and n; every line
// ends with byte 0.
ByteString BreakAtMarkers(std::string_view source);
// Re-flows a broken layout into lines no wider than boxWidth where the words allow it
// (line ends act as word gaps; a word wider than the box keeps a line of its own).
ByteString WrapWords(std::string_view layout, double boxWidth, const LineMeasure& measure);

// Lines of a layout (a missing final byte 0 is implied); at least one line.
std::vector<std::string_view> LayoutLines(std::string_view layout);
size_t CountLines(std::string_view layout);
// Calls fn for each line of a layout, as LayoutLines lists them.
template <class Fn>
void ForEachLine(std::string_view layout, Fn fn) {
  if (layout.empty()) return fn(layout);
  size_t start = 0;
  while (start < layout.size()) {
    size_t end = FindSkip(layout, '\0', start);
    if (end == std::string_view::npos) end = layout.size();
    fn(layout.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace qel
