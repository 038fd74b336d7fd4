// Memory of music: the resident size (peak) of headless qelplayer runs with
// music decoded while it plays and decoded whole (QEL_NO_FAST_PATHS=1), on
// the demo's tour and on the demo with two 3-minute tracks that cross-fade
// (the menu's and the room's, New game clicked); then the heap one playing
// stream holds, from a file and from an archive record, against the limit
// of 1 MB a playing stream.
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/audio.h"
#include "render/byte_source.h"
#include "render/res_db.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kLimitPerStream = 1.0 * kMiB;

// Peak resident size in bytes of one run of a program, in `dir`.
double PeakResident(const std::vector<std::string>& args, const fs::path& dir, bool whole) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("QEL_NO_FAST_PATHS=", 0) != 0) env.emplace_back(*e);
  env.push_back("SDL_AUDIODRIVER=dummy");
  env.push_back("SDL_VIDEODRIVER=offscreen");
  if (whole) env.push_back("QEL_NO_FAST_PATHS=1");
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 0, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0]);
    std::exit(1);
  }
  return usage.ru_maxrss * 1024.0;
}

// A copy of the built demo game to play in.
fs::path CopyDemo(const fs::path& to) {
  fs::remove_all(to);
  fs::create_directories(to);
  for (const auto& e : fs::directory_iterator(DEMO_DIR)) {
    const std::string name = e.path().filename().string();
    if (name == "CMakeFiles" || name.rfind("make_demo", 0) == 0 || name.rfind("demo.ini", 0) == 0 ||
        name == "demo.sav" || e.path().extension() == ".cmake" || name == "Makefile")
      continue;
    fs::copy(e.path(), to / name, fs::copy_options::recursive);
  }
  return to;
}

void Sox(const std::string& args) {
  if (std::system(("sox -q " + args).c_str()) != 0) {
    std::fprintf(stderr, "sox failed: %s\n", args.c_str());
    std::exit(1);
  }
}

void Compare(const char* what, const std::vector<std::string>& args, const fs::path& dir) {
  const double streamed = PeakResident(args, dir, false);
  const double whole = PeakResident(args, dir, true);
  std::printf("%-46s resident %7.1f MB streamed, %7.1f MB decoded whole: %.2fx\n", what, streamed / kMiB,
              whole / kMiB, streamed / whole);
}

size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// The heap two playing streams of a 3-minute track hold, per stream, after
// two seconds of a cross-fade: from the file, or from an archive record.
double HeapPerStream(bool stream, const fs::path& track, const fs::path& archiveFile, bool fromArchive) {
  qel::AudioMixer mixer;
  qel::AudioMixer::Options options;
  options.manualClock = options.noDevice = true;
  options.streamMusic = stream;
  mixer.Open(options);
  qel::TResDb archive;
  archive.SetFileName(archiveFile.string());
  const size_t before = HeapInUse();
  qel::AudioHandle h[2];
  for (qel::AudioHandle& handle : h)
    handle = fromArchive ? mixer.StreamCreateFrom(archive.OpenRecordSource("sounds\\track.ogg"), "track")
                         : mixer.StreamCreateFile(track);
  if (!h[0] || !h[1]) {
    std::fprintf(stderr, "the tracks cannot be played\n");
    std::exit(1);
  }
  mixer.Play(h[0], true);
  mixer.Play(h[1], true);
  for (int step = 0; step < 60; ++step) {
    mixer.SetVolume(h[0], 100 - step);
    mixer.SetVolume(h[1], step);
    mixer.Advance(qel::AudioMixer::kFramesPerStep);
  }
  return (static_cast<double>(HeapInUse()) - static_cast<double>(before)) / 2;
}

}  // namespace

int main() {
  const fs::path work = fs::temp_directory_path() / ("qel_bench_music_" + std::to_string(::getpid()));
  const fs::path demo = CopyDemo(work / "demo");
  const std::string player = QELPLAYER;

  Compare("demo tour, headless (720 steps)",
          {player, "--headless", "--frames", "720", "--replay", DEMO_SOURCE "/tour.replay", "demo.qelf"}, demo);

  // The same game with 3-minute tracks for the menu and the room.
  std::printf("making two 3-minute tracks with sox...\n");
  std::fflush(stdout);
  Sox("-n -r 44100 -c 2 " + (demo / "sounds/menu.ogg").string() + " synth 180 pluck A3 sine 220:440 tremolo 0.3 40 vol 0.5");
  Sox("-n -r 44100 -c 2 " + (demo / "sounds/room.ogg").string() + " synth 180 pluck D3 sine 330:165 tremolo 0.2 30 vol 0.5");
  std::ofstream(demo / "click.replay") << "30 move 232 248\n30 down 232 248\n30 up 232 248\n";
  Compare("two 3-minute tracks cross-fading (130 steps)",
          {player, "--headless", "--skip-logos", "--frames", "130", "--replay", "click.replay", "demo.qelf"}, demo);

  // One playing stream, from a file and from an archive record.
  const fs::path track = demo / "sounds/menu.ogg";
  qel::TResDb writer;
  writer.SetFileName((work / "music.res").string());
  writer.SetOpenMode(qel::TOpenMode::opOverwrite);
  std::ifstream in(track, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  if (!writer.OpenTable() || !writer.WriteRecord("sounds\\track.ogg", 0, bytes)) return 1;
  for (bool fromArchive : {false, true}) {
    const double streamed = HeapPerStream(true, track, work / "music.res", fromArchive);
    const double whole = HeapPerStream(false, track, work / "music.res", fromArchive);
    std::printf("%-46s heap %7.2f MB streamed (%.2fx the 1 MB limit), %7.2f MB decoded whole (%.1fx)\n",
                fromArchive ? "a playing 3-minute stream, archive record" : "a playing 3-minute stream, file",
                streamed / kMiB, streamed / kLimitPerStream, whole / kMiB, whole / kLimitPerStream);
  }
  fs::remove_all(work);
  return 0;
}
