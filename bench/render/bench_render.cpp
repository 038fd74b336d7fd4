// Rendering benchmark: frames of 20,000 rotated, tinted sprites from 4 textures in layer
// order, drawn through TGfxCanvas and through a minimal hand-written OpenGL loop (one
// vertex buffer, one draw call per texture change) as the limit. Headless.
//
//   bench_render [frames]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ctime>
#include <random>
#include <vector>

#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/gfx_images.h"

using namespace qel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSprites = 20000;
constexpr int kTextures = 4;
constexpr int kSize = 32;

struct Sprite {
  double x, y, angle, scale;
  uint32_t tint;
  int texture;
};

double CpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

const char* kVs = R"(#version 330 core
in vec2 aPos; in vec2 aUV; in vec4 aColor;
uniform vec2 uScale;
out vec2 vUV; out vec4 vColor;
void main() {
  vec2 p = aPos + vec2(0.5);
  gl_Position = vec4(p.x * uScale.x - 1.0, 1.0 - p.y * uScale.y, 0.0, 1.0);
  vUV = aUV; vColor = aColor;
})";
const char* kFs = R"(#version 330 core
in vec2 vUV; in vec4 vColor; uniform sampler2D uTex; out vec4 o;
void main() { vec4 c = vColor * texture(uTex, vUV); if (c.a < 0.5 / 255.0) discard; o = c; })";

struct V {
  float x, y, u, v;
  uint32_t c;
};

