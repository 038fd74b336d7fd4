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

  std::vector<double> reads, loads;
  for (int run = 0; run < 5; ++run) {
    auto t0 = std::chrono::steady_clock::now();
    ByteString data = ReadFile(path);
    auto t1 = std::chrono::steady_clock::now();
    qel::TQelDB db;
    qel::LoadGameData(db, data);
    auto t2 = std::chrono::steady_clock::now();
    if (data.size() != game.size() || db.ChildCount() != 200) {
      std::fprintf(stderr, "load went wrong\n");
      return 1;
    }
    reads.push_back(Seconds(t1 - t0));
    loads.push_back(Seconds(t2 - t1));
  }
  if (!std::getenv("QEL_KEEP")) std::filesystem::remove(path);
  std::sort(reads.begin(), reads.end());
  std::sort(loads.begin(), loads.end());
  double read = reads[2], load = loads[2];
  std::printf("read into memory: %.1f ms (%.0f MB/s)\n", read * 1e3, mb / read);
  std::printf("load into tree:   %.1f ms (%.0f MB/s)\n", load * 1e3, mb / load);
  std::printf("ratio load/read: %.2f (goal <= 3)\n", load / read);
  return 0;
}
