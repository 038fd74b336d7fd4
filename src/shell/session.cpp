#include "shell/session.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "elements/runtime.h"
#include "gamedb/player_files.h"
#include "shell/crash_guard.h"
#include "shell/file_digest.h"
#include "shell/options.h"
#include "shell/screenshot.h"
#include "shell/session_dirs.h"
#include "shell/start_files.h"

namespace fs = std::filesystem;

namespace qel {
namespace {

constexpr size_t kErrorsKept = 200;

std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  return text;
}

std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t'\"\\$") == std::string::npos) return arg;
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// The variable the scripts' date formats come from, as the locale rules read it.
std::string LocaleOfRun() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"})
    if (const char* v = std::getenv(variable); v && *v) return v;
  return {};
}

std::string PlayerName() {
  std::string v = PlayerVersionText();
  while (!v.empty() && v.back() == '\n') v.pop_back();
  return v;
}

bool WriteText(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// What a crash could not add to its report, added by a later run: the game
// file's digest while it is still the size the run had, and the game's error
// log as it is now.
void CompleteCrashReport(const fs::path& report) {
  const ReportInfo info = ParseReportInfo(ReadText(report / "report.txt"));
  const fs::path game = info.gamePath;
  std::error_code ec;
  if (game.empty() || !fs::is_regular_file(game, ec)) return;
  const auto size = fs::file_size(game, ec);
  if (info.gameSha256.empty() && info.gameSize && !ec && static_cast<int64_t>(size) == *info.gameSize) {
    std::ofstream out(report / "report.txt", std::ios::binary | std::ios::app);
    out << "game sha256: " << FileSha256(game) << "\n";
  }
  GameDir dir(game.parent_path());
  PlayerFiles files(dir, PlayerFiles::DataDirFor(game.stem().string()));
  if (auto log = files.ForRead("brannoc.err"); log && fs::is_regular_file(*log, ec))
    fs::copy_file(*log, report / log->filename(), fs::copy_options::overwrite_existing, ec);
}

fs::path FreeName(const fs::path& wanted) {
  std::error_code ec;
  fs::path p = wanted;
  for (int n = 2; fs::exists(p, ec); ++n) p = wanted.string() + "-" + std::to_string(n);
  return p;
}

}  // namespace

std::string ScriptErrorLine(const ScriptErrorReport& e) {
  return OneLine(Cp1251ToUtf8(e.message + " (" + e.statement + " in " + e.place + ") " + e.event));
}

