// Loading a large game: builds a synthetic game file of 50 MB or more
// (200,000+ elements with scripts), then times reading the file into memory
// and loading it into an element tree, and prints the ratio load/read.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "base/byte_stream.h"
#include "elements/game_file.h"
#include "elements/qel_db.h"

namespace {

using qel::ByteString;
using qel::ByteWriter;

struct Rec {
  ByteString values, children;
  int count = 0;
  void Int(int32_t v) { ByteWriter(values).WriteInt32(v), ++count; }
  void Dbl(double v) { ByteWriter(values).WriteDouble(v), ++count; }
  void Str(const ByteString& v) { ByteWriter(values).WriteString(v), ++count; }
  void Child(const ByteString& bytes) { ByteWriter(children).WriteString(bytes); }
  ByteString Bytes(const char* cls) const {
    ByteString out;
    ByteWriter w(out);
    w.WriteString(cls);
    w.WriteInt32(count);
    return out + values + children;
  }
};

ByteString Script(int n) {
  return "IF PARENT.STATE" + std::to_string(n % 7) + " = " + std::to_string(n) +
         " THEN\r\nBEGIN\r\n  SELF.VIS := FALSE;\r\n  PLAYSOUND('door');\r\n  QELDB.SCORE := QELDB.SCORE + 1;\r\nEND;";
}

ByteString Image(int key, int depth) {
  Rec r;
  r.Int(key), r.Str("Img" + std::to_string(key)), r.Int(key % 1000), r.Int(key % 700), r.Int(1);
  r.Str("pics\\item" + std::to_string(key % 50) + ".png"), r.Int(1284), r.Int(1), r.Int(1), r.Dbl(1.0), r.Dbl(0.0);
  r.Int(0xFFFFFF), r.Int(255), r.Int(0), r.Str(""), r.Str(""), r.Str(""), r.Str(""), r.Str(""), r.Str("");
  r.Str(Script(key)), r.Str(""), r.Str(""), r.Str(""), r.Int(1), r.Int(0), r.Int(0), r.Int(key % 5);
  r.Dbl(key % 1000), r.Dbl(key % 700), r.Dbl(1.0), r.Dbl(1.0), r.Int(1), r.Int(1), r.Int(0), r.Str("tag"), r.Str("");
  r.Int(0);
  if (depth > 0) r.Child(Image(key + 1, depth - 1));
  return r.Bytes("TQelImage");
}

ByteString BuildGame(int screens, int imagesPerScreen, int& elements) {
  Rec root;
  root.Int(0), root.Str("Bench"), root.Int(0), root.Int(0), root.Int(1), root.Int(0), root.Int(1);
  int key = 1;
  elements = 1;
  for (int s = 0; s < screens; ++s) {
    Rec screen;
    screen.Int(key++), screen.Str("Screen" + std::to_string(s)), screen.Int(0), screen.Int(0), screen.Int(1);
    screen.Str("pics\\back.jpg"), screen.Int(1024), screen.Int(768), screen.Int(1), screen.Int(0), screen.Int(0);
    screen.Str("STATE := 0;"), screen.Str(""), screen.Str(""), screen.Str("");
    ++elements;
    for (int i = 0; i < imagesPerScreen; i += 2) {
      screen.Child(Image(key, 1));  // an image with one child image
      key += 2;
      elements += 2;
    }
    root.Child(screen.Bytes("TQelScreen"));
  }
  return root.Bytes("TQelDB");
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

ByteString ReadFile(const std::string& path) {
  ByteString data;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return data;
  std::fseek(f, 0, SEEK_END);
  data.resize(static_cast<size_t>(std::ftell(f)));
  std::fseek(f, 0, SEEK_SET);
  size_t got = std::fread(data.data(), 1, data.size(), f);
  data.resize(got);
  std::fclose(f);
  return data;
}

struct Timing {
  double read = 0, load = 0;
};

Timing ReadAndLoad(const std::string& path, size_t expectedSize) {
  auto t0 = std::chrono::steady_clock::now();
  ByteString data = ReadFile(path);
  auto t1 = std::chrono::steady_clock::now();
  qel::TQelDB db;
  qel::LoadGameData(db, data);
  auto t2 = std::chrono::steady_clock::now();
  if (data.size() != expectedSize || db.ChildCount() != 200) return {-1, -1};
  return {Seconds(t1 - t0), Seconds(t2 - t1)};
}

// A player loads its game once, into a fresh process: each cold run is a
// child process of its own, so neither the read nor the load finds memory
// that an earlier run already touched.
Timing ColdRun(const std::string& path, size_t expectedSize) {
  int fds[2];
  if (pipe(fds) != 0) return {-1, -1};
  pid_t pid = fork();
  if (pid == 0) {
    Timing t = ReadAndLoad(path, expectedSize);
    ssize_t ignored = write(fds[1], &t, sizeof t);
    (void)ignored;
    _exit(0);
  }
  close(fds[1]);
  Timing t{-1, -1};
  if (read(fds[0], &t, sizeof t) != static_cast<ssize_t>(sizeof t)) t = {-1, -1};
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return t;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Report(const char* what, const std::vector<Timing>& runs, double mb) {
  std::vector<double> reads, loads;
  for (const Timing& t : runs) reads.push_back(t.read), loads.push_back(t.load);
  double read = Median(reads), load = Median(loads);
  std::printf("%s: read %.1f ms (%.0f MB/s), load %.1f ms (%.0f MB/s), ratio load/read %.2f (goal <= 3)\n", what,
              read * 1e3, mb / read, load * 1e3, mb / load, load / read);
}

}  // namespace

int main() {
  int elements = 0;
  ByteString game = BuildGame(200, 1000, elements);
  std::string path = (std::filesystem::temp_directory_path() / "qel_bench_game.qelf").string();
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(game.data(), 1, game.size(), f) != game.size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::fclose(f);
  }
  double mb = game.size() / 1e6;
  std::printf("synthetic game: %.1f MB, %d elements\n", mb, elements);

  std::vector<Timing> cold, warm;
  for (int run = 0; run < 5; ++run) cold.push_back(ColdRun(path, game.size()));
  for (int run = 0; run < 5; ++run) warm.push_back(ReadAndLoad(path, game.size()));
  if (!std::getenv("QEL_KEEP")) std::filesystem::remove(path);
  for (const Timing& t : cold)
    if (t.read < 0) {
      std::fprintf(stderr, "load went wrong\n");
      return 1;
    }
  Report("fresh process, median of 5", cold, mb);
  Report("warm heap, median of 5    ", warm, mb);
  return 0;
}
