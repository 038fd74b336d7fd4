// Behaviour of the particle-effect element: its particle system, made from
// the effect file whenever EffectFN is set, stepped each process step and
// drawn on the effect's layer above its children.
#include <cmath>

#include "elements/kinds.h"
#include "elements/particles.h"
#include "elements/qel_db.h"
#include "elements/resource_files.h"
#include "render/gfx_canvas.h"

namespace qel {

namespace {
// Process steps per second of the frame timer.
constexpr double kStepsPerSecond = 30;
// Particles wholly outside the back buffer are not drawn.
constexpr int kBackBufferWidth = 1024, kBackBufferHeight = 768;
}  // namespace

TQelEffect::TQelEffect() = default;
TQelEffect::~TQelEffect() = default;

void TQelEffect::SetEffectFN(const ByteString& name) {
  EffectFN = name;
  if (!runtime().services.particles) return;
  system_ = std::make_unique<TXParticleSystem>(kEffectCapacity, &runtime().script.RandSeed);
  if (auto bytes = ReadGameResource(runtime(), name, EffectRecord::kSize)) system_->Load(*bytes);
  system_->MoveTo(static_cast<float>(X()), static_cast<float>(Y()), false);
  if (Active) system_->Start();
}

void TQelEffect::SetActive(bool value) {
  Active = value;
  if (!system_) return;
  if (value) system_->Start();
  else system_->Stop(false);
}

void TQelEffect::SetX(double value) {
  rX = value;
  if (system_) system_->MoveTo(static_cast<float>(X()), static_cast<float>(Y()), false);
}

void TQelEffect::SetY(double value) {
  rY = value;
  if (system_) system_->MoveTo(static_cast<float>(X()), static_cast<float>(Y()), false);
}

void TQelEffect::SetPos(int32_t x, int32_t y) {
  rX = x;
  rY = y;
  if (!system_) return;
  // An active effect starts emitting afresh at the new place.
  if (Active) system_->FireAt(static_cast<float>(x), static_cast<float>(y));
  else system_->MoveTo(static_cast<float>(x), static_cast<float>(y), false);
}

void TQelEffect::Step(double dt) {
  if (system_) system_->Update(static_cast<float>(dt));
}

void TQelEffect::Process() {
  if (system_) {
    system_->Update(static_cast<float>(DAnim / kStepsPerSecond));
    if (Active && !system_->Emitting() && system_->Count() == 0) Active = false;
  }
  TQelElement::Process();
}

void TQelEffect::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) {
  TQelElement::Render(layer, colour, offsetX, offsetY, flags);
  TGfxCanvas* canvas = runtime().services.canvas;
  ParticleManager* manager = runtime().services.particles;
  if (layer != Order() || !system_ || !canvas || !manager) return;
  canvas->SetAntialias(true);
  system_->Draw(*canvas, manager->Texture(runtime().services.images), static_cast<float>(RoundHalfEven(offsetX)),
                static_cast<float>(RoundHalfEven(offsetY)), 0xFF000000u | hxColor, kBackBufferWidth,
                kBackBufferHeight);
}

void TQelEffect::EffectStart() {
  SetActive(true);
  // The event name stays what it was for this run.
  RunScript(exStart.prepared, nullptr);
}

void TQelEffect::EffectStop() { SetActive(false); }

}  // namespace qel