// The limit: every quad into one array, one upload, one draw call per texture change.
struct Limit {
  const GlFuncs& gl;
  GLuint prog = 0, vao = 0, vbo = 0;
  std::vector<V> verts;
  Limit(const GlFuncs& g) : gl(g) {
    static const char* const attribs[] = {"aPos", "aUV", "aColor"};
    prog = BuildProgram(gl, kVs, kFs, attribs, 3);
    gl.GenVertexArrays(1, &vao);
    gl.BindVertexArray(vao);
    gl.GenBuffers(1, &vbo);
    gl.BindBuffer(GL_ARRAY_BUFFER, vbo);
    gl.EnableVertexAttribArray(0);
    gl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(V), reinterpret_cast<void*>(0));
    gl.EnableVertexAttribArray(1);
    gl.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(V), reinterpret_cast<void*>(8));
    gl.EnableVertexAttribArray(2);
    gl.VertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(V), reinterpret_cast<void*>(16));
    gl.BindVertexArray(0);
    verts.resize(static_cast<size_t>(kSprites) * 6);
  }
  ~Limit() {
    gl.DeleteProgram(prog);
    gl.DeleteBuffers(1, &vbo);
    gl.DeleteVertexArrays(1, &vao);
  }
  // Returns the CPU build time (ms).
  double Frame(const std::vector<Sprite>& sprites, TGfxImage* const* tex) {
    const auto t0 = Clock::now();
    std::vector<int> runStart;
    int prev = -1;
    V* out = verts.data();
    for (size_t i = 0; i < sprites.size(); ++i) {
      const Sprite& s = sprites[i];
      if (s.texture != prev) {
        runStart.push_back(static_cast<int>(i));
        prev = s.texture;
      }
      const TGfxImage* im = tex[s.texture];
      const double hw = kSize * s.scale * 0.5, hh = hw, c = std::cos(s.angle), sn = std::sin(s.angle);
      int t, cx, cy;
      im->PatternOrigin(0, t, cx, cy);
      const float u0 = static_cast<float>(cx) / im->TextureWidth, u1 = static_cast<float>(cx + kSize) / im->TextureWidth;
      const float v0 = static_cast<float>(cy) / im->TextureHeight, v1 = static_cast<float>(cy + kSize) / im->TextureHeight;
      auto P = [&](double dx, double dy, float u, float v) {
        return V{static_cast<float>(s.x + dx * c - dy * sn - 0.5), static_cast<float>(s.y + dx * sn + dy * c - 0.5), u,
                 v, s.tint};
      };
      const V a = P(-hw, -hh, u0, v0), b = P(hw, -hh, u1, v0), d = P(hw, hh, u1, v1), e = P(-hw, hh, u0, v1);
      out[0] = a; out[1] = b; out[2] = d; out[3] = a; out[4] = d; out[5] = e;
      out += 6;
    }
    runStart.push_back(static_cast<int>(sprites.size()));
    const double build = Ms(Clock::now() - t0);
    gl.UseProgram(prog);
    gl.Uniform2f(gl.GetUniformLocation(prog, "uScale"), 2.0f / 1024, 2.0f / 768);
    gl.BindVertexArray(vao);
    gl.BindBuffer(GL_ARRAY_BUFFER, vbo);
    gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(verts.size() * sizeof(V)), verts.data(), GL_STREAM_DRAW);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.BlendEquation(GL_FUNC_ADD);
    gl.ActiveTexture(GL_TEXTURE0);
    gl.BindSampler(0, 0);
    for (size_t r = 0; r + 1 < runStart.size(); ++r) {
      gl.BindTexture(GL_TEXTURE_2D, tex[sprites[static_cast<size_t>(runStart[r])].texture]->TextureId(0));
      gl.DrawArrays(GL_TRIANGLES, runStart[r] * 6, (runStart[r + 1] - runStart[r]) * 6);
    }
    gl.BindVertexArray(0);
    return build;
  }
};

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  TGfxDevice device;
  device.Headless = true;
  TGfxCanvas canvas(device);
  TGfxImages images(device);
  if (!device.Initialize()) {
    std::fprintf(stderr, "bench_render: %s: %s\n", kDeviceInitFailedText, device.LastError().c_str());
    return 1;
  }
  std::mt19937 rng(12345);
  TGfxImage* tex[kTextures];
  for (int t = 0; t < kTextures; ++t) {
    TBitmap32 b;
    b.Resize(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const double r = std::hypot(x - 15.5, y - 15.5) / 16.0;
        const uint32_t a = r < 1 ? static_cast<uint32_t>(255 * (1 - r * r)) : 0;
        b.At(x, y) = (a << 24) | (0x40u * t << 16) | ((x * 8) << 8) | (y * 8);
      }
    tex[t] = images.Add();
    tex[t]->SetPatternSize(kSize, kSize);
    tex[t]->SetTextureSize(kSize + 2, kSize + 2);
    tex[t]->PatternCount = 1;
    tex[t]->UploadFromBitmap(b);
  }
  std::uniform_real_distribution<double> ux(0, 1024), uy(0, 768), ua(0, 6.2831853), us(0.5, 1.0);
  std::vector<Sprite> sprites(kSprites);
  for (int i = 0; i < kSprites; ++i)
    sprites[static_cast<size_t>(i)] = {ux(rng), uy(rng), ua(rng), us(rng), 0xFF000000u | static_cast<uint32_t>(rng() & 0xFFFFFF),
                                       i * kTextures / kSprites};  // layer order: texture by layer
  const GlFuncs& gl = device.GL();

  // --- ours ---
  double oursBuild = 0, oursTotal = 0;
  uint64_t calls0 = 0;
  auto oursFrame = [&](bool measure) {
    const auto t0 = Clock::now();
    const uint64_t f0 = canvas.FlushNanoseconds();
    device.OnRender = [&](TGfxDevice&) {
      for (const Sprite& s : sprites)
        canvas.DrawRotated(tex[s.texture], s.x, s.y, s.angle, s.scale, TColor4(s.tint), 0, fxBlend);
    };
    const auto r0 = Clock::now();
    device.Render(0xFF000000u, true);
    const double render = Ms(Clock::now() - r0);
    gl.Finish();
    const double total = Ms(Clock::now() - t0);
    const double flush = (canvas.FlushNanoseconds() - f0) / 1e6;
    if (measure) {
      oursBuild += render - flush;
      oursTotal += total;
    }
  };
  // --- limit ---
  auto limitPtr = std::make_unique<Limit>(gl);
  Limit& limit = *limitPtr;
  double limitBuild = 0, limitTotal = 0;
  auto limitFrame = [&](bool measure) {
    const auto t0 = Clock::now();
    device.BindBackBuffer();
    gl.Viewport(0, 0, 1024, 768);
    gl.Disable(GL_SCISSOR_TEST);
    gl.ClearColor(0, 0, 0, 1);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    const double build = limit.Frame(sprites, tex);
    gl.Finish();
    const double total = Ms(Clock::now() - t0);
    if (measure) {
      limitBuild += build;
      limitTotal += total;
    }
  };
  for (int i = 0; i < 3; ++i) {
    oursFrame(false);
    limitFrame(false);
  }
  calls0 = canvas.DrawCallCount();
  const double cpu0 = CpuMs();
  // Interleave so that both see the same machine state.
  for (int i = 0; i < frames; ++i) {
    oursFrame(true);
    limitFrame(true);
  }
  const double cpu = CpuMs() - cpu0;
  const double callsPerFrame = static_cast<double>(canvas.DrawCallCount() - calls0) / frames;
  std::printf("bench_render: %d sprites (%dx%d, rotated, tinted, alpha-blended), %d textures in layer order, %d frames\n",
              kSprites, kSize, kSize, kTextures, frames);
  std::printf("  ours : build %.2f ms/frame (CPU before the driver), total %.2f ms/frame, %.1f draw calls/frame\n",
              oursBuild / frames, oursTotal / frames, callsPerFrame);
  std::printf("  limit: build %.2f ms/frame (CPU before the driver), total %.2f ms/frame, %d draw calls/frame\n",
              limitBuild / frames, limitTotal / frames, kTextures);
  std::printf("  ratio ours/limit: build %.2f, total %.2f (goal total <= 1.2)\n", oursBuild / limitBuild,
              oursTotal / limitTotal);
  std::printf("  process CPU time over the measured frames: %.1f ms\n", cpu);
  limitPtr.reset();
  device.Finalize();
  return 0;
}
