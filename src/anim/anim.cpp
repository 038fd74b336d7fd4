// Behaviour of the animation element: rebuilding its frame table, playing
// one frame per process step, and the keywords scripts read.
#include <cstdio>

#include "anim/anim_keys.h"
#include "anim/frame_table.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "render/gfx_images.h"

namespace qel {

// As authored: the flag has no effect on animations, which never take the mouse.
TQelAnim::TQelAnim() { MousedNotVis = true; }
TQelAnim::~TQelAnim() = default;

int32_t TQelAnim::FrameCount() const { return frames_ ? frames_->FrameCount() : 0; }

void TQelAnim::SetPosition(int32_t v) {
  Pos = v;
  const int32_t n = FrameCount();
  if (v >= n) Pos = Rep ? 0 : n - 1;
}

void TQelAnim::SetMorph(bool v) {
  Morph = v;
  RebuildFrames();
}

// The background takes the size of its picture when the picture is there.
void TQelAnim::SetImBack(std::string_view name) {
  Background.Request(runtime(), name);
  if (const TGfxImage* picture = Background.Available(runtime())) {
    SizeX = picture->PatternWidth;
    SizeY = picture->PatternHeight;
  }
}

void TQelAnim::RebuildFrames() {
  // While a game file or a saved state is read the keys are not complete;
  // the table is built when the animation is initialised or loaded.
  if (runtime().reading) return;
  FrameOptions options;
  options.interpol = Interpol;
  options.rep = Rep;
  options.angle = Angle;
  frames_ = std::make_unique<FrameTable>(BuildFrameTable(GatherKeys(*this, CachedPicture), options));
  if (frames_->Truncated())
    std::fprintf(stderr, "animation %s: more frames than an animation may hold; cut at %d frames\n",
                 Description().c_str(), frames_->FrameCount());
  SetPosition(Pos);
}

void TQelAnim::Process() {
  if (!Vis) return;
  if (Active) {
    if (Pos < FrameCount() - 1 || Rep) {
      SetPosition(Pos + 1);
      RunEvent("anAnim", exAnim);
    } else {
      Active = false;
      RunEvent("anStop", exStop);
    }
  }
  TQelElement::Process();
}

void TQelAnim::Update() {
  TQelElement::Update();
  RebuildFrames();
}

void TQelAnim::Init() {
  if (Initialised) return;
  RebuildFrames();
  TQelElement::Init();
}

void TQelAnim::ReInit() {
  RebuildFrames();
  TQelElement::ReInit();
}

void TQelAnim::LoadRes() {
  if (Loaded) return;
  TQelElement::LoadRes();
  RebuildFrames();
}

void TQelAnim::ReloadRes() {
  TQelElement::ReloadRes();
  RebuildFrames();
}

void TQelAnim::Start() {
  Pos = 0;
  Active = true;
  SetVis(true);
  // The event name stays what it was for this run.
  RunScript(exStart.prepared, nullptr);
}

void TQelAnim::Play() {
  Active = true;
  if (Pos >= FrameCount() - 1) Pos = 0;
  SetVis(true);
}

namespace {

bool StartsWith(const ByteString& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

bool TQelAnim::KeywordName(const ByteString& name) const {
  return name == "COUNT" || StartsWith(name, "KEY") || TQelElement::KeywordName(name);
}

bool TQelAnim::GetValue(const ByteString& name, Variant& value) {
  if (TQelElement::GetValue(name, value)) return true;
  if (name == "COUNT") {
    value = Variant::Integer(FrameCount());
    return true;
  }
  const bool indexed = StartsWith(name, "KEYX[") || StartsWith(name, "KEYY[");
  if (!indexed && name != "KEYX" && name != "KEYY" && name != "KEYANG" && name != "KEYSCALE" && name != "KEYAN")
    return false;
  size_t n = 1;
  if (indexed) {
    auto number = name.size() >= 6 ? ParseInteger(name.substr(5, name.size() - 6)) : std::nullopt;
    if (!number) return false;
    n = *number >= 1 ? static_cast<size_t>(*number) : 0;
  }
  value = Variant::Byte(0);
  if (Pos < 0 || Pos >= FrameCount()) return true;
  auto frame = frames_->Frame(Pos);
  if (frame.empty() || n < 1 || n > frame.size()) return true;
  const AnimSprite& sp = frame[n - 1];
  if (name[3] == 'X') value = Variant::Float(GetAbsX() + sp.X);
  else if (name[3] == 'Y') value = Variant::Float(GetAbsY() + sp.Y);
  else if (name == "KEYANG") value = Variant::Float(sp.Angle);
  else if (name == "KEYSCALE") value = Variant::Float(sp.Scale);
  else value = Variant::Integer(sp.Frame);
  return true;
}

// --- keys ---

namespace {

void RebuildParent(TQelElement& key) {
  TQelElement* parent = key.Parent();
  if (parent && parent->IsClass("TQelAnim")) static_cast<TQelAnim*>(parent)->RebuildFrames();
}

}  // namespace

bool TQelAnKey::LoadFromData(std::string_view data, bool keepKeys) {
  bool ok = TQelElement::LoadFromData(data, keepKeys);
  RebuildParent(*this);
  return ok;
}

void TQelAnKey::SetCount(uint16_t v) {
  Count = v;
  RebuildParent(*this);
}

}  // namespace qel
