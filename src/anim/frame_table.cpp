#include "anim/frame_table.h"

#include <libalglib/interpolation.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/variant.h"

namespace qel {
namespace {

// One image Id followed through the keys: its knots, then its splines.
struct SplineTrack {
  enum Value { vX, vY, vScale, vAngle, vScaleX, vScaleY, kValues };
  ByteString name;
  std::vector<double> frames;
  std::vector<double> values[kValues];
  bool fitted = false;
  alglib::spline1dinterpolant splines[kValues];

  void Fit() {
    if (frames.size() < 2) return;
    try {
      alglib::real_1d_array x;
      x.setcontent(static_cast<alglib::ae_int_t>(frames.size()), frames.data());
      for (int v = 0; v < kValues; ++v) {
        alglib::real_1d_array y;
        y.setcontent(static_cast<alglib::ae_int_t>(values[v].size()), values[v].data());
        // Boundary type 0 at both ends: parabolically terminated.
        alglib::spline1dbuildcubic(x, y, static_cast<alglib::ae_int_t>(frames.size()), 0, 0.0, 0, 0.0, splines[v]);
      }
      fitted = true;
    } catch (const alglib::ap_error&) {
      fitted = false;  // values the fitter refuses (not finite): the sprite moves linearly
    }
  }
  double At(Value v, double frame) const { return alglib::spline1dcalc(splines[v], frame); }
};

class Tracks {
 public:
  SplineTrack& Named(const ByteString& name) {
    for (auto& t : tracks_)
      if (t->name == name) return *t;
    tracks_.push_back(std::make_unique<SplineTrack>());
    tracks_.back()->name = name;
    return *tracks_.back();
  }
  const SplineTrack* Fitted(const ByteString& name) const {
    for (auto& t : tracks_)
      if (t->name == name) return t->fitted ? t.get() : nullptr;
    return nullptr;
  }
  void FitAll() {
    for (auto& t : tracks_) t->Fit();
  }

 private:
  std::vector<std::unique_ptr<SplineTrack>> tracks_;
};

Tracks CollectKnots(const std::vector<AnimKey>& keys) {
  Tracks tracks;
  double s = 0;
  for (const AnimKey& key : keys) {
    for (const KeySprite& f : key.sprites) {
      if (!f.picture || f.id.empty()) continue;
      SplineTrack& t = tracks.Named(f.id);
      // Two images of one key with the same Id would give the fitter the
      // same frame twice; the first one is the knot.
      if (!t.frames.empty() && t.frames.back() == s) continue;
      t.frames.push_back(s);
      t.values[SplineTrack::vX].push_back(f.x + f.scale * f.picture->width / 2);
      t.values[SplineTrack::vY].push_back(f.y + f.scale * f.picture->height / 2);
      t.values[SplineTrack::vScale].push_back(f.scale);
      t.values[SplineTrack::vAngle].push_back(f.angle);
      t.values[SplineTrack::vScaleX].push_back(f.scaleX);
      t.values[SplineTrack::vScaleY].push_back(f.scaleY);
    }
    s += key.count + 1.0;
  }
  tracks.FitAll();
  return tracks;
}

uint32_t WithAlphaByte(uint32_t argb, double alpha) {
  double a = RoundHalfEven(alpha);
  a = a < 0 ? 0 : a > 255 ? 255 : a;
  return (argb & 0xFFFFFFu) | (static_cast<uint32_t>(a) << 24);
}

// A sprite of one key paired with its partner in the next key.
struct Pair {
  const KeySprite* f;
  const KeySprite* m;
  const SplineTrack* track;
  bool changed;  // the picture or pattern differs: the sprite stands still
  bool morph;    // ... and cross-fades into the partner
};

}  // namespace

void ChooseDirection(AnimSprite& sp, double animAngle) {
  if (sp.Frame != -1) return;  // other sprites keep their angle
  double b = RoundHalfEven((animAngle + sp.Angle) * 1000) / 1000;
  if (!(b >= -100000 && b <= 100000)) b = 0;
  while (b >= 360) b -= 360;
  while (b < 0) b += 360;
  int32_t n = static_cast<int32_t>(RoundHalfEven(b * 10)) / 225;
  if (n > 15) n = 15;
  sp.Frame = n;
  sp.Angle = b - 22.5 * n;
}

class FrameBuilder {
 public:
  FrameBuilder(const std::vector<AnimKey>& keys, const FrameOptions& o) : keys_(keys), o_(o) {}

