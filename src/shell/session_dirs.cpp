#include "shell/session_dirs.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "shell/report_info.h"

namespace fs = std::filesystem;

namespace qel {
namespace {

std::vector<fs::path> FoldersByName(const fs::path& dir) {
  std::vector<fs::path> folders;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.is_directory(ec) && !e.is_symlink(ec)) folders.push_back(e.path());
  std::sort(folders.begin(), folders.end());
  return folders;
}

bool EndedInCrash(const fs::path& session) {
  std::ifstream in(session / "report.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return ParseReportInfo(text.str()).reason == "crash";
}

}  // namespace

fs::path PlayerStateDir() {
  const char* xdg = std::getenv("XDG_STATE_HOME");
  if (xdg && xdg[0] == '/') return fs::path(xdg) / "qelplayer";
  const char* home = std::getenv("HOME");
  return fs::path(home && home[0] ? home : "/tmp") / ".local" / "state" / "qelplayer";
}

fs::path SessionsDir() { return PlayerStateDir() / "sessions"; }
fs::path ReportsDir() { return PlayerStateDir() / "reports"; }

std::string NewSessionName() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return std::string(stamp) + "-" + std::to_string(::getpid());
}

bool SessionRunning(const fs::path& session) {
  const int fd = ::open((session / "report.txt").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return locked;
}

PruneResult PruneSessions(const fs::path& sessions, const fs::path& reports, size_t keep, size_t keepReports) {
  PruneResult result;
  std::error_code ec;
  std::vector<fs::path> ended;
  for (const fs::path& s : FoldersByName(sessions)) {
    if (SessionRunning(s)) continue;
    if (EndedInCrash(s)) {
      fs::create_directories(reports, ec);
      const fs::path to = reports / (s.filename().string() + "-crash");
      fs::rename(s, to, ec);
      if (!ec) {
        result.movedCrashes.push_back(to);
        continue;
      }
    }
    ended.push_back(s);
  }
  for (size_t i = 0; i + keep < ended.size(); ++i) fs::remove_all(ended[i], ec);
  const std::vector<fs::path> kept = FoldersByName(reports);
  for (size_t i = 0; i + keepReports < kept.size(); ++i) fs::remove_all(kept[i], ec);
  return result;
}

}  // namespace qel
