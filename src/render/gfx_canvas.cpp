#include "render/gfx_canvas.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>

#include "render/gfx_device.h"
#include "render/gfx_images.h"

namespace qel {
namespace {

const char* kVertexShader = R"(#version 330 core
in vec2 aPos;
in vec2 aUV;
in vec4 aColor;
uniform vec2 uScale;
out vec2 vUV;
out vec4 vColor;
void main() {
  // Direct3D pixel centres are at integers, OpenGL's at +0.5.
  vec2 p = aPos + vec2(0.5);
  gl_Position = vec4(p.x * uScale.x - 1.0, 1.0 - p.y * uScale.y, 0.0, 1.0);
  vUV = aUV;
  vColor = aColor;
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec2 vUV;
in vec4 vColor;
uniform sampler2D uTex;
uniform int uTextured;
uniform int uAlphaTest;
out vec4 fragColor;
void main() {
  vec4 c = vColor;
  if (uTextured != 0) c *= texture(uTex, vUV);
  // Alpha test: greater-or-equal with reference 1 (of 255).
  if (uAlphaTest != 0 && c.a < 0.5 / 255.0) discard;
  fragColor = c;
}
)";

const GLenum kBlendFactor[11] = {GL_ZERO,      GL_ONE,           GL_SRC_COLOR,          GL_ONE_MINUS_SRC_COLOR,
                                 GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA,    GL_ONE_MINUS_DST_ALPHA,
                                 GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA_SATURATE};
const GLenum kBlendOp[5] = {GL_FUNC_ADD, GL_FUNC_REVERSE_SUBTRACT, GL_FUNC_SUBTRACT, GL_MIN, GL_MAX};

}  // namespace

TGfx2D::TGfx2D(TGfxDevice& device) : device_(device) {
  verts_.resize(static_cast<size_t>(vertexCache_));
  indices_.resize(static_cast<size_t>(vertexCache_));
  device_.Subscribe(this);
  if (device_.Initialized()) CreateGL();
}

TGfx2D::~TGfx2D() {
  ReleaseGL();
  device_.Unsubscribe(this);
}

void TGfx2D::SetVertexCache(int n) {
  Flush();
  vertexCache_ = std::clamp(n, 6, 65536);
  verts_.assign(static_cast<size_t>(vertexCache_), Vertex{});
  indices_.assign(static_cast<size_t>(vertexCache_), 0);
  if (glReady_) {
    ReleaseGL();
    CreateGL();
  }
}

bool TGfx2D::CreateGL() {
  if (glReady_) return true;
  if (!device_.Initialized()) return false;
  const GlFuncs& gl = device_.GL();
  static const char* const kAttribs[] = {"aPos", "aUV", "aColor"};
  program_ = BuildProgram(gl, kVertexShader, kFragmentShader, kAttribs, 3);
  if (!program_) return false;
  locScale_ = gl.GetUniformLocation(program_, "uScale");
  locTextured_ = gl.GetUniformLocation(program_, "uTextured");
  locAlphaTest_ = gl.GetUniformLocation(program_, "uAlphaTest");
  locTex_ = gl.GetUniformLocation(program_, "uTex");
  gl.GenVertexArrays(1, &vao_);
  gl.BindVertexArray(vao_);
  gl.GenBuffers(1, &vbo_);
  gl.GenBuffers(1, &ibo_);
  gl.BindBuffer(GL_ARRAY_BUFFER, vbo_);
  gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(Vertex) * vertexCache_), nullptr, GL_STREAM_DRAW);
  gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
  gl.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(uint16_t) * vertexCache_), nullptr,
                GL_STREAM_DRAW);
  gl.EnableVertexAttribArray(0);
  gl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
  gl.EnableVertexAttribArray(1);
  gl.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
  gl.EnableVertexAttribArray(2);
  gl.VertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                         reinterpret_cast<void*>(offsetof(Vertex, color)));
  gl.GenSamplers(2, samplers_);
  for (int i = 0; i < 2; ++i) {
    GLint f = i ? GL_LINEAR : GL_NEAREST;
    gl.SamplerParameteri(samplers_[i], GL_TEXTURE_MIN_FILTER, f);
    gl.SamplerParameteri(samplers_[i], GL_TEXTURE_MAG_FILTER, f);
    gl.SamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.SamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  gl.BindVertexArray(0);
  glReady_ = true;
  sceneState_ = false;
  if (!clipSet_) clip_ = TGfxRect{0, 0, device_.Width(), device_.Height()};
  return true;
}

