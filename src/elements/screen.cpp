// Screens (background, render script, modal capture) and placeholders that
// show another screen inside the current one.
#include "elements/draw_util.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"

namespace qel {

// --- screens ---

void TQelScreen::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) {
  if (!Loaded) LoadRes();
  if (layer == Order()) {
    TGfxCanvas* canvas = runtime().services.canvas;
    const TGfxImage* background = Background.Texture(runtime());
    if (canvas && background) canvas->Draw(background, offsetX, offsetY, TColor4(colour), 0, hxDrawFx);
    RunEvent("Render", Event(evRender));
  }
  TQelElement::Render(layer, colour, offsetX, offsetY, flags);
}

void TQelScreen::SetImBack(std::string_view name) {
  Background.Request(runtime(), name);
  if (const TGfxImage* im = Background.Available(runtime())) {
    SizeX = im->PatternWidth;
    SizeY = im->PatternHeight;
  }
}

TQelElement* TQelScreen::ElementAt(int32_t layer, int32_t x, int32_t y, int32_t, int32_t threshold) {
  TQelElement* hit = TQelElement::ElementAt(layer, x, y, Agro, threshold);
  if (!hit && (Vis || MousedNotVis) && layer == Order() && Modal) return this;
  return hit;
}

// --- placeholders ---

namespace {

// A placeholder inside the screen it shows (directly or through others)
// would draw, test and run itself without end: while it is busy, it leaves
// its reference alone.
class BusyGuard {
 public:
  explicit BusyGuard(bool& busy) : busy_(busy), entered_(!busy) { busy_ = true; }
  ~BusyGuard() {
    if (entered_) busy_ = false;
  }
  bool Entered() const { return entered_; }

 private:
  bool& busy_;
  bool entered_;
};

int32_t Aligned(int32_t pos, int32_t size, int32_t anchor) {
  if (anchor == 1) return ClampToInt32(int64_t{pos} - size / 2);
  if (anchor == 2) return ClampToInt32(int64_t{pos} - size);
  return pos;
}

}  // namespace

TQelScreen* TQelExScreen::ResolveScreen() {
  if (TQelScreen* cached = static_cast<TQelScreen*>(runtime().Resolve(screen_))) return cached;
  screen_ = 0;
  TQelDB* root = Root();
  if (!root) return nullptr;
  for (int i = 0; i < root->ChildCount(); ++i) {
    TQelElement* c = root->Child(i);
    if (c->Key != obScreen || !c->IsClass("TQelScreen")) continue;
    screen_ = c->Handle();
    // Widen this placeholder's layer range (and its ancestors') to the screen's.
    const int32_t own = Order();
    SetOrder(c->OrderMin());
    SetOrder(c->OrderMax());
    RestoreOrder(own);
    return static_cast<TQelScreen*>(c);
  }
  return nullptr;
}

void TQelExScreen::SetObScreen(int32_t key) {
  obScreen = key;
  screen_ = 0;
}

int32_t TQelExScreen::AlignedX() {
  TQelScreen* s = ResolveScreen();
  return Aligned(X(), s ? s->GetSizeX() : 0, PosHor);
}

int32_t TQelExScreen::AlignedY() {
  TQelScreen* s = ResolveScreen();
  return Aligned(Y(), s ? s->GetSizeY() : 0, PosVert);
}

int32_t TQelExScreen::GetAbsX() const {
  auto* self = const_cast<TQelExScreen*>(this);
  return ClampToInt32(int64_t{self->AlignedX()} + (Parent() ? Parent()->GetAbsX() : 0));
}

int32_t TQelExScreen::GetAbsY() const {
  auto* self = const_cast<TQelExScreen*>(this);
  return ClampToInt32(int64_t{self->AlignedY()} + (Parent() ? Parent()->GetAbsY() : 0));
}

int32_t TQelExScreen::GetSizeX() const {
  TQelScreen* s = const_cast<TQelExScreen*>(this)->ResolveScreen();
  return s ? s->GetSizeX() : 0;
}

int32_t TQelExScreen::GetSizeY() const {
  TQelScreen* s = const_cast<TQelExScreen*>(this)->ResolveScreen();
  return s ? s->GetSizeY() : 0;
}

void TQelExScreen::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) {
  if (!Loaded) LoadRes();
  BusyGuard guard(busy_);
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen())
      s->Render(layer, colour, offsetX + AlignedX(), offsetY + AlignedY(), 0);
  TQelElement::Render(layer, colour, offsetX, offsetY, flags);
}

// Clicks are tested against the screen placed at the plain position, and
// the placeholder's own children take no clicks.
TQelElement* TQelExScreen::ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) {
  if (!Vis && !MousedNotVis) return nullptr;
  BusyGuard guard(busy_);
  TQelElement* hit = nullptr;
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen())
      hit = s->ElementAt(layer, ClampToInt32(int64_t{x} - X()), ClampToInt32(int64_t{y} - Y()), margin, threshold);
  if (!hit && layer == Order() && Modal) return this;
  return hit;
}

void TQelExScreen::Process() {
  if (!Vis && !MousedNotVis) return;
  BusyGuard guard(busy_);
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen(); s && Processing) s->Process();
  TQelElement::Process();
}

void TQelExScreen::Init() {
  if (Initialised) return;
  BusyGuard guard(busy_);
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen()) s->Init();
  TQelElement::Init();
}

void TQelExScreen::ReInit() {
  BusyGuard guard(busy_);
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen()) s->ReInit();
  TQelElement::ReInit();
}

void TQelExScreen::Update() {
  BusyGuard guard(busy_);
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen()) s->Update();
  TQelElement::Update();
}

void TQelExScreen::LoadRes() {
  if (Loaded) return;
  TQelElement::LoadRes();
  BusyGuard guard(busy_);
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen()) s->LoadRes();
}

void TQelExScreen::ReloadRes() {
  TQelElement::ReloadRes();
  BusyGuard guard(busy_);
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen()) s->ReloadRes();
}

void TQelExScreen::Show() {
  screen_ = 0;
  BusyGuard guard(busy_);
  if (guard.Entered())
    if (TQelScreen* s = ResolveScreen()) s->Show();
  TQelElement::Show();
}

// Showing a hidden placeholder shows its screen twice: once through the
// placeholder's Show and once more directly.
void TQelExScreen::SetVis(bool value) {
  if (value == Vis) return;
  Vis = value;
  // No scripts run while the tree is still being read.
  if (runtime().reading) return;
  TQelScreen* s = ResolveScreen();
  if (!s || !Vis) return;
  Show();
  if (TQelScreen* again = ResolveScreen()) again->Show();
}

}  // namespace qel
