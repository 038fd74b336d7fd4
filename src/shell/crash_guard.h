#pragma once
// When the player crashes (SIGSEGV, SIGBUS, SIGFPE, SIGABRT) it notes the
// step it was at: in report.txt of its session, whose recording is on disk
// already, and in one line on stderr. The handler makes only
// async-signal-safe calls, then hands the signal on to whatever handled it
// before (the default: the process ends as it would have).
#include <cstdint>
#include <string_view>

namespace qel {

struct CrashNote {
  int reportFd = -1;               // report.txt opened for appending, or -1
  const int64_t* step = nullptr;   // the step counter of the running game
  std::string_view head;           // stderr: head + " (signal N) at step K" + tail
  std::string_view tail;
};

// Process-wide; a second call replaces the note. The texts are copied (cut
// at a few hundred bytes).
void InstallCrashGuard(const CrashNote& note);
// The step counter changes when the game does.
void SetCrashStep(const int64_t* step);
// Puts the earlier handlers back.
void RemoveCrashGuard();

}  // namespace qel
