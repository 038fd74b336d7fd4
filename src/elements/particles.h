#pragma once
// The particle engine behind effect elements: an emitter whose behaviour
// comes from a 136-byte effect record, a pool of particles it spawns and
// moves, and the manager that holds what all systems share.
#include <cstdint>
#include <string_view>
#include <vector>

namespace qel {

class ImageCache;
class TGfxCanvas;
class TGfxImage;
struct TQelIm;

// The effect file: emitter parameters, little-endian, angles in radians,
// times in seconds, distances in pixels.
struct EffectRecord {
  static constexpr size_t kSize = 136;
  int32_t firstPattern = 0, lastPattern = 0;
  uint32_t drawFx = 0;
  int32_t emission = 0;  // particles per second
  float lifetime = 0;    // of the emitter
  float lifeMin = 0, lifeMax = 0;
  float direction = 0, spread = 0;
  bool relative = false;  // add the direction of the emitter's last movement
  float speedMin = 0, speedMax = 0;
  float gravityMin = 0, gravityMax = 0;
  float radialMin = 0, radialMax = 0;
  float tangentialMin = 0, tangentialMax = 0;
  float sizeStart = 0, sizeMiddle = 0, sizeEnd = 0, sizeVariation = 0;
  float spinStart = 0, spinMiddle = 0, spinEnd = 0, spinVariation = 0;
  uint32_t colorStart = 0, colorMiddle = 0, colorEnd = 0;
  float colorVariation = 0, alphaVariation = 0;
  float middlePoint = 0;  // fraction of each particle's life
  bool reverse = false;   // draw the newest particles first

  // Reads the record from the start of the bytes; a short file leaves the
  // bytes it lacks zero.
  static EffectRecord Parse(std::string_view bytes);
};

struct Particle {
  float frame, frameSpeed;
  float x, y;
  float spawnX, spawnY;  // emitter position less the particle's, at birth
  float vx, vy;
  float gravity, radial, tangential;
  float spin, spinSpeed;
  float size, sizeSpeed;
  float color[4];  // blue, green, red, alpha, each 0..255
  float colorSpeed[4];
  float age, middle, life;
  bool dead;  // waiting to be dropped from the pool
};

class TXParticleSystem {
 public:
  // Acceleration values of effect files are in tenths of what the engine applies.
  static constexpr float kAccelerationScale = 10;

  // seed is the program's random generator state, shared with scripts.
  TXParticleSystem(int capacity, uint32_t* seed);

  void Load(std::string_view bytes) { params_ = EffectRecord::Parse(bytes); }
  const EffectRecord& Params() const { return params_; }

  void Start();
  void Stop(bool kill);
  void MoveTo(float x, float y, bool moveParticles);
  void FireAt(float x, float y);
  void Update(float dt);
  // Draws the live particles at (x, y) plus their positions, each colour
  // masked with mask; the device size bounds what is worth drawing.
  void Draw(TGfxCanvas& canvas, const TGfxImage* texture, float x, float y, uint32_t mask, int deviceWidth,
            int deviceHeight) const;

  // Drop the dead at every step instead of when they are many (the same
  // particles either way; off is the plain rule, kept for comparison).
  void SetCompactEveryStep(bool on) { compactEveryStep_ = on; }

  bool Emitting() const { return age_ >= 0; }
  int Count() const { return static_cast<int>(particles_.size() - dead_); }
  int Capacity() const { return capacity_; }
  // The live particles, oldest first.
  std::vector<Particle> Alive() const;
  float X() const { return x_; }
  float Y() const { return y_; }

 private:
  float Rnd(float a, float b);
  void Spawn();
  // Drops the dead, the living keeping their order.
  void Compact();

  EffectRecord params_;
  // Oldest first. The dead stay in place for a while, so that particles are
  // not moved down at every step: they go all at once when they are many.
  std::vector<Particle> particles_;
  size_t dead_ = 0;
  bool compactEveryStep_ = false;
  int capacity_;
  uint32_t* seed_;
  std::vector<std::pair<int32_t, int32_t>> spawnPoints_{{0, 0}};
  float x_ = 0, y_ = 0;
  float age_ = -1;  // seconds since the emitter started; -1: not emitting
  float remainder_ = 0;
  float prevX_ = 0, prevY_ = 0;
  float extraDirection_ = 0;
};

// What every particle system of a game shares: the canvas and the particle
// picture "particles.bmp". The player hands over the picture's texture for
// each frame; without it the picture is asked of the image cache the first
// time it is drawn and kept for good (forced pictures are never dropped).
class ParticleManager {
 public:
  TGfxCanvas* canvas = nullptr;
  const TGfxImage* texture = nullptr;

  // The picture for drawing now, or nil without one.
  const TGfxImage* Texture(ImageCache* cache);

 private:
  TQelIm* picture_ = nullptr;
};

// Pool size of effect elements; more would be hostile rather than pretty.
constexpr int kEffectCapacity = 5000;

}  // namespace qel
