// A busy screen (300 rotated, alpha-blended images from the image cache and
// 40 two-line texts, over 3 layers) drawn through the element tree, against
// the same quads and text lines drawn straight through the canvas (the
// limit). Both build the same batches; the figure is the CPU time spent
// before handing batches to the driver, per frame.
//
//   bench_scene [frames]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "base/game_paths.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "gamedb/image_cache.h"
#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/gfx_fonts.h"
#include "render/gfx_images.h"

using namespace qel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kImages = 300, kTexts = 40, kLayers = 3, kPictures = 4, kSide = 48;
constexpr double kDegToRad = 0.017453292519943295769;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
double ThreadCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void WriteTga(const std::filesystem::path& path, int seed) {
  std::ofstream out(path, std::ios::binary);
  unsigned char header[18] = {0, 0, 2};
  header[12] = kSide;
  header[14] = kSide;
  header[16] = 32;
  header[17] = 0x28;
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const double r = std::hypot(x - kSide / 2.0, y - kSide / 2.0) / (kSide / 2.0);
      const char px[4] = {static_cast<char>(x * 5), static_cast<char>(y * 5), static_cast<char>(seed * 60),
                          static_cast<char>(r < 1 ? 255 * (1 - r * r) : 0)};
      out.write(px, 4);
    }
}

// Glyphs of 8 x 12 for the codes 32..126.
std::string FontRecord() {
  std::string out;
  ByteWriter w(out);
  const int count = 95;
  for (int v : {32, 0, 0, count}) w.WriteInt32(v);
  for (int c = 0; c < count; ++c) {
    w.WriteInt32(7 + c % 3);
    w.WriteInt32(12);
  }
  const int tw = 128, th = 96;  // 16 x 8 cells
  w.WriteUInt8(5);
  for (int v : {8, 12, 8, 12, count, tw, th, 1}) w.WriteInt32(v);
  for (int y = 0; y < th; ++y)
    for (int x = 0; x < tw; ++x) w.WriteInt32(static_cast<int32_t>(((x + y) % 3) ? 0xFFFFFFFFu : 0u));
  return out;
}

