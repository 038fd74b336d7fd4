#pragma once
// Where sessions and reports live:
//   $XDG_STATE_HOME/qelplayer/sessions/NAME/   one folder a run (default ~/.local/state)
//   $XDG_STATE_HOME/qelplayer/reports/NAME/    bug reports, kept apart from the sessions
// NAME starts with the local date and time, so names sort by age. A running
// session holds a lock on its report.txt, so that another player leaves it be.
#include <filesystem>
#include <string>
#include <vector>

namespace qel {

std::filesystem::path PlayerStateDir();
std::filesystem::path SessionsDir();
std::filesystem::path ReportsDir();

// "YYYYMMDD-HHMMSS-PID"
std::string NewSessionName();

struct PruneResult {
  std::vector<std::filesystem::path> movedCrashes;  // now in the reports folder
};

// A session that ended in a crash becomes a report; of the others that
// ended, the `keep` newest stay. Running sessions are left alone. Keeps the
// `keepReports` newest reports.
PruneResult PruneSessions(const std::filesystem::path& sessions, const std::filesystem::path& reports, size_t keep,
                          size_t keepReports);

// Whether report.txt of a session folder is locked by a running player.
bool SessionRunning(const std::filesystem::path& session);

}  // namespace qel
