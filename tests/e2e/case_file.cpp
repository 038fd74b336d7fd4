#include "case_file.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "shell/input_script.h"

namespace qel::e2e {
namespace {

std::vector<std::string> Words(std::string_view line) {
  std::istringstream in{std::string(line)};
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool Int(const std::string& s, int& out) {
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, out);
  return ec == std::errc() && p == end;
}

bool Real(const std::string& s, double& out) {
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, out);
  return ec == std::errc() && p == end;
}

bool Colour(const std::string& s, uint32_t& out) {
  if (s.size() != 7 || s[0] != '#') return false;
  auto [p, ec] = std::from_chars(s.data() + 1, s.data() + 7, out, 16);
  return ec == std::errc() && p == s.data() + 7;
}

// The text of a line after its first `skip` words w[0..skip-1] (blanks around it dropped).
std::string Rest(const std::string& line, const std::vector<std::string>& w, size_t skip) {
  size_t at = 0;
  for (size_t i = 0; i < skip; ++i) at = line.find(w[i], at) + w[i].size();
  const size_t start = line.find_first_not_of(" \t", at);
  const size_t end = line.find_last_not_of(" \t\r");
  return start == std::string::npos ? "" : line.substr(start, end + 1 - start);
}

bool Step(const std::string& s) {
  int n = 0;
  return s == "end" || (Int(s, n) && n >= 0);
}

class Parser {
 public:
  DemoCase Parse(std::string_view text) {
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) {
      ++line_;
      line.resize(FindComment(line));
      const std::vector<std::string> w = Words(line);
      if (!w.empty()) Directive(w, line);
    }
    if (c_.runs.empty()) Problem("no run");
    return std::move(c_);
  }

