// Start-up of qelplayer on the demo game: process start to the first
// presented frame (logos on) and to the first frame of play (--skip-logos),
// against the floor: reading the game file and decoding the first screen's
// pictures. A second floor adds what any program showing them pays first:
// its own start, SDL and the OpenGL device (bench_player_floor).
#include <spawn.h>
#include <sys/wait.h>

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

// Wall time of one run of a program, start to exit.
double TimeRun(const std::vector<std::string>& args) {
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
  waitpid(pid, &status, 0);
  const double ms = Ms(Clock::now() - start);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0]);
    std::exit(1);
  }
  return ms;
}

double ReadAndDecode(const std::string& game, const std::vector<std::filesystem::path>& pictures) {
  const auto start = Clock::now();
  std::vector<uint8_t> bytes;
  qel::ReadFileBytes(game, bytes);
  for (const auto& p : pictures) {
    qel::TBitmap32 bmp;
    qel::LoadPictureFile(p.string(), bmp);
  }
  return Ms(Clock::now() - start);
}

template <class F>
double Median(int runs, F f) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) t.push_back(f());
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
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

  const double decode = Median(runs, [&] { return ReadAndDecode(game, pictures); });
  const double bare = Median(runs, [&] { return TimeRun(floorArgs); });
  const double logos = Median(runs, [&] { return TimeRun({player, "--headless", "--frames", "0", game}); });
  const double play =
      Median(runs, [&] { return TimeRun({player, "--headless", "--skip-logos", "--frames", "0", game}); });

  std::printf("bench_player: %s, first screen's pictures: %zu, median of %d runs\n", game.c_str(), pictures.size(),
              runs);
  std::printf("  floor: read the game file and decode the pictures   %8.2f ms\n", decode);
  std::printf("  floor with a process, SDL and the GL device          %8.2f ms\n", bare);
  std::printf("  qelplayer, start to first presented frame (logos)    %8.2f ms\n", logos);
  std::printf("  qelplayer, start to first frame of play (--skip-logos) %6.2f ms\n", play);
  std::printf("ratio first frame / floor: %.2f   first play frame / floor: %.2f   (goal <= 1.5)\n", logos / decode,
              play / decode);
  std::printf("ratio against the floor with the device: first frame %.2f, first play frame %.2f\n", logos / bare,
              play / bare);
  return 0;
}
