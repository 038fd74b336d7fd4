#include "elements/element.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "elements/qel_db.h"

namespace qel {

int32_t RoundCoordinate(double v) {
  if (std::isnan(v)) return 0;
  double r = RoundHalfEven(v);
  if (r <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (r >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

TQelElement::TQelElement() = default;

TQelElement::~TQelElement() {
  // Children first, so that their handles die before ours.
  while (!children_.empty()) children_.pop_back();
  if (handle_ && root_) runtime().elements.Remove(handle_);
}

Runtime& TQelElement::runtime() const { return root_->runtime(); }

void TQelElement::AttachAsRoot(TQelDB* root) {
  root_ = root;
  handle_ = runtime().elements.Add(this);
}

void TQelElement::DetachFromRuntime() {
  if (handle_) runtime().elements.Remove(handle_);
  handle_ = 0;
}

void TQelElement::Attach(TQelElement* parent) {
  root_ = parent->root_;
  parent_ = parent;
  handle_ = runtime().elements.Add(this);
  SetVis(true);
  MousedVis = true;
}

TQelElement* TQelElement::AddChild(std::unique_ptr<TQelElement> child) {
  TQelElement* raw = child.get();
  raw->Attach(this);
  children_.push_back(std::move(child));
  WidenOrderRange(raw->orderMin_, raw->orderMax_);
  return raw;
}

TQelElement* TQelElement::CreateChild(const ByteString& className) {
  const ElementClass* entry = ElementClassTable::Standard().Find(className);
  if (!entry || !entry->create) return nullptr;
  const auto& parents = entry->allowedParents;
  if (std::find(parents.begin(), parents.end(), ClassName()) == parents.end()) return nullptr;
  return AddChild(entry->create());
}

int TQelElement::IndexOfChild(const TQelElement* child) const {
  for (size_t i = 0; i < children_.size(); ++i)
    if (children_[i].get() == child) return static_cast<int>(i);
  return -1;
}

void TQelElement::DestroyChild(TQelElement* child) {
  int i = IndexOfChild(child);
  if (i < 0) return;
  std::unique_ptr<TQelElement> doomed = std::move(children_[i]);
  children_.erase(children_.begin() + i);
  runtime().elements.TreeChanged();
}

void TQelElement::BringToFront(TQelElement* child) {
  int i = IndexOfChild(child);
  if (i < 0) return;
  std::unique_ptr<TQelElement> moved = std::move(children_[i]);
  children_.erase(children_.begin() + i);
  children_.push_back(std::move(moved));
  runtime().elements.TreeChanged();
}

void TQelElement::SetId(std::string_view id) {
  id_.assign(id);
  if (root_) runtime().elements.TreeChanged();
}

ByteString TQelElement::Description() const {
  return id_ + " <" + ClassName() + " #" + std::to_string(Key) + ">";
}

void TQelElement::AssignNewKey() {
  root_->CurKey += 1;
  Key = root_->CurKey;
}

void TQelElement::ClearLoaded() {
  Loaded = false;
  for (auto& c : children_) c->ClearLoaded();
}

TQelElement* TQelElement::FindByKey(int32_t key) {
  TQelElement* hint = nullptr;
  return FindByKey(key, hint);
}

TQelElement* TQelElement::FindByKey(int32_t key, TQelElement*& hint) {
  if (Key == key) return this;
  for (size_t i = 0; i < children_.size(); ++i) {
    TQelElement* found = children_[i]->FindByKey(key, hint);
    if (found) {
      if (!hint && i + 1 < children_.size()) hint = children_[i + 1].get();
      return found;
    }
  }
  return nullptr;
}

TQelElement* TQelElement::FindChildById(const ByteString& id) const {
  ByteString upper = UpperCase(id);
  for (auto& c : children_)
    if (UpperCase(c->Id()) == upper) return c.get();
  return nullptr;
}

// --- scripts ---

void TQelElement::RunScript(const PreparedRef& script, TVarList* outVars) {
  if (ScriptHost* host = runtime().scriptHost) host->RunScript(*this, script, outVars);
}

void TQelElement::RunEvent(const char* eventName, const EventScript& script) {
  runtime().script.EventName = eventName;
  RunScript(script.prepared, nullptr);
}

void TQelElement::SetScript(EventScript& script, std::string_view source) {
  script.source.assign(source);
  // An empty source has nothing to run, prepared or not.
  ScriptHost* host = root_ && !source.empty() ? runtime().scriptHost : nullptr;
  script.prepared = host ? host->Prepare(script.source) : nullptr;
}

const EventScript& TQelElement::Event(int slot) const {
  static const EventScript kNone;
  for (const SlotScript& e : events_)
    if (e.slot == slot) return e.script;
  return kNone;
}

void TQelElement::SetEventSource(int slot, std::string_view source) {
  auto it = std::find_if(events_.begin(), events_.end(), [&](const SlotScript& e) { return e.slot == slot; });
  if (source.empty()) {
    if (it != events_.end()) events_.erase(it);
    return;
  }
  if (it == events_.end()) it = events_.insert(events_.end(), SlotScript{slot, {}});
  SetScript(it->script, source);
}

// --- position and layers ---

int32_t TQelElement::X() const { return RoundCoordinate(rX); }
int32_t TQelElement::Y() const { return RoundCoordinate(rY); }

// Sums wrap like the 32-bit integers they are instead of overflowing.
int32_t TQelElement::GetAbsX() const { return parent_ ? static_cast<int32_t>(int64_t{parent_->GetAbsX()} + X()) : X(); }
int32_t TQelElement::GetAbsY() const { return parent_ ? static_cast<int32_t>(int64_t{parent_->GetAbsY()} + Y()) : Y(); }

void TQelElement::SetOrder(int32_t value) {
  order_ = value;
  WidenOrderRange(value, value);
}

void TQelElement::WidenOrderRange(int32_t lo, int32_t hi) {
  // Ranges only ever widen; stop climbing at the first ancestor that already covers ours.
  TQelElement* e = this;
  while (e) {
    bool changed = false;
    if (hi > e->orderMax_) e->orderMax_ = hi, changed = true;
    if (lo < e->orderMin_) e->orderMin_ = lo, changed = true;
    if (!changed && e != this) break;
    lo = e->orderMin_;
    hi = e->orderMax_;
    e = e->parent_;
  }
}

// --- passes over the tree ---
// Scripts may add or remove children while a pass runs, so passes index the
// child list afresh on every step instead of holding iterators.

void TQelElement::Process() {
  if (!Vis && !MousedNotVis) return;
  RunEvent("Process", Event(evProcess));
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Process();
}

void TQelElement::Show() {
  RunEvent("Show", Event(evShow));
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Show();
}

void TQelElement::AfterLoad() {
  RunEvent("Load", Event(evAfterLoad));
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->AfterLoad();
}

void TQelElement::Init() {
  if (Initialised) return;
  Initialised = true;
  if (IsClass("TQelScreen") && !AutoInit) return;
  Vars = std::make_unique<TVarList>();
  runtime().script.EventName = "Init";
  RunScript(Event(evInit).prepared, Vars.get());
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Init();
}

void TQelElement::ReInit() {
  Vars = std::make_unique<TVarList>();
  runtime().script.EventName = "InitPr";
  RunScript(Event(evInit).prepared, Vars.get());
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->ReInit();
}

namespace {

bool IsResourceProperty(const PropertyInfo& p) {
  return p.IsString() && (p.upperName.rfind("IM", 0) == 0 || p.upperName == "FONT");
}

// Writing a resource property back with its own value makes its setter fetch
// the picture or font again.
void RewriteResources(TQelElement& e) {
  for (const PropertyInfo& p : e.Class().properties)
    if (IsResourceProperty(p)) p.setString(e, p.getString(e));
}

}  // namespace

void TQelElement::LoadRes() {
  if (Loaded) return;
  RewriteResources(*this);
  Loaded = true;
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->LoadRes();
}

void TQelElement::ReloadRes() {
  if (Loaded) RewriteResources(*this);
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->ReloadRes();
}

void TQelElement::Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t) {
  if (!Loaded) LoadRes();
  if (layer < orderMin_ || layer > orderMax_) return;
  for (size_t i = 0; i < children_.size(); ++i) {
    TQelElement* c = children_[i].get();
    if (c->Vis) c->Render(layer, colour, offsetX + rX, offsetY + rY, 0);
  }
}

TQelElement* TQelElement::ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) {
  if ((!Vis && !MousedNotVis) || (Vis && !MousedVis)) return nullptr;
  if (layer < orderMin_ || layer > orderMax_) return nullptr;
  for (size_t i = children_.size(); i-- > 0;) {
    if (i >= children_.size()) continue;
    int32_t cx = static_cast<int32_t>(int64_t{x} - X()), cy = static_cast<int32_t>(int64_t{y} - Y());
    if (TQelElement* hit = children_[i]->ElementAt(layer, cx, cy, margin, threshold)) return hit;
  }
  return nullptr;
}

}  // namespace qel