std::unique_ptr<Session> Session::Begin(const Start& start) {
  const fs::path sessions = SessionsDir();
  std::error_code ec;
  fs::create_directories(sessions, ec);
  for (const fs::path& moved : PruneSessions(sessions, ReportsDir(), kKeepSessions - 1, kKeepReports).movedCrashes) {
    CompleteCrashReport(moved);
    std::fprintf(stderr, "qelplayer: an earlier run crashed; its report is in %s\n", moved.c_str());
  }
  std::unique_ptr<Session> s(new Session);
  s->folder_ = FreeName(sessions / NewSessionName());
  s->gameFile_ = start.gameFile;
  if (!fs::create_directories(s->folder_, ec)) {
    std::fprintf(stderr, "qelplayer: this run is not recorded: cannot make %s\n", s->folder_.c_str());
    return nullptr;
  }
  s->reportFd_ = ::open((s->folder_ / "report.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  s->recordingFd_ = ::open((s->folder_ / "recording.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (s->reportFd_ < 0 || s->recordingFd_ < 0) {
    std::fprintf(stderr, "qelplayer: this run is not recorded: cannot write in %s\n", s->folder_.c_str());
    return nullptr;
  }
  // Held while the run goes: other players leave a locked session alone.
  ::flock(s->reportFd_, LOCK_EX | LOCK_NB);

  ReportInfo& info = s->start_;
  info.player = PlayerName();
  if (!start.gameFile.empty()) {
    info.game = start.gameFile.filename().string();
    info.gamePath = start.gameFile.string();
    const auto size = fs::file_size(start.gameFile, ec);
    if (!ec) info.gameSize = static_cast<int64_t>(size);
  }
  for (const std::string& a : start.args) {
    if (!info.options.empty()) info.options += ' ';
    info.options += Quoted(a);
  }
  info.playOptions = start.playOptions;
  info.seed = start.seed;
  info.started = LocalTimeText();
  info.locale = LocaleOfRun();
  const std::string lines = FormatStartLines(info);
  if (::write(s->reportFd_, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size()))
    std::fprintf(stderr, "qelplayer: cannot write %s/report.txt\n", s->folder_.c_str());
  s->Line("# qelplayer session: STEP EVENT ARGUMENTS");

  s->crashHead_ = "qelplayer: crashed";
  s->crashTail_ = "; the report is in " + s->folder_.string() + "\n";
  InstallCrashGuard({s->reportFd_, nullptr, s->crashHead_, s->crashTail_});
  return s;
}

Session::~Session() {
  RemoveCrashGuard();
  if (recordingFd_ >= 0) ::close(recordingFd_);
  if (reportFd_ >= 0) ::close(reportFd_);
}

void Session::Line(const std::string& text) {
  if (recordingFd_ < 0 || writeFailed_) return;
  // One write a line, at once: a crash leaves every line before it on disk.
  const std::string line = text + "\n";
  if (::write(recordingFd_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
    writeFailed_ = true;
    std::fprintf(stderr, "qelplayer: cannot write %s/recording.txt; the rest of this run is not recorded\n",
                 folder_.c_str());
  }
}

const Clock& Session::RecordClock(const Clock& source) {
  clock_ = std::make_unique<RecordingClock>(
      source, [this](uint64_t reading, double value) { Line(FormatClock({Step(), reading, value})); });
  return *clock_;
}

void Session::Attach(Runtime& runtime, const std::vector<fs::path>& playerFiles, const fs::path& dataDir) {
  runtime_ = &runtime;
  step_ = &runtime.shell.FrameTick;
  SetCrashStep(step_);
  errorLog_ = runtime.errorLog;
  if (!gameFile_.empty()) CaptureStartFiles(gameFile_.parent_path(), playerFiles, dataDir, folder_ / "start");
  runtime.scriptErrorListeners.push_back([this](const ScriptErrorReport& e) { OnScriptError(e); });
}

void Session::Detach() {
  endStep_ = Step();
  step_ = &endStep_;
  SetCrashStep(step_);
  runtime_ = nullptr;
}

void Session::Input(const InputEvent& stamped) { Line(FormatInputEvent(stamped)); }

int64_t Session::Frame(int64_t step) {
  Line(FormatFrame(step));
  lastFrameStep_ = step;
  return ++frames_;
}

void Session::Paint(int64_t step) { Line(FormatPaint(step)); }

void Session::RequestReport() {
  if (due_) return;
  due_ = ReportInfo{};
  due_->reason = "key";
  due_->step = Step();
}

void Session::OnScriptError(const ScriptErrorReport& error) {
  const std::string line = ScriptErrorLine(error);
  if (errors_.size() == kErrorsKept) errors_.erase(errors_.begin());
  errors_.push_back("step " + std::to_string(Step()) + ": " + line);
  if (firstErrorStep_) return;
  firstErrorStep_ = Step();
  firstError_ = line;
  if (due_) return;
  due_ = ReportInfo{};
  due_->reason = "script error";
  due_->step = Step();
}

fs::path Session::WriteReport(const std::vector<uint32_t>& pixels, int width, int height) {
  if (!due_) return {};
  ReportInfo info = *due_;
  due_.reset();
  info.errorStep = firstErrorStep_;
  info.error = firstError_;
  if (frames_ > 0) {
    info.pictureFrame = frames_;
    info.pictureStep = lastFrameStep_;
  }
  ReportInfo head = start_;
  if (!gameFile_.empty()) head.gameSha256 = FileSha256(gameFile_);

  std::error_code ec;
  const fs::path dir = FreeName(ReportsDir() / (folder_.filename().string() + "-step" + std::to_string(*info.step)));
  fs::create_directories(dir, ec);
  bool ok = !ec;
  ok = ok && WriteText(dir / "report.txt", FormatStartLines(head) + FormatReportLines(info));
  ok = ok && fs::copy_file(folder_ / "recording.txt", dir / "recording.txt", ec);
  if (ok && fs::exists(folder_ / "start", ec))
    fs::copy(folder_ / "start", dir / "start", fs::copy_options::recursive, ec);
  ok = ok && !ec;
  if (ok && !pixels.empty()) ok = WritePngRgb(dir / "screenshot.png", pixels, width, height);
  if (ok && !errorLog_.empty() && fs::is_regular_file(errorLog_, ec))
    fs::copy_file(errorLog_, dir / errorLog_.filename(), ec);
  if (ok && !errors_.empty()) {
    std::string text;
    for (const std::string& e : errors_) text += e + "\n";
    ok = WriteText(dir / "errors.txt", text);
  }
  if (!ok) {
    std::fprintf(stderr, "qelplayer: the report could not be written in %s\n", dir.c_str());
    return {};
  }
  if (info.reason == "script error")
    std::fprintf(stderr, "qelplayer: script error at step %lld: %s; the report is in %s\n",
                 static_cast<long long>(*info.step), info.error.c_str(), dir.c_str());
  else
    std::fprintf(stderr, "qelplayer: report saved in %s\n", dir.c_str());
  return dir;
}

}  // namespace qel
