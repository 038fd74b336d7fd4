#include "elements/particles.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gamedb/image_cache.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"

namespace qel {

namespace {

class RecordReader {
 public:
  explicit RecordReader(std::string_view bytes) {
    std::memcpy(buf_, bytes.data(), std::min(bytes.size(), sizeof buf_));
  }
  uint32_t U32(size_t at) const {
    return uint32_t{buf_[at]} | uint32_t{buf_[at + 1]} << 8 | uint32_t{buf_[at + 2]} << 16 |
           uint32_t{buf_[at + 3]} << 24;
  }
  int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
  float F32(size_t at) const {
    uint32_t u = U32(at);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
  }
  bool Flag(size_t at) const { return buf_[at] != 0; }

 private:
  uint8_t buf_[EffectRecord::kSize] = {};
};

// Channel c (0 blue, 1 green, 2 red, 3 alpha) of an ARGB colour.
float Channel(uint32_t argb, int c) { return static_cast<float>((argb >> (8 * c)) & 0xFF); }

// Colour channels stay within a byte; an alpha that overshoots lands on 254.
float ClampChannel(float v, int c) {
  if (c == 3 && v > 255) return 254;
  return v < 0 ? 0 : v > 255 ? 255 : v;
}

// A change over a time; a time of zero means no gradual change.
float Rate(float change, float time) {
  if (time == 0) return 0;
  float r = change / time;
  return std::isfinite(r) ? r : 0;
}

}  // namespace

EffectRecord EffectRecord::Parse(std::string_view bytes) {
  RecordReader r(bytes);
  EffectRecord e;
  e.firstPattern = r.I32(0);
  e.lastPattern = r.I32(4);
  e.drawFx = r.U32(12);
  e.emission = r.I32(16);
  e.lifetime = r.F32(20);
  e.lifeMin = r.F32(24);
  e.lifeMax = r.F32(28);
  e.direction = r.F32(32);
  e.spread = r.F32(36);
  e.relative = r.Flag(40);
  e.speedMin = r.F32(44);
  e.speedMax = r.F32(48);
  e.gravityMin = r.F32(52);
  e.gravityMax = r.F32(56);
  e.radialMin = r.F32(60);
  e.radialMax = r.F32(64);
  e.tangentialMin = r.F32(68);
  e.tangentialMax = r.F32(72);
  e.sizeStart = r.F32(76);
  e.sizeMiddle = r.F32(80);
  e.sizeEnd = r.F32(84);
  e.sizeVariation = r.F32(88);
  e.spinStart = r.F32(92);
  e.spinMiddle = r.F32(96);
  e.spinEnd = r.F32(100);
  e.spinVariation = r.F32(104);
  e.colorStart = r.U32(108);
  e.colorMiddle = r.U32(112);
  e.colorEnd = r.U32(116);
  e.colorVariation = r.F32(120);
  e.alphaVariation = r.F32(124);
  e.middlePoint = r.F32(128);
  e.reverse = r.Flag(132);
  return e;
}

TXParticleSystem::TXParticleSystem(int capacity, uint32_t* seed) : capacity_(std::max(0, capacity)), seed_(seed) {
  particles_.reserve(static_cast<size_t>(capacity_));
}

// The program's generator: the same steps as the scripts' Random.
float TXParticleSystem::Rnd(float a, float b) {
  *seed_ = *seed_ * 134775813u + 1u;
  const double u = *seed_ / 4294967296.0;
  const float lo = std::min(a, b), hi = std::max(a, b);
  return static_cast<float>(lo + (static_cast<double>(hi) - lo) * u);
}

void TXParticleSystem::Start() {
  if (spawnPoints_.empty()) return;
  age_ = params_.lifetime > 0 ? 0.0f : -1.0f;
}

void TXParticleSystem::Stop(bool kill) {
  age_ = -1;
  if (kill) particles_.clear(), dead_ = 0;
}

void TXParticleSystem::MoveTo(float x, float y, bool moveParticles) {
  const float dx = x - x_, dy = y - y_;
  if (moveParticles) {
    for (Particle& p : particles_) p.x += dx, p.y += dy;
    prevX_ += dx;
    prevY_ += dy;
  } else if (age_ >= 0) {
    // While emitting, the next particles are strewn along the way.
    prevX_ = x_;
    prevY_ = y_;
  } else {
    prevX_ = x_ + dx;
    prevY_ = y_ + dy;
  }
  x_ = x;
  y_ = y;
}

void TXParticleSystem::FireAt(float x, float y) {
  Stop(false);
  MoveTo(x, y, false);
  Start();
}

void TXParticleSystem::Update(float dt) {
  const EffectRecord& e = params_;
  if (age_ >= 0) {
    age_ += dt;
    if (age_ >= e.lifetime) age_ = -1;
  }
  const float k = kAccelerationScale;
  for (Particle& p : particles_) {
    if (p.dead) continue;
    const float before = p.age;
    p.age += dt;
    if (p.age >= p.life) {
      p.dead = true;
      ++dead_;
      continue;
    }
    const bool crossed = before < p.middle && p.age >= p.middle;
    float rx = p.x - (x_ + p.spawnX), ry = p.y - (y_ + p.spawnY);
    const float len = std::sqrt(rx * rx + ry * ry);
    if (len > 0) rx /= len, ry /= len;
    else rx = ry = 0;
    const float tx = -ry, ty = rx;
    p.vx += (rx * p.radial + tx * p.tangential) * k * dt;
    p.vy += (ry * p.radial + ty * p.tangential) * k * dt;
    p.vy += p.gravity * k * dt;
    p.x += p.vx * dt;
    p.y += p.vy * dt;
    p.spin += p.spinSpeed * dt;
    p.size += p.sizeSpeed * dt;
    p.frame += p.frameSpeed * dt;
    if (crossed) {
      const float rest = p.life - p.middle;
      p.spinSpeed = Rate(e.spinEnd - p.spin, rest);
      p.sizeSpeed = Rate(e.sizeEnd - p.size, rest);
      for (int c = 0; c < 4; ++c) p.colorSpeed[c] = Rate(Channel(e.colorEnd, c) - p.color[c], rest);
    }
    for (int c = 0; c < 3; ++c) p.color[c] = std::clamp(p.color[c] + p.colorSpeed[c] * dt, 0.0f, 255.0f);
    p.color[3] = ClampChannel(p.color[3] + p.colorSpeed[3] * dt, 3);
  }
  if (dead_ * 8 > particles_.size() || (compactEveryStep_ && dead_ > 0)) Compact();
  if (age_ >= 0) {
    const float n = static_cast<float>(e.emission) * dt + remainder_;
    const float whole = std::nearbyint(n);
    const float room = static_cast<float>(capacity_ - Count());
    for (float i = 0, spawn = std::min(whole, room); i < spawn; ++i) Spawn();
    remainder_ = std::isfinite(n - whole) ? n - whole : 0;
  }
  prevX_ = x_;
  prevY_ = y_;
}

void TXParticleSystem::Compact() {
  std::erase_if(particles_, [](const Particle& p) { return p.dead; });
  dead_ = 0;
}

std::vector<Particle> TXParticleSystem::Alive() const {
  std::vector<Particle> alive;
  for (const Particle& p : particles_)
    if (!p.dead) alive.push_back(p);
  return alive;
}

void TXParticleSystem::Spawn() {
  const EffectRecord& e = params_;
  if (Count() >= capacity_ || spawnPoints_.empty()) return;
  if (particles_.size() >= static_cast<size_t>(capacity_)) Compact();
  Particle p{};
  p.age = 0;
  p.life = Rnd(e.lifeMin, e.lifeMax);
  p.middle = p.life * e.middlePoint;
  const float f = Rnd(0, 1);
  p.x = prevX_ + (x_ - prevX_) * f;
  p.y = prevY_ + (y_ - prevY_) * f;
  const auto& point = spawnPoints_[static_cast<size_t>(Rnd(0, 1) * spawnPoints_.size()) % spawnPoints_.size()];
  p.x += static_cast<float>(point.first);
  p.y += static_cast<float>(point.second);
  p.spawnX = x_ - p.x;
  p.spawnY = y_ - p.y;
  float a = Rnd(0, e.spread) + e.direction + extraDirection_ - e.spread / 2;
  if (e.relative) a += std::atan2(prevX_ - x_, prevY_ - y_);
  const float speed = Rnd(e.speedMin, e.speedMax);
  p.vx = std::sin(a) * speed;
  p.vy = std::cos(a) * speed;
  p.gravity = Rnd(e.gravityMin, e.gravityMax);
  p.radial = Rnd(e.radialMin, e.radialMax);
  p.tangential = Rnd(e.tangentialMin, e.tangentialMax);
  p.size = Rnd(e.sizeStart, e.sizeStart + (e.sizeMiddle - e.sizeStart) * e.sizeVariation);
  p.sizeSpeed = Rate(e.sizeMiddle - p.size, p.middle);
  p.spin = Rnd(e.spinStart, e.spinStart + (e.spinMiddle - e.spinStart) * e.spinVariation);
  p.spinSpeed = Rate(e.spinMiddle - p.spin, p.middle);
  p.frame = static_cast<float>(e.firstPattern);
  p.frameSpeed = e.lastPattern < 0 || e.lastPattern == e.firstPattern
                     ? 0.0f
                     : Rate(static_cast<float>(e.lastPattern) - static_cast<float>(e.firstPattern), p.life);
  const float u = Rnd(0, e.colorVariation), v = Rnd(0, e.alphaVariation);
  for (int c = 0; c < 4; ++c) {
    const float start = Channel(e.colorStart, c), mid = Channel(e.colorMiddle, c);
    p.color[c] = ClampChannel(start + (mid - start) * (c == 3 ? v : u), c);
    p.colorSpeed[c] = Rate(mid - p.color[c], p.middle);
  }
  particles_.push_back(p);
}

namespace {

uint32_t ColorByte(float v) {
  const float r = std::nearbyint(v);
  return !(r > 0) ? 0 : r >= 255 ? 255 : static_cast<uint32_t>(r);
}

}  // namespace

void TXParticleSystem::Draw(TGfxCanvas& canvas, const TGfxImage* texture, float x, float y, uint32_t mask,
                            int deviceWidth, int deviceHeight) const {
  if (!texture) return;
  const size_t n = particles_.size();
  for (size_t j = 0; j < n; ++j) {
    const Particle& p = particles_[params_.reverse ? n - 1 - j : j];
    if (p.dead) continue;
    const float px = x + p.x, py = y + p.y;
    const float hw = texture->PatternWidth * p.size / 2, hh = texture->PatternHeight * p.size / 2;
    if (!std::isfinite(px) || !std::isfinite(py) || !std::isfinite(hw) || !std::isfinite(hh)) continue;
    const float ew = std::abs(hw), eh = std::abs(hh);
    if (px + ew < 0 || py + eh < 0 || px - ew > deviceWidth || py - eh > deviceHeight) continue;
    const uint32_t argb = ColorByte(p.color[3]) << 24 | ColorByte(p.color[2]) << 16 | ColorByte(p.color[1]) << 8 |
                          ColorByte(p.color[0]);
    const float frame = std::isfinite(p.frame) ? std::clamp(p.frame, -1e9f, 1e9f) : 0.0f;
    canvas.DrawRotated(texture, px, py, p.spin, p.size, mask & argb, static_cast<int>(frame), params_.drawFx);
  }
}

const TGfxImage* ParticleManager::Texture(ImageCache* cache) {
  if (texture) return texture;
  if (!cache) return nullptr;
  if (!picture_) picture_ = cache->RequestImage("particles.bmp", true);
  return cache->TextureOf(picture_);
}

}  // namespace qel
