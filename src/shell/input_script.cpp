#include "shell/input_script.h"

#include <algorithm>
#include <charconv>

namespace qel {
namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

template <typename T>
bool Number(std::string_view w, T& out) {
  const char* end = w.data() + w.size();
  auto [p, ec] = std::from_chars(w.data(), end, out);
  return ec == std::errc() && p == end;
}

const char* KindName(InputKind k) {
  switch (k) {
    case InputKind::Move: return "move";
    case InputKind::Down: return "down";
    case InputKind::Up: return "up";
    case InputKind::Key: return "key";
    case InputKind::Char: return "char";
    case InputKind::Activate: return "activate";
  }
  return "?";
}

bool KindFromName(std::string_view w, InputKind& k) {
  for (InputKind c : {InputKind::Move, InputKind::Down, InputKind::Up, InputKind::Key, InputKind::Char,
                      InputKind::Activate})
    if (w == KindName(c)) {
      k = c;
      return true;
    }
  return false;
}

bool ParseModifiers(const std::vector<std::string_view>& w, size_t from, InputEvent& e, std::string& why) {
  for (size_t i = from; i < w.size(); ++i) {
    if (w[i] == "alt") e.alt = true;
    else if (w[i] == "ctrl") e.ctrl = true;
    else if (w[i] == "shift") e.shift = true;
    else {
      why = "unknown modifier " + std::string(w[i]);
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseInputLine(std::string_view line, InputEvent& e, std::string& why) {
  why.clear();
  line = line.substr(0, line.find('#'));
  const auto w = Words(line);
  if (w.empty()) return false;
  e = InputEvent{};
  if (!Number(w[0], e.step) || e.step < 0) return why = "the step is not a number, 0 or more", false;
  if (w.size() < 2 || !KindFromName(w[1], e.kind)) return why = "unknown event", false;
  switch (e.kind) {
    case InputKind::Move:
    case InputKind::Down:
    case InputKind::Up:
      if (w.size() != 4 || !Number(w[2], e.x) || !Number(w[3], e.y)) return why = "needs X Y", false;
      return true;
    case InputKind::Key:
      if (w.size() < 3 || !Number(w[2], e.code) || e.code < 0 || e.code > 255)
        return why = "needs a key code 0..255", false;
      return ParseModifiers(w, 3, e, why);
    case InputKind::Char:
      if (w.size() != 3 || !Number(w[2], e.code) || e.code < 0 || e.code > 0xFFFF)
        return why = "needs a code unit 0..65535", false;
      return true;
    case InputKind::Activate:
      if (w.size() != 3 || (w[2] != "0" && w[2] != "1")) return why = "needs 0 or 1", false;
      e.code = w[2] == "1";
      return true;
  }
  return false;
}

InputScript ParseInputScript(std::string_view text) {
  InputScript script;
  int lineNo = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    ++lineNo;
    InputEvent e;
    std::string why;
    if (ParseInputLine(text.substr(pos, end - pos), e, why))
      script.events.push_back(e);
    else if (!why.empty())
      script.problems.push_back({lineNo, why});
    pos = end + 1;
  }
  std::stable_sort(script.events.begin(), script.events.end(),
                   [](const InputEvent& a, const InputEvent& b) { return a.step < b.step; });
  return script;
}

std::string FormatInputEvent(const InputEvent& e) {
  std::string s = std::to_string(e.step);
  auto word = [&s](std::string_view w) {
    s.push_back(' ');
    s.append(w);
  };
  word(KindName(e.kind));
  switch (e.kind) {
    case InputKind::Move:
    case InputKind::Down:
    case InputKind::Up:
      word(std::to_string(e.x));
      word(std::to_string(e.y));
      break;
    case InputKind::Key:
      word(std::to_string(e.code));
      if (e.alt) word("alt");
      if (e.ctrl) word("ctrl");
      if (e.shift) word("shift");
      break;
    case InputKind::Char:
    case InputKind::Activate:
      word(std::to_string(e.code));
      break;
  }
  return s;
}

}  // namespace qel