struct ImagePlan {
  int picture, layer;
  double x, y, scale, angle;
  uint32_t colour;
};
struct TextPlan {
  double x, y;
  std::string line1, line2;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  TGfxDevice device;
  device.Headless = true;
  TGfxCanvas canvas(device);
  TGfxImages textures(device);
  TGfxFonts fonts(device, &canvas);
  if (!device.Initialize()) {
    std::fprintf(stderr, "bench_scene: %s: %s\n", kDeviceInitFailedText, device.LastError().c_str());
    return 1;
  }
  const auto dir = std::filesystem::temp_directory_path() / ("qel_bench_scene_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (int p = 0; p < kPictures; ++p) WriteTga(dir / ("pic" + std::to_string(p) + ".tga"), p);
  const std::string rec = FontRecord();
  TGfxFont* font = fonts.AddFromRecord(reinterpret_cast<const uint8_t*>(rec.data()), rec.size());
  font->Name = "Body";

  std::mt19937 rng(4242);
  std::uniform_real_distribution<double> ux(0, 1024), uy(0, 768), ua(0, 360), us(0.5, 1.5);
  std::vector<ImagePlan> images;
  for (int i = 0; i < kImages; ++i)
    images.push_back({i % kPictures, i * kLayers / kImages, std::floor(ux(rng)), std::floor(uy(rng)),
                      std::nearbyint(us(rng) * 1000) / 1000, std::nearbyint(ua(rng) * 1000) / 1000,
                      0xC0FFFFFFu});
  std::vector<TextPlan> texts;
  for (int i = 0; i < kTexts; ++i)
    texts.push_back({std::floor(ux(rng) * 0.8), std::floor(uy(rng) * 0.9), "Score " + std::to_string(i * 37),
                     "Level " + std::to_string(i)});

  // --- the scene as elements ---
  GameDir gameDir(dir);
  TQelDB db;
  ImageCache cache(textures, &gameDir, nullptr, ImageCacheGameOf(db.runtime().shell, db));
  Runtime& rt = db.runtime();
  rt.services = {};
  rt.services.canvas = &canvas;
  rt.services.fonts = &fonts;
  rt.services.textures = &textures;
  rt.services.images = &cache;
  rt.shell.ImmediateImageLoad = true;
  auto* screen = static_cast<TQelScreen*>(db.CreateChild("TQelScreen"));
  for (const ImagePlan& s : images) {
    auto* im = static_cast<TQelImage*>(screen->CreateChild("TQelImage"));
    im->SetImImage("pic" + std::to_string(s.picture) + ".tga");
    im->rX = s.x;
    im->rY = s.y;
    im->PosHor = phCenter;
    im->PosVert = pvCenter;
    im->ScaleMilli = ToThousandths(s.scale);
    im->AngleMilli = ToThousandths(s.angle);
    im->Color = s.colour;
    im->SetOrder(s.layer);
  }
  for (const TextPlan& s : texts) {
    auto* t = static_cast<TQelText*>(screen->CreateChild("TQelText"));
    t->SetSizeX(200);
    t->SizeY = 40;
    t->rX = s.x;
    t->rY = s.y;
    t->EnEnter = true;
    t->SetFont("body");
    t->SetText(s.line1 + "\\n" + s.line2);
    t->SetOrder(kLayers - 1);
  }
  auto elementPass = [&] {
    for (int32_t layer = db.OrderMin(); layer <= db.OrderMax(); ++layer) screen->Render(layer, 0xFFFFFFFFu, 0, 0, 0);
  };

  // --- the same draws straight through the canvas ---
  std::vector<TGfxImage*> pictures;
  for (int p = 0; p < kPictures; ++p)
    pictures.push_back(cache.TextureOf(cache.RequestImage("pic" + std::to_string(p) + ".tga", true)));
  auto directPass = [&] {
    for (int layer = 0; layer < kLayers; ++layer) {
      for (const ImagePlan& s : images) {
        if (s.layer != layer) continue;
        const double h = kSide * s.scale / 2, a = s.angle * kDegToRad, c = std::cos(a), sn = std::sin(a);
        TPoint4 q;
        const double dx[4] = {-h, h, h, -h}, dy[4] = {-h, -h, h, h};
        for (int k = 0; k < 4; ++k) q.p[k] = {s.x + dx[k] * c - dy[k] * sn, s.y + dx[k] * sn + dy[k] * c};
        canvas.SetAntialias(true);
        canvas.TexMap(pictures[static_cast<size_t>(s.picture)], q, TGfxPattern(0), TColor4(s.colour), fxBlend);
      }
      if (layer != kLayers - 1) continue;
      for (const TextPlan& s : texts) {
        canvas.SetAntialias(false);
        font->TextOut(s.line1, s.x, s.y, 0xFFFFFFFFu, 0, fxBlend);
        canvas.SetAntialias(false);
        font->TextOut(s.line2, s.x, s.y + 12, 0xFFFFFFFFu, 0, fxBlend);
      }
    }
  };

  // Median of the per-frame figures: the driver's threads make single frames noisy.
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  auto frame = [&](const std::function<void()>& pass, std::vector<double>& build, std::vector<double>& cpu,
                   double& total, uint64_t& calls) {
    const uint64_t c0 = canvas.DrawCallCount();
    double inside = 0, passCpu = 0;
    device.OnRender = [&](TGfxDevice&) {
      const uint64_t f0 = canvas.FlushNanoseconds();
      const double cpu0 = ThreadCpuMs();
      const auto t0 = Clock::now();
      pass();
      inside = Ms(Clock::now() - t0) - (canvas.FlushNanoseconds() - f0) / 1e6;
      passCpu = ThreadCpuMs() - cpu0;
    };
    const auto t0 = Clock::now();
    device.Render(0xFF000000u, true);
    device.GL().Finish();
    total += Ms(Clock::now() - t0);
    build.push_back(inside);
    cpu.push_back(passCpu);
    calls += canvas.DrawCallCount() - c0;
  };
  std::vector<double> eBuild, dBuild, eCpu, dCpu, scratchBuild;
  double eTotal = 0, dTotal = 0, scratch = 0;
  uint64_t eCalls = 0, dCalls = 0, scratchCalls = 0;
  for (int i = 0; i < 5; ++i) {
    frame(elementPass, scratchBuild, scratchBuild, scratch, scratchCalls);
    frame(directPass, scratchBuild, scratchBuild, scratch, scratchCalls);
  }
  for (int i = 0; i < frames; ++i) {  // interleaved: both see the same machine state
    if (i % 2) frame(directPass, dBuild, dCpu, dTotal, dCalls);
    frame(elementPass, eBuild, eCpu, eTotal, eCalls);
    if (i % 2 == 0) frame(directPass, dBuild, dCpu, dTotal, dCalls);
  }
  std::printf("bench_scene: %d images (rotated, alpha), %d texts, %d layers, %d frames, headless\n", kImages, kTexts,
              kLayers, frames);
  std::printf("  element pass: %.3f ms/frame (median) before the driver, %.2f ms/frame total, %.0f draw calls\n",
              median(eBuild), eTotal / frames, static_cast<double>(eCalls) / frames);
  std::printf("  canvas only : %.3f ms/frame (median) before the driver, %.2f ms/frame total, %.0f draw calls\n",
              median(dBuild), dTotal / frames, static_cast<double>(dCalls) / frames);
  std::printf("  pass CPU time of the drawing thread (median, batches handed over included): element %.3f ms, canvas %.3f ms\n",
              median(eCpu), median(dCpu));
  std::printf("  ratio element/canvas: %.2f before the driver, %.2f thread CPU (goal <= 1.2); frame total %.2f\n",
              median(eBuild) / median(dBuild), median(eCpu) / median(dCpu), eTotal / dTotal);
  db.Clear();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
