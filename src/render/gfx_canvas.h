#pragma once
// The batching 2D canvas. Draw calls collect vertices into one batch that is
// drawn with one call; the batch is flushed only when the primitive kind, the effect or
// the texture changes, when it would overflow VertexCache, before Antialias or the clip
// rectangle change, and when the scene ends. Callers never think about batching.
//
// Coordinates follow Direct3D 9's pixel convention (pixel centres at integers); the
// conversion to OpenGL (centres at +0.5) is done in the vertex shader.
#include <cstdint>
#include <vector>

#include "render/gfx_types.h"
#include "render/gl_funcs.h"

namespace qel {

class TGfxDevice;
class TGfxImage;

class TGfx2D : public TGfxSubscriber {
 public:
  explicit TGfx2D(TGfxDevice& device);
  ~TGfx2D() override;
  TGfx2D(const TGfx2D&) = delete;
  TGfx2D& operator=(const TGfx2D&) = delete;

  bool AlphaTesting = true;
  bool Dithering = false;
  int VertexCache() const { return vertexCache_; }
  void SetVertexCache(int n);  // 6..65536; flushes

  bool Antialias() const { return antialias_; }
  void SetAntialias(bool on);  // linear (true) or point (false) filtering; flushes first
  TGfxRect ClipRect() const { return clip_; }
  void SetClipRect(const TGfxRect& r);  // flushes first; clipped to the back buffer

  void FillRect(int x, int y, int w, int h, const TColor4& color, uint32_t fx);
  void FrameRect(int x, int y, int w, int h, const TColor4& color, uint32_t fx);
  // FillRect with frame: the fill, then the outline.
  void FillRect(int x, int y, int w, int h, uint32_t outline, uint32_t fill, uint32_t fx);
  void FillTriangle(const TColor4& color, uint32_t fx, double x1, double y1, double x2, double y2, double x3, double y3);
  void Draw(const TGfxImage* image, double x, double y, const TColor4& color, int pattern, uint32_t fx);
  void DrawScaled(const TGfxImage* image, double x, double y, double scale, const TColor4& color, int pattern,
                  uint32_t fx);
  void DrawRotated(const TGfxImage* image, double x, double y, double angle, double scale, const TColor4& color,
                   int pattern, uint32_t fx);
  void TexMap(const TGfxImage* image, const TPoint4& points, const TGfxPattern& pattern, const TColor4& colors,
              uint32_t fx);
  // A line between two pixel centres (the end pixel excluded).
  void Line(double x1, double y1, double x2, double y2, uint32_t c1, uint32_t c2, uint32_t fx);

  void Flush();

  // Statistics: draw calls made since construction.
  uint64_t DrawCallCount() const { return drawCalls_; }
  // Wall time spent inside Flush handing batches to the driver (nanoseconds, cumulative).
  uint64_t FlushNanoseconds() const { return flushNs_; }

  bool DeviceNotify(int msg) override;

 private:
  struct Vertex {
    float x, y, u, v;
    uint32_t color;  // ARGB, fed to GL as BGRA bytes
  };
  enum Prim { primNone, primLines, primTriangles };

  bool CreateGL();
  void ReleaseGL();
  void SetupSceneState();
  // Makes room for nv vertices / ni indices of the given state, flushing when needed.
  // Returns the index of the first new vertex, or -1 when nothing can be drawn.
  int Prepare(Prim prim, uint32_t fx, GLuint texture, int nv, int ni);
  void ApplyEffect(uint32_t fx);

  TGfxDevice& device_;
  int vertexCache_ = 4096;
  bool antialias_ = false;
  TGfxRect clip_;
  bool clipSet_ = false;

  std::vector<Vertex> verts_;
  std::vector<uint16_t> indices_;
  int nv_ = 0, ni_ = 0;
  Prim prim_ = primNone;
  uint32_t fx_ = 0;
  GLuint tex_ = 0;

  bool glReady_ = false;
  bool sceneState_ = false;
  GLuint program_ = 0, vao_ = 0, vbo_ = 0, ibo_ = 0, samplers_[2] = {0, 0};
  GLint locScale_ = -1, locTextured_ = -1, locAlphaTest_ = -1, locTex_ = -1;
  // Last applied GL state (to skip redundant calls).
  int64_t appliedFx_ = -1;
  int appliedTextured_ = -1, appliedAlphaTest_ = -1;
  GLuint appliedTex_ = 0;
  uint64_t drawCalls_ = 0;
  uint64_t flushNs_ = 0;
};

class TGfxCanvas : public TGfx2D {
 public:
  using TGfx2D::TGfx2D;
};

}  // namespace qel