void TGfx2D::ReleaseGL() {
  nv_ = ni_ = 0;
  prim_ = primNone;
  if (!glReady_) return;
  glReady_ = false;
  sceneState_ = false;
  if (!device_.Initialized()) return;
  const GlFuncs& gl = device_.GL();
  gl.DeleteProgram(program_);
  gl.DeleteVertexArrays(1, &vao_);
  gl.DeleteBuffers(1, &vbo_);
  gl.DeleteBuffers(1, &ibo_);
  gl.DeleteSamplers(2, samplers_);
  program_ = vao_ = vbo_ = ibo_ = samplers_[0] = samplers_[1] = 0;
}

bool TGfx2D::DeviceNotify(int msg) {
  switch (msg) {
    case msgDeviceInitialize:
      clipSet_ = false;
      return CreateGL();
    case msgDeviceFinalize:
      ReleaseGL();
      break;
    case msgDeviceLost:
      Flush();
      ReleaseGL();
      break;
    case msgDeviceReset:
      clipSet_ = false;  // a reset restores the full viewport
      CreateGL();
      break;
    case msgBeginScene:
      sceneState_ = false;
      break;
    case msgEndScene:
    case msgFlushBatch:
      Flush();
      break;
  }
  return true;
}

void TGfx2D::SetupSceneState() {
  const GlFuncs& gl = device_.GL();
  device_.BindBackBuffer();
  gl.Viewport(0, 0, device_.Width(), device_.Height());
  gl.Disable(GL_CULL_FACE);
  gl.Disable(GL_DEPTH_TEST);
  if (Dithering)
    gl.Enable(GL_DITHER);
  else
    gl.Disable(GL_DITHER);
  gl.Enable(GL_SCISSOR_TEST);
  gl.Scissor(clip_.left, device_.Height() - clip_.bottom, std::max(0, clip_.Width()), std::max(0, clip_.Height()));
  gl.UseProgram(program_);
  gl.Uniform2f(locScale_, 2.0f / device_.Width(), 2.0f / device_.Height());
  gl.Uniform1i(locTex_, 0);
  gl.ActiveTexture(GL_TEXTURE0);
  gl.BindSampler(0, samplers_[antialias_ ? 1 : 0]);
  gl.BindVertexArray(vao_);
  gl.BindBuffer(GL_ARRAY_BUFFER, vbo_);
  appliedFx_ = -1;
  appliedTextured_ = appliedAlphaTest_ = -1;
  appliedTex_ = 0;
  gl.BindTexture(GL_TEXTURE_2D, 0);
  sceneState_ = true;
}

void TGfx2D::ApplyEffect(uint32_t fx) {
  const GlFuncs& gl = device_.GL();
  const int alphaTest = (fx != fxOpaque && AlphaTesting) ? 1 : 0;
  if (alphaTest != appliedAlphaTest_) {
    gl.Uniform1i(locAlphaTest_, alphaTest);
    appliedAlphaTest_ = alphaTest;
  }
  if (static_cast<int64_t>(fx) == appliedFx_) return;
  appliedFx_ = fx;
  if (fx == fxOpaque) {
    gl.Disable(GL_BLEND);
    return;
  }
  const uint32_t s = fx & 0xFF, d = (fx >> 8) & 0xFF, op = (fx >> 16) & 0xFF;
  // Indices outside the tables (not defined by Direct3D) fall back to ONE, ZERO and ADD.
  gl.Enable(GL_BLEND);
  gl.BlendFunc(s < 11 ? kBlendFactor[s] : GL_ONE, d < 11 ? kBlendFactor[d] : GL_ZERO);
  gl.BlendEquation(op < 5 ? kBlendOp[op] : GL_FUNC_ADD);
}

void TGfx2D::Flush() {
  if (nv_ == 0 || ni_ == 0 || !glReady_) {
    nv_ = ni_ = 0;
    return;
  }
  const auto t0 = std::chrono::steady_clock::now();
  const GlFuncs& gl = device_.GL();
  if (!sceneState_) SetupSceneState();
  device_.BindBackBuffer();
  ApplyEffect(fx_);
  const int textured = tex_ ? 1 : 0;
  if (textured != appliedTextured_) {
    gl.Uniform1i(locTextured_, textured);
    appliedTextured_ = textured;
  }
  // Program, arrays and texture are bound on every flush: texture uploads and other
  // GL users may have changed the bindings since the last one.
  gl.UseProgram(program_);
  gl.BindVertexArray(vao_);
  gl.BindBuffer(GL_ARRAY_BUFFER, vbo_);
  if (tex_) {
    gl.ActiveTexture(GL_TEXTURE0);
    gl.BindTexture(GL_TEXTURE_2D, tex_);
  }
  gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(Vertex) * vertexCache_), nullptr, GL_STREAM_DRAW);
  gl.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(sizeof(Vertex) * nv_), verts_.data());
  gl.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(uint16_t) * vertexCache_), nullptr,
                GL_STREAM_DRAW);
  gl.BufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(sizeof(uint16_t) * ni_), indices_.data());
  gl.DrawElements(prim_ == primLines ? GL_LINES : GL_TRIANGLES, ni_, GL_UNSIGNED_SHORT, nullptr);
  ++drawCalls_;
  nv_ = ni_ = 0;
  flushNs_ += static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - t0).count());
}