  FrameTable Build() {
    if (o_.interpol) tracks_ = CollectKnots(keys_);
    // Partners are found by Id ignoring case: upper-case every Id once.
    upperIds_.resize(keys_.size());
    for (size_t i = 0; i < keys_.size(); ++i)
      for (const KeySprite& sp : keys_[i].sprites) upperIds_[i].push_back(UpperCase(sp.id));
    size_t expected = 0;  // one sprite per image and frame, unless some leave or cross-fade
    for (const AnimKey& key : keys_) expected += (key.count + size_t{1}) * key.sprites.size();
    t_.sprites_.reserve(std::min(expected, o_.maxSprites));
    double s = 0;
    for (size_t i = 0; i < keys_.size(); ++i) {
      const AnimKey& key = keys_[i];
      const AnimKey* partner = i + 1 < keys_.size() ? &keys_[i + 1] : o_.rep ? &keys_[0] : nullptr;
      PairUp(i, partner ? (i + 1 < keys_.size() ? i + 1 : 0) : kNone);
      size_t perFrame = 0;
      for (const Pair& p : pairs_) perFrame += p.morph ? 2 : 1;
      const double d = key.count + 1.0;
      for (int q = 0; q <= key.count; ++q) {
        if (static_cast<size_t>(t_.FrameCount()) >= o_.maxFrames || t_.sprites_.size() + perFrame > o_.maxSprites) {
          t_.truncated_ = true;
          return std::move(t_);
        }
        for (const Pair& p : pairs_) Emit(p, key, q, d, s + q);
        t_.starts_.push_back(static_cast<uint32_t>(t_.sprites_.size()));
      }
      s += d;
    }
    return std::move(t_);
  }

 private:
  static constexpr size_t kNone = ~size_t{0};

  void PairUp(size_t k, size_t pk) {
    pairs_.clear();
    const AnimKey& key = keys_[k];
    const AnimKey* partner = pk == kNone ? nullptr : &keys_[pk];
    for (size_t j = 0; j < key.sprites.size(); ++j) {
      const KeySprite& f = key.sprites[j];
      const KeySprite* m = nullptr;
      if (partner && !f.id.empty())
        for (size_t c = 0; c < partner->sprites.size(); ++c)
          if (upperIds_[pk][c] == upperIds_[k][j]) {
            m = &partner->sprites[c];
            break;
          }
      if (!f.picture) continue;
      if (!m) {
        // A named sprite without a partner leaves; an unnamed one stands still.
        if (!f.id.empty() && partner) continue;
        m = &f;
      }
      if (!m->picture) continue;
      Pair p{&f, m, nullptr, false, false};
      p.changed = f.picture->entry != m->picture->entry || f.anim != m->anim;
      p.morph = p.changed && key.morph;
      if (o_.interpol && f.interpol && !f.id.empty()) p.track = tracks_.Fitted(f.id);
      pairs_.push_back(p);
    }
  }

