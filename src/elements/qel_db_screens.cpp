// Screen switches as the root completes them, and the stars drawn between
// the layers of the screen.
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "gamedb/image_cache.h"
#include "gamedb/sound_cache.h"
#include "render/gfx_canvas.h"

namespace qel {

void TQelDB::DoLoadImProcess() {
  RunEvent("LIProcess", exLoadImProcess);
  if (hooks.presentFrame) hooks.presentFrame();
}

void TQelDB::RequestGlyphPicture() {
  ImageCache* images = runtime().services.images;
  if (images && UnicodeMode) glyphPicture_ = images->RequestImage("unicode\\unicode.png", true);
}

void TQelDB::LoadKeptScreens() {
  for (int i = 0; i < ChildCount(); ++i) {
    TQelElement* child = Child(i);
    if (!child->IsClass("TQelScreen")) continue;
    child->KeepLoaded = static_cast<TQelScreen*>(child)->AllwaysLoad;
    if (child->KeepLoaded) child->LoadRes();
  }
}

void TQelDB::FinishScreenSwitch() {
  Runtime& rt = runtime();
  ShellState& shell = rt.shell;
  if (hooks.presentFrame) hooks.presentFrame();
  if (!shell.LoadingMode) return;
  if (TQelElement* hovered = rt.Resolve(shell.HoveredElement)) hovered->DoMouseOut();
  shell.HoveredElement = 0;
  shell.MouseCaptured = false;
  ImageCache* images = rt.services.images;
  if (images) images->ResetImageRequests();
  ClearLoaded();
  RequestGlyphPicture();
  shell.ImagesForLoadCount += 1;
  shell.ImagesForLoadPos = 0;
  shell.CurrentScreen = 0;
  // Each script run below may change the tree: children are visited by
  // index and checked again each time.
  for (int i = 0; i < ChildCount(); ++i)
    if (Child(i)->KeepLoaded) Child(i)->LoadRes();
  shell.CurrentScreen = rt.Resolve(shell.PendingScreen) ? shell.PendingScreen : 0;
  if (SoundCache* sounds = rt.services.sounds) sounds->FadeOutMusic();
  rt.script.EventName = "SetScreen";
  RunScript(exSetScreen.prepared, Vars.get());
  if (TQelElement* screen = rt.Resolve(shell.CurrentScreen)) screen->Show();
  if (ImageCache* cache = rt.services.images) cache->DropUnusedImages();
  if (hooks.resetClock) hooks.resetClock();
}

bool TQelDB::AddStarRecord(const StarRecord& star, const ByteString& colourText, uint32_t randomColour) {
  StarRecord* r = stars_->FirstFree();
  if (!r) return false;
  uint32_t colour = r->colour;
  if (colourText.empty()) {
    colour = randomColour;
  } else if (auto v = ParseInteger(colourText); v && *v >= INT32_MIN && *v <= UINT32_MAX) {
    colour = static_cast<uint32_t>(*v);
  }
  *r = star;
  r->colour = colour;
  r->active = true;
  return true;
}

void TQelDB::UpdateStars() { stars_->Update(); }

void TQelDB::DrawStars(int32_t layer, const TGfxImage* picture) {
  TGfxCanvas* canvas = runtime().services.canvas;
  if (canvas && picture) stars_->Draw(layer, *canvas, *picture);
}

}  // namespace qel
