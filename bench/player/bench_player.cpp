// Start-up of qelplayer on the demo game: process start to the first
// presented frame (logos on) and to the first frame of play (--skip-logos),
// against the floor: reading the game file and decoding the first screen's
// pictures. A second floor adds what any program showing them pays first:
// its own start, SDL and the OpenGL device (bench_player_floor).
// Times are CPU time (user + system, every thread of the process), which a
// busy machine disturbs far less than wall time; wall time is printed too.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "first_screen.h"
#include "render/picture.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
double Ms(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

struct Times {
  double cpu = 0, wall = 0;
};

// CPU and wall time of one run of a program, start to exit.
Times TimeRun(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 0, 0);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const Times t{Ms(usage.ru_utime) + Ms(usage.ru_stime), Ms(Clock::now() - start)};
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0]);
    std::exit(1);
  }
  return t;
}

double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

Times ReadAndDecode(const std::string& game, const std::vector<std::filesystem::path>& pictures) {
  const auto start = Clock::now();
  const double cpu = CpuMs();
  std::vector<uint8_t> bytes;
  qel::ReadFileBytes(game, bytes);
  for (const auto& p : pictures) {
    qel::TBitmap32 bmp;
    qel::LoadPictureFile(p.string(), bmp);
  }
  return {CpuMs() - cpu, Ms(Clock::now() - start)};
}

// Medians of CPU and of wall time, each taken on its own.
template <class F>
Times Median(int runs, F f) {
  std::vector<double> cpu, wall;
  for (int i = 0; i < runs; ++i) {
    const Times t = f();
    cpu.push_back(t.cpu);
    wall.push_back(t.wall);
  }
  std::sort(cpu.begin(), cpu.end());
  std::sort(wall.begin(), wall.end());
  return {cpu[cpu.size() / 2], wall[wall.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  unsetenv("DISPLAY");
  const std::string player = argc > 1 ? argv[1] : QELPLAYER;
  const std::string floor = argc > 2 ? argv[2] : PLAYER_FLOOR;
  const std::string game = argc > 3 ? argv[3] : DEMO_GAME;
  const int runs = 7;
  const auto pictures = qel::bench::FirstScreenPictures(game);
  std::vector<std::string> floorArgs = {floor, game};
  for (const auto& p : pictures) floorArgs.push_back(p.string());

  const Times decode = Median(runs, [&] { return ReadAndDecode(game, pictures); });
  const Times bare = Median(runs, [&] { return TimeRun(floorArgs); });
  const Times logos = Median(runs, [&] { return TimeRun({player, "--headless", "--frames", "0", game}); });
  const Times play =
      Median(runs, [&] { return TimeRun({player, "--headless", "--skip-logos", "--frames", "0", game}); });

  std::printf("bench_player: %s, first screen's pictures: %zu, median of %d runs\n", game.c_str(), pictures.size(),
              runs);
  std::printf("  %-56s %9s %9s\n", "", "CPU ms", "wall ms");
  auto row = [](const char* what, const Times& t) { std::printf("  %-56s %9.2f %9.2f\n", what, t.cpu, t.wall); };
  row("floor: read the game file, decode the pictures", decode);
  row("floor with a process, SDL and the GL device", bare);
  row("qelplayer: start to first presented frame (logos)", logos);
  row("qelplayer: start to first frame of play (--skip-logos)", play);
  std::printf("ratio (CPU) first frame / floor: %.2f   first play frame / floor: %.2f   (goal <= 1.5)\n",
              logos.cpu / decode.cpu, play.cpu / decode.cpu);
  std::printf("ratio (CPU) against the floor with the device: first frame %.2f, first play frame %.2f\n",
              logos.cpu / bare.cpu, play.cpu / bare.cpu);
  return 0;
}
