#include "shell/crash_guard.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

namespace qel {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGABRT};
constexpr size_t kTextMax = 512;

struct Guard {
  int reportFd = -1;
  std::atomic<const int64_t*> step{nullptr};
  char head[kTextMax] = {};
  char tail[kTextMax] = {};
  struct sigaction previous[4] = {};
  bool installed = false;
};
Guard guard;
// Room for the handler when the crash is a stack overflow.
alignas(16) char altStack[64 * 1024];

void CopyText(char (&to)[kTextMax], std::string_view from) {
  const size_t n = from.size() < kTextMax - 1 ? from.size() : kTextMax - 1;
  std::memcpy(to, from.data(), n);
  to[n] = '\0';
}

// Appends a decimal number; no allocation, no locale.
size_t PutNumber(char* out, int64_t v) {
  char digits[24];
  size_t n = 0;
  const bool negative = v < 0;
  uint64_t u = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  do {
    digits[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  size_t len = 0;
  if (negative) out[len++] = '-';
  while (n) out[len++] = digits[--n];
  return len;
}

size_t PutText(char* out, const char* text) {
  const size_t n = std::strlen(text);
  std::memcpy(out, text, n);
  return n;
}

void WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w <= 0) return;
    p += w;
    n -= static_cast<size_t>(w);
  }
}

void OnCrash(int sig) {
  const int64_t* stepPtr = guard.step.load();
  const int64_t step = stepPtr ? *stepPtr : 0;
  char buf[3 * kTextMax];
  if (guard.reportFd >= 0) {
    size_t n = PutText(buf, "report: crash\ncrash signal: ");
    n += PutNumber(buf + n, sig);
    n += PutText(buf + n, "\nstep: ");
    n += PutNumber(buf + n, step);
    buf[n++] = '\n';
    WriteAll(guard.reportFd, buf, n);
  }
  size_t n = PutText(buf, guard.head);
  n += PutText(buf + n, " (signal ");
  n += PutNumber(buf + n, sig);
  n += PutText(buf + n, ") at step ");
  n += PutNumber(buf + n, step);
  n += PutText(buf + n, guard.tail);
  WriteAll(STDERR_FILENO, buf, n);
  for (size_t i = 0; i < std::size(kSignals); ++i)
    if (kSignals[i] == sig) ::sigaction(sig, &guard.previous[i], nullptr);
  // Delivered once this handler returns (the signal is blocked in it); a
  // fault instead happens again at the same instruction.
  ::raise(sig);
}

}  // namespace

void InstallCrashGuard(const CrashNote& note) {
  guard.reportFd = note.reportFd;
  guard.step.store(note.step);
  CopyText(guard.head, note.head);
  CopyText(guard.tail, note.tail);
  if (guard.installed) return;
  stack_t current{};
  if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
    stack_t ours{};
    ours.ss_sp = altStack;
    ours.ss_size = sizeof altStack;
    ::sigaltstack(&ours, nullptr);
  }
  struct sigaction action{};
  action.sa_handler = OnCrash;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &action, &guard.previous[i]);
  guard.installed = true;
}

void SetCrashStep(const int64_t* step) { guard.step.store(step); }

void RemoveCrashGuard() {
  if (!guard.installed) return;
  for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &guard.previous[i], nullptr);
  guard.installed = false;
  guard.reportFd = -1;
  guard.step.store(nullptr);
}

}  // namespace qel