  void Emit(const Pair& p, const AnimKey& key, int q, double d, double frame) {
    const KeySprite& f = *p.f;
    const KeySprite& m = *p.m;
    AnimSprite sp;
    sp.Image = f.picture->entry;
    sp.Frame = f.anim;
    if (p.track && f.interpolSc && o_.splineShortcut) {
      // Every moving value comes from the splines.
      sp.X = p.track->At(SplineTrack::vX, frame);
      sp.Y = p.track->At(SplineTrack::vY, frame);
      sp.Scale = p.track->At(SplineTrack::vScale, frame);
      sp.ScaleX = p.track->At(SplineTrack::vScaleX, frame);
      sp.ScaleY = p.track->At(SplineTrack::vScaleY, frame);
      sp.Angle = p.track->At(SplineTrack::vAngle, frame);
    } else {
      Interpolate(sp, p, q, d, frame);
    }
    const double tF = f.color >> 24, tM = m.color >> 24;

    sp.Color = WithAlphaByte(f.color, RoundHalfEven((tM - tF) / d * q) + tF);
    sp.DrawFx = f.drawFx;
    if (!p.changed) return Append(sp);

    sp.X = f.x + f.picture->width * 0.5 * f.scale;
    sp.Y = f.y + f.picture->height * 0.5 * f.scale;
    sp.Scale = f.scale;
    sp.Angle = f.angle;
    sp.Color = f.color;
    if (!p.morph) return Append(sp);

    double fa, ma;
    CrossFade(key.count, q, tF, tM, fa, ma);
    sp.Color = WithAlphaByte(f.color, fa);
    AnimSprite ms = sp;
    ms.Image = m.picture->entry;
    ms.Frame = m.anim;
    ms.X = m.x + m.picture->width * 0.5 * m.scale;
    ms.Y = m.y + m.picture->height * 0.5 * m.scale;
    ms.Scale = m.scale;
    ms.Angle = m.angle;
    ms.Color = WithAlphaByte(m.color, ma);
    ms.DrawFx = m.drawFx;
    Append(sp);
    Append(ms);
  }

  // Linear motion from the sprite towards its partner, then the splines for
  // what they cover.
  static void Interpolate(AnimSprite& sp, const Pair& p, int q, double d, double frame) {
    const KeySprite& f = *p.f;
    const KeySprite& m = *p.m;
    sp.X = f.x + (m.x - f.x) / d * q;
    sp.Y = f.y + (m.y - f.y) / d * q;
    sp.Scale = f.scale + (m.scale - f.scale) / d * q;
    sp.ScaleX = f.scaleX + (m.scaleX - f.scaleX) / d * q;
    sp.ScaleY = f.scaleY + (m.scaleY - f.scaleY) / d * q;
    sp.Angle = f.angle + (m.angle - f.angle) / d * q;
    sp.X += f.picture->width * 0.5 * sp.Scale;
    sp.Y += f.picture->height * 0.5 * sp.Scale;
    if (p.track) {
      sp.X = p.track->At(SplineTrack::vX, frame);
      sp.Y = p.track->At(SplineTrack::vY, frame);
      if (f.interpolSc) {
        sp.Scale = p.track->At(SplineTrack::vScale, frame);
        sp.ScaleX = p.track->At(SplineTrack::vScaleX, frame);
        sp.ScaleY = p.track->At(SplineTrack::vScaleY, frame);
      }
      sp.Angle = p.track->At(SplineTrack::vAngle, frame);
    }
  }

  // Opacities of the outgoing and incoming picture at in-between frame q: the
  // old one fades a little over the first half and fully over the second,
  // the new one the other way round.
  static void CrossFade(int count, int q, double tF, double tM, double& fa, double& ma) {
    const double h = count / 2.0;
    if (h == 0) {
      // A key without in-between frames shows only its own picture.
      fa = tF;
      ma = 0;
    } else if (count / 2 >= q) {
      fa = tF * (255 - 32 * q / h) / 255;
      ma = tM * (223 * q / h) / 255;
    } else {
      fa = tF * (223 - (q - h) * 223 / h) / 255;
      ma = tM * ((q - h) * 32 / h + 223) / 255;
    }
  }

  void Append(AnimSprite& sp) {
    ChooseDirection(sp, o_.angle);
    t_.sprites_.push_back(sp);
  }

  const std::vector<AnimKey>& keys_;
  const FrameOptions& o_;
  Tracks tracks_;
  std::vector<std::vector<ByteString>> upperIds_;
  std::vector<Pair> pairs_;
  FrameTable t_;
};

FrameTable BuildFrameTable(const std::vector<AnimKey>& keys, const FrameOptions& options) {
  return FrameBuilder(keys, options).Build();
}

}  // namespace qel
