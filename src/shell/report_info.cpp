#include "shell/report_info.h"

#include <charconv>

namespace qel {
namespace {

template <typename T>
std::optional<T> Number(std::string_view s) {
  T v{};
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> SplitWords(std::string_view s) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    size_t j = i;
    while (j < s.size() && s[j] != ' ') ++j;
    if (j > i) words.emplace_back(s.substr(i, j - i));
    i = j;
  }
  return words;
}

// "frame N after step M"
void ParsePicture(std::string_view v, ReportInfo& info) {
  const auto w = SplitWords(v);
  if (w.size() != 5 || w[0] != "frame" || w[2] != "after" || w[3] != "step") return;
  const auto frame = Number<int64_t>(w[1]);
  const auto step = Number<int64_t>(w[4]);
  if (!frame || !step) return;
  info.pictureFrame = frame;
  info.pictureStep = step;
}

void Apply(std::string_view name, std::string_view v, ReportInfo& info) {
  if (name == "game") info.game = v;
  else if (name == "game path") info.gamePath = v;
  else if (name == "game size") info.gameSize = Number<int64_t>(v);
  else if (name == "game sha256") info.gameSha256 = v;
  else if (name == "options") info.options = v;
  else if (name == "play options") info.playOptions = SplitWords(v);
  else if (name == "seed") info.seed = Number<uint32_t>(v);
  else if (name == "started") info.started = v;
  else if (name == "locale") info.locale = v;
  else if (name == "report") info.reason = v;
  else if (name == "step") info.step = Number<int64_t>(v);
  else if (name == "crash signal") info.crashSignal = Number<int>(v);
  else if (name == "error step") info.errorStep = Number<int64_t>(v);
  else if (name == "error") info.error = v;
  else if (name == "picture") ParsePicture(v, info);
}

void Line(std::string& out, const char* name, std::string_view value) {
  if (value.empty()) return;
  out += name;
  out += ": ";
  out += value;
  out += '\n';
}

template <typename T>
void Line(std::string& out, const char* name, const std::optional<T>& value) {
  if (value) Line(out, name, std::to_string(*value));
}

}  // namespace

ReportInfo ParseReportInfo(std::string_view text) {
  ReportInfo info;
  size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trimmed(text.substr(pos, end - pos));
    pos = end + 1;
    if (first) {
      first = false;
      if (line.rfind("qelplayer", 0) == 0) {
        info.player = line;
        continue;
      }
    }
    const size_t colon = line.find(": ");
    if (colon == std::string_view::npos) continue;
    Apply(line.substr(0, colon), Trimmed(line.substr(colon + 2)), info);
  }
  return info;
}

std::string FormatStartLines(const ReportInfo& info) {
  std::string out = info.player + "\n";
  Line(out, "game", info.game);
  Line(out, "game path", info.gamePath);
  Line(out, "game size", info.gameSize);
  Line(out, "game sha256", info.gameSha256);
  Line(out, "options", info.options);
  std::string play;
  for (const std::string& o : info.playOptions) {
    if (!play.empty()) play += ' ';
    play += o;
  }
  Line(out, "play options", play);
  Line(out, "seed", info.seed);
  Line(out, "started", info.started);
  Line(out, "locale", info.locale);
  return out;
}

std::string FormatReportLines(const ReportInfo& info) {
  std::string out;
  Line(out, "report", info.reason);
  Line(out, "step", info.step);
  Line(out, "crash signal", info.crashSignal);
  Line(out, "error step", info.errorStep);
  Line(out, "error", info.error);
  if (info.pictureFrame && info.pictureStep)
    Line(out, "picture",
         "frame " + std::to_string(*info.pictureFrame) + " after step " + std::to_string(*info.pictureStep));
  return out;
}

}  // namespace qel
