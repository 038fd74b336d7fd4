// Image cache benchmark: a screen's worth of pictures (40 files, half JPEG,
// half PNG, 60 MB decoded) loaded through RequestImage, against the bare work
// it cannot avoid: read the file, decode it, set up the texture and upload it.
// Headless OpenGL; runs in pairs, medians.
//
//   bench_cache [runs]
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/game_paths.h"
#include "gamedb/image_cache.h"
#include "render/gfx_device.h"
#include "render/gfx_images.h"
#include "render/res_db.h"
#include "support/picture_encoders.h"

using namespace qel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPictures = 40;
constexpr int kWidth = 800, kHeight = 480;  // 1.5 MB decoded each

// Something like a painted background: gradients, shapes and grain.
TBitmap32 Painting(int seed) {
  std::mt19937 rng(static_cast<unsigned>(seed));
  TBitmap32 b;
  b.Resize(kWidth, kHeight);
  const int cx = static_cast<int>(rng() % kWidth), cy = static_cast<int>(rng() % kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int d = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) >> 10;
      const uint32_t grain = rng() & 15;
      const uint32_t r = (x * 255 / kWidth + grain) & 255, g = (y * 255 / kHeight + d) & 255,
                     bl = (d * 3 + grain + static_cast<uint32_t>(seed) * 40) & 255;
      b.At(x, y) = 0xFF000000u | r << 16 | g << 8 | bl;
    }
  return b;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// CPU time of the whole process (the GL driver's threads included): on a
// shared machine it does not count the time spent waiting for a core.
double CpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Timing {
  double wall = 0, cpu = 0;
};

template <class F>
Timing Measure(F&& load) {
  const double cpu = CpuMs();
  const auto start = Clock::now();
  load();
  return {Ms(Clock::now() - start), CpuMs() - cpu};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The bare way: what any loader must do for these files.
void LoadBare(TGfxDevice& device, TGfxImages& textures, const std::filesystem::path& folder,
              const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    std::vector<uint8_t> bytes;
    TBitmap32 bitmap;
    if (!ReadFileBytes((folder / name).string(), bytes) ||
        !DecodePicture(bytes.data(), bytes.size(), PictureKindFromName(name), bitmap))
      std::abort();
    TGfxImage* t = textures.Add();
    t->SetPatternSize(bitmap.width, bitmap.height);
    t->SetVisibleSize(bitmap.width, bitmap.height);
    t->SetTextureSize((bitmap.width + 3) & ~1, (bitmap.height + 3) & ~1);
    t->PatternCount = 1;
    if (!t->UploadFromBitmap(bitmap)) std::abort();
  }
  device.GL().Finish();
}

void LoadThroughCache(TGfxDevice& device, ImageCache& cache, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    // Games spell their names their own way: upper case, Windows separators.
    if (!cache.RequestImage("SCREEN\\" + name, true)->texture) std::abort();
  }
  device.GL().Finish();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  TGfxDevice device;
  device.Headless = true;
  TGfxImages textures(device);
  if (!device.Initialize()) {
    std::fprintf(stderr, "bench_cache: no OpenGL device: %s\n", device.LastError().c_str());
    return 1;
  }

  const std::filesystem::path root = std::filesystem::temp_directory_path() / "qel_bench_cache";
  const std::filesystem::path folder = root / "Screen";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(folder);
  std::vector<std::string> names;
  uintmax_t fileBytes = 0;
  for (int i = 0; i < kPictures; ++i) {
    const bool png = i % 2 == 1;
    std::string name = "Pic" + std::to_string(i) + (png ? ".png" : ".jpg");
    std::ofstream(folder / name, std::ios::binary) << (png ? test::EncodePng(Painting(i)) : test::EncodeJpeg(Painting(i), 90));
    fileBytes += std::filesystem::file_size(folder / name);
    names.push_back(name);
  }
  // An archive is open, as in a game, but holds none of these pictures.
  TResDb archive;
  archive.SetFileName((root / "fonts.dat").string());
  GameDir dir(root);

  // Pairs close in time, in alternating order, so that load from elsewhere
  // on the machine falls on both sides alike.
  std::vector<double> wallRatio, cpuRatio, bareWall, bareCpu, cacheWall, cacheCpu;
  for (int r = 0; r < runs; ++r) {
    Timing bare, cached;
    auto runBare = [&] {
      bare = Measure([&] { LoadBare(device, textures, folder, names); });
      textures.Clear();
    };
    auto runCache = [&] {
      ImageCache cache(textures, &dir, &archive);
      cached = Measure([&] { LoadThroughCache(device, cache, names); });
    };
    if (r % 2) runCache(), runBare();
    else runBare(), runCache();
    bareWall.push_back(bare.wall), bareCpu.push_back(bare.cpu);
    cacheWall.push_back(cached.wall), cacheCpu.push_back(cached.cpu);
    wallRatio.push_back(cached.wall / bare.wall), cpuRatio.push_back(cached.cpu / bare.cpu);
  }
  const double decodedMb = kPictures * static_cast<double>(kWidth) * kHeight * 4 / 1e6;
  std::printf("bench_cache: %d pictures (%d JPEG, %d PNG), %.1f MB in files, %.1f MB decoded, %d runs each\n",
              kPictures, kPictures / 2, kPictures / 2, fileBytes / 1e6, decodedMb, runs);
  std::printf("  bare decoders + texture upload: median %.1f ms wall, %.1f ms CPU\n", Median(bareWall),
              Median(bareCpu));
  std::printf("  RequestImage (forced)         : median %.1f ms wall, %.1f ms CPU\n", Median(cacheWall),
              Median(cacheCpu));
  std::printf("  ratio cache/bare, median of the pairs: CPU %.3f, wall %.3f (goal <= 1.1)\n", Median(cpuRatio),
              Median(wallRatio));
  std::filesystem::remove_all(root);
  return 0;
}
