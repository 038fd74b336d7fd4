#include "hostapi/puzzle_scene.h"

#include <cmath>

#include "elements/element.h"
#include "elements/qel_db.h"
#include "hostapi/random.h"

namespace qel {

TQelElement* ChildAt(const TQelElement* e, int index) {
  return e && index >= 0 && index < e->ChildCount() ? e->Child(index) : nullptr;
}

std::optional<Variant> ReadValue(TQelElement* e, std::string_view name) {
  if (!e) return std::nullopt;
  Variant v;
  if (!e->GetValue(UpperCase(ByteString(name)), v)) return std::nullopt;
  return v;
}

std::optional<double> ReadNumber(TQelElement* e, std::string_view name) {
  auto v = ReadValue(e, name);
  if (!v || v->IsEmpty() || v->IsReference()) return std::nullopt;
  auto d = v->ToDouble();
  if (!d || !std::isfinite(*d)) return std::nullopt;
  return d;
}

std::optional<int64_t> ReadInteger(TQelElement* e, std::string_view name) {
  auto d = ReadNumber(e, name);
  if (!d) return std::nullopt;
  return RoundToInt(*d);
}

TQelElement* ReadElement(TQelElement* e, std::string_view name) {
  auto v = ReadValue(e, name);
  if (!v || !v->IsReference()) return nullptr;
  return e->runtime().Resolve(v->handle());
}

bool WriteValue(TQelElement* e, std::string_view name, const Variant& value) {
  return e && e->SetValue(UpperCase(ByteString(name)), value);
}

namespace {

// Walks the leading dots and inner segments; last receives the final one.
TQelElement* WalkPath(TQelElement* from, std::string_view path, ByteString& last) {
  TQelElement* current = from;
  while (!path.empty() && path.front() == '.') {
    path.remove_prefix(1);
    if (!current) return nullptr;
    current = current->Parent();
  }
  for (size_t dot = path.find('.'); dot != std::string_view::npos; dot = path.find('.')) {
    const std::string_view segment = path.substr(0, dot);
    path.remove_prefix(dot + 1);
    if (!current || segment.empty()) return nullptr;
    TQelElement* next = ReadElement(current, segment);
    if (!next && UpperCase(ByteString(segment)) == "QELDB") next = current->Root();
    current = next;
  }
  last = ByteString(path);
  return current;
}

}  // namespace

TQelElement* PathElement(TQelElement* from, std::string_view path) {
  ByteString last;
  TQelElement* e = WalkPath(from, path, last);
  return last.empty() ? e : ReadElement(e, last);
}

std::optional<Variant> ReadPath(TQelElement* from, std::string_view path) {
  ByteString last;
  TQelElement* e = WalkPath(from, path, last);
  return last.empty() ? std::nullopt : ReadValue(e, last);
}

std::optional<int64_t> ReadPathInteger(TQelElement* from, std::string_view path) {
  auto v = ReadPath(from, path);
  if (!v || v->IsEmpty() || v->IsReference()) return std::nullopt;
  auto d = v->ToDouble();
  if (!d || !std::isfinite(*d)) return std::nullopt;
  return RoundToInt(*d);
}

bool WritePath(TQelElement* from, std::string_view path, const Variant& value) {
  ByteString last;
  TQelElement* e = WalkPath(from, path, last);
  return !last.empty() && WriteValue(e, last, value);
}

std::optional<int64_t> Trans(TQelElement* e) { return ReadInteger(e, "HXTRANS"); }
void SetTrans(TQelElement* e, int64_t alpha) { WriteInteger(e, "HXTRANS", alpha); }
std::optional<int64_t> AnimOf(TQelElement* e) { return ReadInteger(e, "ANIM"); }
void SetAnim(TQelElement* e, int64_t anim) { WriteInteger(e, "ANIM", anim); }

void SetX(TQelElement* e, int64_t x) {
  if (e) e->SetX(static_cast<double>(x));
}
void SetY(TQelElement* e, int64_t y) {
  if (e) e->SetY(static_cast<double>(y));
}
void SetVisible(TQelElement* e, bool visible) {
  if (e) e->SetVis(visible);
}

int32_t RandomBelow(TQelElement& e, int32_t range) {
  if (range <= 0) return 0;
  return static_cast<int32_t>(NextRandom(e.runtime().script.RandSeed, static_cast<uint32_t>(range)));
}

int64_t RoundToInt(double v) {
  if (!(v > -2147483648.0)) return INT32_MIN;
  if (!(v < 2147483647.0)) return INT32_MAX;
  return static_cast<int64_t>(RoundHalfEven(v));
}

}  // namespace qel