int TGfx2D::Prepare(Prim prim, uint32_t fx, GLuint texture, int nv, int ni) {
  if (!glReady_ && !CreateGL()) return -1;
  if (nv_ > 0 && (prim != prim_ || fx != fx_ || texture != tex_)) Flush();
  if (nv_ + nv > vertexCache_ || ni_ + ni > vertexCache_) Flush();
  prim_ = prim;
  fx_ = fx;
  tex_ = texture;
  int first = nv_;
  nv_ += nv;
  return first;
}

void TGfx2D::SetAntialias(bool on) {
  // Elements set the filter before every draw; only a change breaks the batch.
  if (on == antialias_) return;
  Flush();
  antialias_ = on;
  if (glReady_ && sceneState_) device_.GL().BindSampler(0, samplers_[on ? 1 : 0]);
}

void TGfx2D::SetClipRect(const TGfxRect& r) {
  Flush();
  clip_.left = std::clamp(r.left, 0, device_.Width());
  clip_.top = std::clamp(r.top, 0, device_.Height());
  clip_.right = std::clamp(r.right, clip_.left, device_.Width());
  clip_.bottom = std::clamp(r.bottom, clip_.top, device_.Height());
  clipSet_ = true;
  if (glReady_ && sceneState_)
    device_.GL().Scissor(clip_.left, device_.Height() - clip_.bottom, clip_.Width(), clip_.Height());
}

void TGfx2D::FillRect(int x, int y, int w, int h, const TColor4& color, uint32_t fx) {
  if (w <= 0 || h <= 0) return;
  int v = Prepare(primTriangles, fx, 0, 4, 6);
  if (v < 0) return;
  // Direct3D's top-left fill rule covers pixels x..x+w-1: the edges lie half a pixel
  // before the centres, which avoids ties in OpenGL's rasteriser.
  const float x0 = static_cast<float>(x) - 0.5f, y0 = static_cast<float>(y) - 0.5f;
  const float x1 = x0 + static_cast<float>(w), y1 = y0 + static_cast<float>(h);
  Vertex* q = &verts_[static_cast<size_t>(v)];
  q[0] = {x0, y0, 0, 0, color.c[0]};
  q[1] = {x1, y0, 0, 0, color.c[1]};
  q[2] = {x1, y1, 0, 0, color.c[2]};
  q[3] = {x0, y1, 0, 0, color.c[3]};
  uint16_t* ix = &indices_[static_cast<size_t>(ni_)];
  const auto b = static_cast<uint16_t>(v);
  ix[0] = b; ix[1] = static_cast<uint16_t>(b + 1); ix[2] = static_cast<uint16_t>(b + 2);
  ix[3] = b; ix[4] = static_cast<uint16_t>(b + 2); ix[5] = static_cast<uint16_t>(b + 3);
  ni_ += 6;
}

void TGfx2D::Line(double x1, double y1, double x2, double y2, uint32_t c1, uint32_t c2, uint32_t fx) {
  int v = Prepare(primLines, fx, 0, 2, 2);
  if (v < 0) return;
  verts_[static_cast<size_t>(v)] = {static_cast<float>(x1), static_cast<float>(y1), 0, 0, c1};
  verts_[static_cast<size_t>(v) + 1] = {static_cast<float>(x2), static_cast<float>(y2), 0, 0, c2};
  indices_[static_cast<size_t>(ni_)] = static_cast<uint16_t>(v);
  indices_[static_cast<size_t>(ni_) + 1] = static_cast<uint16_t>(v + 1);
  ni_ += 2;
}

void TGfx2D::FrameRect(int x, int y, int w, int h, const TColor4& color, uint32_t fx) {
  if (w <= 0 || h <= 0) return;
  const double l = x, t = y, r = x + w - 1, b = y + h - 1;
  if (w == 1 || h == 1) {  // a single row or column: one line covering every pixel
    Line(l, t, w == 1 ? l : r + 1, h == 1 ? t : b + 1, color.c[0], color.c[2], fx);
    return;
  }
  // Four lines around the outline, each ending where the next starts: every outline
  // pixel is drawn exactly once (lines leave out their last pixel).
  Line(l, t, r, t, color.c[0], color.c[1], fx);
  Line(r, t, r, b, color.c[1], color.c[2], fx);
  Line(r, b, l, b, color.c[2], color.c[3], fx);
  Line(l, b, l, t, color.c[3], color.c[0], fx);
}

