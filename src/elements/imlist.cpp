// Behaviour of the image list: a grid of entries that refer to image
// elements elsewhere in the tree, the entry under the mouse growing a little.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "render/gfx_canvas.h"
#include "render/gfx_images.h"

namespace qel {

namespace {

// Cells of a grid: what remains of the size after the gaps, shared out.
int32_t CellSize(int32_t size, int32_t cells, int32_t space) {
  int64_t cell = (int64_t{size} - (int64_t{cells} - 1) * space) / cells;
  return static_cast<int32_t>(std::clamp<int64_t>(cell, 0, INT32_MAX));
}

// The picture an entry's image element shows, when it is loaded.
const TGfxImage* EntryTexture(const TQelImage& image) { return image.Image.Texture(image.runtime()); }

}  // namespace

int32_t TQelImList::ElWidth() const {
  if (ColCount <= 0 || RowCount <= 0) return 0;
  return CellSize(SizeX, ColCount, Space);
}

int32_t TQelImList::ElHeight() const {
  if (ColCount <= 0 || RowCount <= 0) return 0;
  return CellSize(SizeY, RowCount, Space);
}

// The row that shows entry `index`, kept so that the last page stays full.
void TQelImList::SetScrollPos(int32_t index) {
  if (ColCount <= 0 || RowCount <= 0) {
    ScrollRow = 0;
    return;
  }
  const int64_t entries = static_cast<int64_t>(Entries.size());
  const int64_t rows = (entries + ColCount - 1) / ColCount;
  int64_t row = index / ColCount;
  if (rows - row < RowCount) row = rows - RowCount;
  ScrollRow = static_cast<int32_t>(std::max<int64_t>(row, 0));
}

void TQelImList::SetSizeX(int32_t v) {
  SizeX = v;
  SetScrollPos(ScrollPos());
}

void TQelImList::SetSizeY(int32_t v) {
  SizeY = v;
  SetScrollPos(ScrollPos());
}

void TQelImList::SetRowCount(int32_t v) {
  RowCount = v;
  SetScrollPos(ScrollPos());
}

void TQelImList::SetColCount(int32_t v) {
  ColCount = v;
  SetScrollPos(ScrollPos());
}

void TQelImList::SetSpace(int32_t v) {
  Space = v;
  SetScrollPos(ScrollPos());
}

void TQelImList::AddEntry(TQelElement* image) {
  Entries.push_back({image->Handle(), 1.0});
  SetScrollPos(static_cast<int32_t>(Entries.size()) - 1);
}

void TQelImList::RemoveEntry(TQelElement* image) {
  auto it = std::find_if(Entries.begin(), Entries.end(), [&](const Entry& e) { return e.image == image->Handle(); });
  if (it != Entries.end()) Entries.erase(it);
}

void TQelImList::RemoveEntryById(const ByteString& id) {
  for (auto it = Entries.begin(); it != Entries.end(); ++it) {
    TQelElement* image = runtime().Resolve(it->image);
    if (image && image->Id() == id) {
      Entries.erase(it);
      return;
    }
  }
}

// --- mouse ---

TQelElement* TQelImList::ElementAt(int32_t layer, int32_t x, int32_t y, int32_t, int32_t) {
  if (layer != Order()) return nullptr;
  TQelElement* answer = nullptr;
  int64_t index = -1;
  const int64_t pitchX = int64_t{ElWidth()} + Space, pitchY = int64_t{ElHeight()} + Space;
  const int64_t dx = int64_t{x} - X(), dy = int64_t{y} - Y();
  // A grid without cells (no rows or columns, or no room) takes no mouse.
  if (ElWidth() > 0 && ElHeight() > 0 && pitchX > 0 && pitchY > 0 && dx >= 0 && dx < GetSizeX() && dy >= 0 &&
      dy < GetSizeY()) {
    answer = this;
    index = dx / pitchX + int64_t{ScrollRow} * ColCount + (dy / pitchY) * ColCount;
    if (index >= static_cast<int64_t>(Entries.size())) index = -1;
  }
  if (index != Selected) {
    DoMouseOut();
    Selected = static_cast<int32_t>(index);
    DoMouseIn();
  }
  return answer;
}

void TQelImList::DoMouseIn() {
  if (Selected != -1) TQelElement::DoMouseIn();
}

void TQelImList::DoMouseOut() {
  if (Selected != -1) TQelElement::DoMouseOut();
}

void TQelImList::DoMouseDown() {
  if (Selected < 0 || Selected >= static_cast<int32_t>(Entries.size())) return;
  if (TQelElement* image = runtime().Resolve(Entries[Selected].image)) image->DoMouseDown();
  TQelElement::DoMouseDown();
}

// --- steps and drawing ---

void TQelImList::Process() {
  for (size_t i = 0; i < Entries.size(); ++i) {
    double& zoom = Entries[i].zoom;
    if (static_cast<int32_t>(i) == Selected) {
      if (zoom < Scale) zoom += 0.05;
    } else {
      if (zoom > 1) zoom -= 0.1;
      if (zoom < 1) zoom = 1.0;
    }
  }
}

void TQelImList::Render(int32_t layer, uint32_t, double offsetX, double offsetY, int32_t) {
  if (!Loaded) LoadRes();
  const int32_t w = ElWidth(), h = ElHeight();
  TGfxCanvas* canvas = runtime().services.canvas;
  if (w == 0 || h == 0 || layer != Order() || !canvas) return;
  // The entry under the mouse is drawn last, on top of its neighbours.
  for (int pass = 0; pass < 2; ++pass)
    for (int64_t r = 0; r < RowCount; ++r)
      for (int64_t c = 0; c < ColCount; ++c) {
        const int64_t e = c + (r + ScrollRow) * ColCount;
        if (e >= static_cast<int64_t>(Entries.size())) break;
        if ((e == Selected) != (pass == 1)) continue;
        const auto* image = static_cast<const TQelImage*>(runtime().Resolve(Entries[e].image));
        const TGfxImage* texture = image ? EntryTexture(*image) : nullptr;
        if (!texture || texture->PatternWidth <= 0 || texture->PatternHeight <= 0) continue;
        double g = static_cast<double>(w) / texture->PatternWidth;
        if (texture->PatternHeight * g > h) g = static_cast<double>(h) / texture->PatternHeight;
        canvas->SetAntialias(true);
        canvas->DrawRotated(texture, offsetX + rX + static_cast<double>(c) * (w + Space) + w / 2.0,
                            offsetY + rY + static_cast<double>(r) * (h + Space) + h / 2.0,
                            image->AngleMilli / 1000.0 * std::numbers::pi / 180, g * Entries[e].zoom, image->Color,
                            image->Anim, image->hxDrawFx);
      }
}

void TQelImList::LoadRes() {
  if (Loaded) return;
  TQelElement::LoadRes();
  for (size_t i = 0; i < Entries.size(); ++i)
    if (TQelElement* image = runtime().Resolve(Entries[i].image)) image->LoadRes();
}

void TQelImList::ReloadRes() {
  TQelElement::ReloadRes();
  for (size_t i = 0; i < Entries.size(); ++i)
    if (TQelElement* image = runtime().Resolve(Entries[i].image)) image->ReloadRes();
}

// --- named values ---

bool TQelImList::KeywordName(const ByteString& name) const {
  return name == "ELEMENTS" || name == "SELEL" || TQelElement::KeywordName(name);
}

bool TQelImList::GetValue(const ByteString& name, Variant& value) {
  if (TQelElement::GetValue(name, value)) return true;
  if (name == "ELEMENTS") {
    ByteString keys;
    for (const Entry& e : Entries)
      if (TQelElement* image = runtime().Resolve(e.image)) keys += std::to_string(image->Key) + ";";
    value = Variant::String(keys);
    return true;
  }
  if (name == "SELEL") {
    TQelElement* image =
        Selected >= 0 && Selected < static_cast<int32_t>(Entries.size()) ? runtime().Resolve(Entries[Selected].image) : nullptr;
    value = image ? Variant::LongWord(image->Handle()) : Variant::Byte(0);
    return true;
  }
  return false;
}

bool TQelImList::MayTakeValue(const ByteString& name) const {
  return TQelElement::MayTakeValue(name) || name == "ELEMENTS";
}

bool TQelImList::SetValue(const ByteString& name, const Variant& value) {
  if (TQelElement::SetValue(name, value)) return true;
  if (name != "ELEMENTS") return false;
  Entries.clear();
  ByteString text = value.ToString();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == ByteString::npos) end = text.size();
    auto key = ParseInteger(text.substr(start, end - start));
    if (key && *key >= std::numeric_limits<int32_t>::min() && *key <= std::numeric_limits<int32_t>::max()) {
      TQelElement* found = Root()->FindByKey(static_cast<int32_t>(*key));
      if (found && found->IsClass("TQelImage")) AddEntry(found);
    }
    start = end + 1;
  }
  return true;
}

}  // namespace qel
