#include "elements/text_layout.h"

#include <vector>

namespace qel {

size_t FindSkip(std::string_view text, char c, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == c) return i;
    if (text[i] == '\x01') i += 2;  // an escape group: byte 1 and two code bytes
  }
  return std::string_view::npos;
}

size_t FindPairSkip(std::string_view text, std::string_view pair) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == pair[0] && text[i + 1] == pair[1]) return i;
    if (text[i] == '\x01') i += 2;
  }
  return std::string_view::npos;
}

ByteString BreakAtMarkers(std::string_view source) {
  ByteString layout;
  layout.reserve(source.size() + 1);
  while (!source.empty()) {
    const size_t p = std::min(FindPairSkip(source, "\r\n"), FindPairSkip(source, "\\n"));
    if (p == std::string_view::npos) {
      layout.append(source);
      layout.push_back('\0');
      break;
    }
    layout.append(source.substr(0, p));
    layout.push_back('\0');
    source.remove_prefix(p + 2);
  }
  return layout;
}

ByteString WrapWords(std::string_view text, double boxWidth, const LineMeasure& measure) {
  ByteString layout;
  layout.reserve(text.size());
  const double space = measure(" ");
  double x = 0;
  ByteString word;
  while (!text.empty()) {
    const size_t p = std::min(FindSkip(text, ' '), FindSkip(text, '\0'));
    word.clear();
    if (x != 0) word.push_back(' ');
    word.append(text.substr(0, p));
    const double w = measure(word);
    if (x != 0 && x + w > boxWidth) {
      word[0] = '\0';
      x = w - space;
    } else {
      x += w;
    }
    layout += word;
    text.remove_prefix(p == std::string_view::npos ? text.size() : p + 1);
  }
  return layout;
}

std::vector<std::string_view> LayoutLines(std::string_view layout) {
  std::vector<std::string_view> lines;
  ForEachLine(layout, [&](std::string_view line) { lines.push_back(line); });
  return lines;
}

size_t CountLines(std::string_view layout) {
  size_t n = 0;
  ForEachLine(layout, [&](std::string_view) { ++n; });
  return n;
}

}  // namespace qel