void TGfx2D::FillRect(int x, int y, int w, int h, uint32_t outline, uint32_t fill, uint32_t fx) {
  FillRect(x, y, w, h, TColor4(fill), fx);
  FrameRect(x, y, w, h, TColor4(outline), fx);
}

void TGfx2D::FillTriangle(const TColor4& color, uint32_t fx, double x1, double y1, double x2, double y2, double x3,
                          double y3) {
  int v = Prepare(primTriangles, fx, 0, 3, 3);
  if (v < 0) return;
  Vertex* q = &verts_[static_cast<size_t>(v)];
  q[0] = {static_cast<float>(x1), static_cast<float>(y1), 0, 0, color.c[0]};
  q[1] = {static_cast<float>(x2), static_cast<float>(y2), 0, 0, color.c[1]};
  q[2] = {static_cast<float>(x3), static_cast<float>(y3), 0, 0, color.c[2]};
  for (int i = 0; i < 3; ++i) indices_[static_cast<size_t>(ni_ + i)] = static_cast<uint16_t>(v + i);
  ni_ += 3;
}

void TGfx2D::Draw(const TGfxImage* image, double x, double y, const TColor4& color, int pattern, uint32_t fx) {
  if (!image) return;
  const double w = image->PatternWidth, h = image->PatternHeight;
  TexMap(image, TPoint4{{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}}, TGfxPattern(pattern), color, fx);
}

void TGfx2D::DrawScaled(const TGfxImage* image, double x, double y, double scale, const TColor4& color, int pattern,
                        uint32_t fx) {
  if (!image) return;
  const double w = std::nearbyint(image->PatternWidth * scale), h = std::nearbyint(image->PatternHeight * scale);
  TexMap(image, TPoint4{{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}}, TGfxPattern(pattern), color, fx);
}

void TGfx2D::DrawRotated(const TGfxImage* image, double x, double y, double angle, double scale, const TColor4& color,
                         int pattern, uint32_t fx) {
  if (!image) return;
  const double hw = image->PatternWidth * scale * 0.5, hh = image->PatternHeight * scale * 0.5;
  const double c = std::cos(angle), s = std::sin(angle);
  // Positive angles turn clockwise on the screen (y grows downward).
  auto rot = [&](double dx, double dy) { return TGfxPoint{x + dx * c - dy * s, y + dx * s + dy * c}; };
  TexMap(image, TPoint4{{rot(-hw, -hh), rot(hw, -hh), rot(hw, hh), rot(-hw, hh)}}, TGfxPattern(pattern), color, fx);
}

void TGfx2D::TexMap(const TGfxImage* image, const TPoint4& points, const TGfxPattern& pattern, const TColor4& colors,
                    uint32_t fx) {
  if (!image || image->PatternCount <= 0 || image->TextureCount() == 0) return;
  const int p = std::clamp(pattern.index, 0, image->PatternCount - 1);
  int texIndex, cx, cy;
  image->PatternOrigin(p, texIndex, cx, cy);
  const GLuint tex = image->TextureId(texIndex);
  if (!tex) return;
  int v = Prepare(primTriangles, fx, tex, 4, 6);
  if (v < 0) return;
  const int sw = pattern.srcW < 1 ? image->VisibleWidth : pattern.srcW;
  const int sh = pattern.srcH < 1 ? image->VisibleHeight : pattern.srcH;
  const float iw = 1.0f / static_cast<float>(image->TextureWidth), ih = 1.0f / static_cast<float>(image->TextureHeight);
  float u0 = static_cast<float>(cx + pattern.srcX) * iw, u1 = static_cast<float>(cx + pattern.srcX + sw) * iw;
  float v0 = static_cast<float>(cy + pattern.srcY) * ih, v1 = static_cast<float>(cy + pattern.srcY + sh) * ih;
  if (pattern.mirror) std::swap(u0, u1);
  if (pattern.flip) std::swap(v0, v1);
  const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
  Vertex* q = &verts_[static_cast<size_t>(v)];
  for (int i = 0; i < 4; ++i)  // -0.5: texels meet pixel centres
    q[i] = {static_cast<float>(points.p[i].x - 0.5), static_cast<float>(points.p[i].y - 0.5), us[i], vs[i],
            colors.c[i]};
  uint16_t* ix = &indices_[static_cast<size_t>(ni_)];
  const auto b = static_cast<uint16_t>(v);
  ix[0] = b; ix[1] = static_cast<uint16_t>(b + 1); ix[2] = static_cast<uint16_t>(b + 2);
  ix[3] = b; ix[4] = static_cast<uint16_t>(b + 2); ix[5] = static_cast<uint16_t>(b + 3);
  ni_ += 6;
}

}  // namespace qel