 private:
  // '#' starts a comment when it starts the line or is followed by a blank;
  // "#RRGGBB" is a colour.
  static size_t FindComment(const std::string& line) {
    for (size_t i = line.find('#'); i != std::string::npos; i = line.find('#', i + 1))
      if (line.find_first_not_of(" \t") == i || i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t')
        return i;
    return line.size();
  }

  void Problem(const std::string& what) { c_.problems.push_back(std::to_string(line_) + ": " + what); }

  void Directive(const std::vector<std::string>& w, const std::string& line) {
    const std::string& d = w[0];
    if (d == "run") return StartRun(line);
    if (c_.runs.empty()) return Problem("'" + d + "' before the first run");
    RunSpec& run = c_.runs.back();
    int n = 0;
    if (Int(d, n)) return Input(run, w, line);
    if (d == "replay" && w.size() == 2) return void(run.replayFile = w[1]);
    if (d == "status" && w.size() == 2 && Int(w[1], run.status)) return;
    if (d == "write" && w.size() >= 3) return void(run.writes.emplace_back(w[1], Rest(line, w, 2)));
    if (d == "env" && w.size() == 2 && w[1].find('=') != std::string::npos) return void(run.env += " " + w[1]);
    Check check;
    check.line = line_;
    if (!ParseCheck(w, line, check)) return Problem("cannot read '" + line + "'");
    run.checks.push_back(check);
  }

  void StartRun(const std::string& line) {
    RunSpec run;
    run.line = line_;
    run.options = line.substr(line.find("run") + 3);
    c_.runs.push_back(run);
  }

  void Input(RunSpec& run, const std::vector<std::string>& w, const std::string& line) {
    if (w.size() == 4 && w[1] == "click") {
      for (const char* e : {" move ", " down ", " up "}) run.input += w[0] + e + w[2] + " " + w[3] + "\n";
      return;
    }
    InputEvent event;
    std::string why;
    if (!ParseInputLine(line, event, why)) return Problem(why);
    run.input += line + "\n";
  }

  bool ParseCheck(const std::vector<std::string>& w, const std::string& line, Check& c) {
    const std::string& d = w[0];
    if (d == "pixel" || d == "not-pixel") {
      c.kind = d == "pixel" ? CheckKind::Pixel : CheckKind::NotPixel;
      return Sized(w, 5, 6) && Shot(w[1], c.a) && Int(w[2], c.x) && Int(w[3], c.y) && Colour(w[4], c.colour) &&
             Tolerance(w, 5, c);
    }
    if (d == "some") {
      c.kind = CheckKind::Some;
      return Sized(w, 7, 8) && Shot(w[1], c.a) && Rect(w, 2, c) && Colour(w[6], c.colour) && Tolerance(w, 7, c);
    }
    if (d == "changed" || d == "unchanged") {
      c.kind = d == "changed" ? CheckKind::Changed : CheckKind::Unchanged;
      return Sized(w, 7, 7) && Shot(w[1], c.a) && Shot(w[2], c.b) && Rect(w, 3, c);
    }
    if (d == "like") {
      c.kind = CheckKind::Like;
      c_.runs.back().audio = true;
      const bool ok = Sized(w, 6, 6) && Int(w[1], c.otherRun) && c.otherRun >= 1 &&
                      c.otherRun < static_cast<int>(c_.runs.size()) && Int(w[2], c.from) && Int(w[3], c.to) &&
                      1 <= c.from && c.from < c.to && Real(w[4], c.low) && Real(w[5], c.high) && c.low <= c.high;
      if (ok) c_.runs[--c.otherRun].audio = true;
      return ok;
    }
    if (d == "same-sound") {
      c.kind = CheckKind::SameSound;
      c_.runs.back().audio = true;
      const bool ok = Sized(w, 2, 2) && Int(w[1], c.otherRun) && c.otherRun >= 1 &&
                      c.otherRun < static_cast<int>(c_.runs.size());
      if (ok) c_.runs[--c.otherRun].audio = true;
      return ok;
    }
    if (d == "silent" || d == "sound" || d == "peak") {
      c.kind = d == "silent" ? CheckKind::Silent : d == "sound" ? CheckKind::Sound : CheckKind::Peak;
      c_.runs.back().audio = true;
      const size_t n = c.kind == CheckKind::Peak ? 5 : 3;
      return Sized(w, n, n) && Int(w[1], c.from) && Int(w[2], c.to) && 1 <= c.from && c.from < c.to &&
             (n == 3 || (Int(w[3], c.min) && Int(w[4], c.max) && c.min <= c.max));
    }
    c.words.assign(w.begin() + 1, w.end());
    if (d == "ini") return c.kind = CheckKind::Ini, w.size() >= 4;  // the value may be empty
    if (d == "file") {
      c.kind = CheckKind::File;
      return Sized(w, 3, 3) && (w[2] == "exists" || w[2] == "missing" || w[2] == "empty");
    }
    if (d == "no-errors") return c.kind = CheckKind::NoErrors, w.size() == 1;
    if (d == "stderr") return c.kind = CheckKind::Stderr, c.words = {Rest(line, w, 1)}, w.size() >= 2;
    return false;
  }

  static bool Sized(const std::vector<std::string>& w, size_t min, size_t max) {
    return w.size() >= min && w.size() <= max;
  }

  bool Rect(const std::vector<std::string>& w, size_t at, Check& c) {
    return Int(w[at], c.x) && Int(w[at + 1], c.y) && Int(w[at + 2], c.w) && Int(w[at + 3], c.h) && c.w > 0 &&
           c.h > 0;
  }

  static bool Tolerance(const std::vector<std::string>& w, size_t at, Check& c) {
    return w.size() <= at || (Int(w[at], c.tolerance) && c.tolerance >= 0);
  }

  // STEP of the current run, or RUN:STEP of an earlier one; the run is told to
  // take that picture.
  bool Shot(const std::string& s, ShotRef& ref) {
    ref.run = static_cast<int>(c_.runs.size()) - 1;
    ref.step = s;
    if (const size_t colon = s.find(':'); colon != std::string::npos) {
      int run = 0;
      if (!Int(s.substr(0, colon), run) || run < 1 || run > ref.run + 1) return false;
      ref.run = run - 1;
      ref.step = s.substr(colon + 1);
    }
    if (!Step(ref.step)) return false;
    std::vector<std::string>& shots = c_.runs[ref.run].shots;
    if (std::find(shots.begin(), shots.end(), ref.step) == shots.end()) shots.push_back(ref.step);
    return true;
  }

  DemoCase c_;
  int line_ = 0;
};

}  // namespace

DemoCase ParseCase(std::string_view text) { return Parser().Parse(text); }

}  // namespace qel::e2e
