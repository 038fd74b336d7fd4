// Animation and particle costs against their limits, in one run:
//  1. the frame table of a 40-sprite, 12-key spline animation, against fitting
//     the same splines and evaluating them at every frame in a plain loop;
//  2. a process step of a screen with 5 running effects of 2,000 particles
//     each, against a plain array update of the same particles.
// Prints CPU time (best of several rounds) and the two ratios.
#include <libalglib/interpolation.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

#include "anim/frame_table.h"
#include "elements/kinds.h"
#include "elements/particles.h"
#include "elements/qel_db.h"

namespace {

using namespace qel;

double CpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Best of `rounds` runs of `reps` calls each, per call.
double Time(int rounds, int reps, const std::function<void()>& f) {
  double best = 1e300;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = CpuMs();
    for (int i = 0; i < reps; ++i) f();
    best = std::min(best, (CpuMs() - t0) / reps);
  }
  return best;
}

constexpr int kSprites = 40, kKeys = 12, kCount = 20;

std::vector<AnimKey> SplineKeys() {
  std::vector<AnimKey> keys;
  for (int k = 0; k < kKeys; ++k) {
    AnimKey key;
    key.count = kCount;
    for (int s = 0; s < kSprites; ++s) {
      KeySprite sp;
      sp.id = "part" + std::to_string(s);
      sp.picture = SpritePicture{nullptr, 32, 24};
      sp.x = 300 + 200 * std::sin(k * 0.7 + s);
      sp.y = 300 + 150 * std::cos(k * 0.9 + s * 0.3);
      sp.scale = 1 + 0.3 * std::sin(k + s);
      sp.angle = k * 30.0 + s;
      sp.color = 0xFFFFFFFF;
      sp.drawFx = 1284;
      key.sprites.push_back(sp);
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

// The limit: the same splines fitted, then evaluated at every frame into a plain array.
double PlainSplines(const std::vector<AnimKey>& keys) {
  const int n = static_cast<int>(keys.size());
  std::vector<double> frames(n);
  for (int k = 0; k < n; ++k) frames[k] = k * (kCount + 1.0);
  alglib::real_1d_array x;
  x.setcontent(n, frames.data());
  std::vector<double> out;
  out.reserve(static_cast<size_t>(kSprites) * n * (kCount + 1) * 6);
  std::vector<double> values(n);
  alglib::spline1dinterpolant splines[6];
  for (int s = 0; s < kSprites; ++s) {
    for (int v = 0; v < 6; ++v) {
      for (int k = 0; k < n; ++k) {
        const KeySprite& sp = keys[k].sprites[s];
        const double vals[6] = {sp.x + sp.scale * 16, sp.y + sp.scale * 12, sp.scale, sp.angle, sp.scaleX, sp.scaleY};
        values[k] = vals[v];
      }
      alglib::real_1d_array y;
      y.setcontent(n, values.data());
      alglib::spline1dbuildcubic(x, y, n, 0, 0.0, 0, 0.0, splines[v]);
    }
    for (int f = 0; f < n * (kCount + 1); ++f)
      for (int v = 0; v < 6; ++v) out.push_back(alglib::spline1dcalc(splines[v], f));
  }
  return out.back();
}

// --- particles ---

constexpr int kEffects = 5, kParticles = 2000;

std::string FountainRecord() {
  std::string b(EffectRecord::kSize, '\0');
  auto f32 = [&](size_t at, float v) { std::memcpy(&b[at], &v, 4); };
  auto u32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  u32(12, 260);
  u32(16, 1000);  // 1,000 a second living 2 s: 2,000 alive
  f32(20, 1e9f);
  f32(24, 2), f32(28, 2);
  f32(36, 6.28f), f32(44, 20), f32(48, 80);
  f32(52, 1), f32(56, 2), f32(60, -1), f32(64, 1), f32(68, 0.5f), f32(72, 1.5f);
  f32(76, 1), f32(80, 0.6f), f32(84, 0.1f), f32(88, 0.5f);
  f32(92, 0), f32(96, 3), f32(100, 6);
  u32(108, 0xFFFFFFFF), u32(112, 0xC0FF8040), u32(116, 0x00FF0000);
  f32(120, 0.5f), f32(124, 0.5f), f32(128, 0.5f);
  return b;
}

// The limit: the same particles moved by the same rules, in a plain array,
// with nobody born and nobody dying.
void PlainUpdate(std::vector<Particle>& ps, float ex, float ey, float dt) {
  for (Particle& p : ps) {
    p.age += dt;
    float rx = p.x - (ex + p.spawnX), ry = p.y - (ey + p.spawnY);
    const float len = std::sqrt(rx * rx + ry * ry);
    if (len > 0) rx /= len, ry /= len;
    p.vx += (rx * p.radial - ry * p.tangential) * 10 * dt;
    p.vy += (ry * p.radial + rx * p.tangential) * 10 * dt + p.gravity * 10 * dt;
    p.x += p.vx * dt;
    p.y += p.vy * dt;
    p.spin += p.spinSpeed * dt;
    p.size += p.sizeSpeed * dt;
    p.frame += p.frameSpeed * dt;
    for (int c = 0; c < 4; ++c) p.color[c] = std::clamp(p.color[c] + p.colorSpeed[c] * dt, 0.0f, 255.0f);
  }
}

}  // namespace

int main() {
  // 1. Frame table.
  const std::vector<AnimKey> keys = SplineKeys();
  FrameOptions options;
  options.interpol = true;
  int32_t frames = 0;
  size_t sprites = 0;
  const double build = Time(7, 20, [&] {
    FrameTable t = BuildFrameTable(keys, options);
    frames = t.FrameCount();
    sprites = t.SpriteCount();
  });
  double sink = 0;
  const double plain = Time(7, 20, [&] { sink += PlainSplines(keys); });
  std::printf("frame table: %d frames, %zu sprites (40 sprites, 12 keys, splines)\n", frames, sprites);
  std::printf("  build %.3f ms, plain spline loop %.3f ms: ratio %.2f (goal <= 1.5)\n", build, plain, build / plain);

  // 2. Particles: a screen with five effects, warmed up to their steady 2,000 each.
  ParticleManager manager;
  Runtime runtime;
  runtime.services.particles = &manager;
  runtime.script.RandSeed = 12345;
  TQelDB db{&runtime};
  TQelElement* screen = db.CreateChild("TQelScreen");
  std::vector<TQelEffect*> effects;
  const std::string record = FountainRecord();
  for (int i = 0; i < kEffects; ++i) {
    auto* e = static_cast<TQelEffect*>(screen->CreateChild("TQelEffect"));
    e->SetEffectFN("none");
    e->System()->Load(record);
    e->SetPos(100 + 150 * i, 400);
    e->DAnim = 1;
    e->SetActive(true);
    effects.push_back(e);
  }
  for (int i = 0; i < 90; ++i) screen->Process();
  int alive = 0;
  for (auto* e : effects) alive += e->System()->Count();
  const double step = Time(7, 60, [&] { screen->Process(); });
  std::vector<std::vector<Particle>> copies;
  for (auto* e : effects) copies.push_back(e->System()->Alive());
  const double array = Time(7, 60, [&] {
    for (size_t i = 0; i < copies.size(); ++i)
      PlainUpdate(copies[i], effects[i]->System()->X(), effects[i]->System()->Y(), 1.0f / 30);
  });
  for (auto& ps : copies) sink += ps[0].x;
  std::printf("particles: %d effects, %d particles alive\n", kEffects, alive);
  std::printf("  process step %.3f ms, plain array update %.3f ms: ratio %.2f (goal <= 1.5)\n", step, array,
              step / array);
  return sink == 12345.678 ? 1 : 0;
}
