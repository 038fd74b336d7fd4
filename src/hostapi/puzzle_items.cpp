// The list of items still to find (lines of the root's "GI.LIST", one per
// kind of item with its count) and the check of a pair of picked objects.
#include <algorithm>
#include <string>
#include <vector>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

constexpr int kListLines = 10;
constexpr int64_t kWhite = 0xFFFFFF;

ByteString TextOf(TQelElement* e, std::string_view name) {
  auto v = ReadValue(e, name);
  return v ? v->ToString() : ByteString();
}

void ShowLine(TQelElement* line, const ByteString& tag, const ByteString& text) {
  line->Tag = tag;
  WriteValue(line, "TEXT", Variant::String(text));
  WriteInteger(line, "HXCOLOR1", kWhite);
  WriteInteger(line, "HXCOLOR2", kWhite);
}

// Every three small tokens (CNTS) become one large token (CNTH).
void ExchangeTokens(TQelImage& image, TQelDB& root) {
  auto small = ReadInteger(&root, "CNTS");
  if (!small || *small < 3) return;
  WriteInteger(&root, "CNTS", *small - 3);
  WriteInteger(&root, "CNTH", ReadInteger(&root, "CNTH").value_or(0) + 1);
  WritePath(&image, ".CNTS.TEXT", Variant::String(TextOf(&root, "CNTS")));
  WritePath(&image, ".CNTH.TEXT", Variant::String(TextOf(&root, "CNTH")));
}

bool ShowSamePicture(TQelElement* a, TQelElement* b) {
  if (!a || !b) return false;
  auto animA = AnimOf(a), animB = AnimOf(b);
  return animA && animA == animB && SameTextAscii(TextOf(a, "IMIMAGE"), TextOf(b, "IMIMAGE"));
}

}  // namespace

void InventoryUpdate(TQelImage& image) {
  TQelDB* root = image.Root();
  if (!root) return;
  ExchangeTokens(image, *root);
  if (ReadPathInteger(&image, ".IMLIST.VIS") == 1) {
    if (TQelElement* list = PathElement(&image, ".IMLIST")) list->Update();
    return;
  }
  if (!image.Vis) return;

  std::vector<TQelElement*> lines;
  TQelElement* list = PathElement(&image, "QELDB.GI.LIST");
  for (int i = 0; i < kListLines; ++i)
    if (TQelElement* line = ChildAt(list, i)) lines.push_back(line);
  const size_t limit = std::min<size_t>(TextOf(PathElement(&image, ".L"), "ID") == "Level13" ? 2 : 10, lines.size());
  size_t used = 0;
  TQelElement* items = PathElement(&image, ".L.L");
  for (int i = 0; i < (items ? items->ChildCount() : 0); ++i) {
    TQelElement* item = items->Child(i);
    if (SameTextAscii(item->Id(), "front") || item->Tag == "f") break;
    if (!item->Vis || !item->MousedVis) continue;
    item->Tag.clear();
    const ByteString textId = TextOf(item, "TEXTID");
    const ByteString name = root->GetLangText(textId);
    auto match = std::find_if(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(used),
                              [&](TQelElement* line) { return line->Tag == name; });
    if (match != lines.begin() + static_cast<std::ptrdiff_t>(used)) {
      const int64_t count = ReadInteger(*match, "CN").value_or(0) + 1;
      WriteInteger(*match, "CN", count);
      WriteValue(*match, "TEXT",
                 Variant::String(root->GetLangText(textId + "_s") + " (" + std::to_string(count) + ")"));
    } else if (used < limit) {
      TQelElement* line = lines[used++];
      WriteInteger(line, "CN", 1);
      ShowLine(line, name, name);
    } else {
      item->Tag.assign(1, '*');
    }
  }
  for (size_t j = used; j < lines.size(); ++j) ShowLine(lines[j], "", "");
}

void PairsStep(TQelImage& image, PuzzleOutlets& outlets) {
  TQelElement* selection = PathElement(&image, ".MS");
  TQelElement* first = ReadElement(selection, "OB1");
  TQelElement* second = ReadElement(selection, "OB2");
  if (!first || !second) return;
  if (first != second && ShowSamePicture(ChildAt(first, 0), ChildAt(second, 0))) {
    if (auto left = ReadPathInteger(&image, ".CNN")) {
      WritePathInteger(&image, ".CNN", *left - 1);
      WritePath(&image, "QELDB.GI.CNT.TEXT", Variant::String(std::to_string(*left - 1)));
    }
    outlets.PlaySound(image, "Lev2.Ok");
  }
  WriteValue(selection, "OB1", Variant::LongWord(0));
  WriteValue(selection, "OB2", Variant::LongWord(0));
  WriteInteger(selection, "OBC", 0);
}

}  // namespace qel
