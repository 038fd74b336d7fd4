#include "elements/layer_walk.h"

#include <cstdlib>

#include "elements/element.h"
#include "elements/runtime.h"

namespace qel {
namespace {

struct Search {
  int64_t after;
  int32_t last;
  bool up;
  std::optional<int32_t> best;

  void Offer(int32_t layer) {
    const bool ahead = up ? (layer > after && layer <= last) : (layer < after && layer >= last);
    if (ahead && (!best || (up ? layer < *best : layer > *best))) best = layer;
  }
};

void Scan(const TQelElement& e, Search& s) {
  s.Offer(e.Order());
  s.Offer(e.OrderMin());
  s.Offer(e.OrderMax());
  for (int i = 0; i < e.ChildCount(); ++i) Scan(*e.Child(i), s);
}

}  // namespace

std::optional<int32_t> NextUsedLayer(const TQelElement& element, int64_t after, int32_t last) {
  const TQelElement* top = &element;
  while (top->Parent()) top = top->Parent();
  Search s{after, last, last > after, std::nullopt};
  Scan(*top, s);
  return s.best;
}

void WalkLayers(const TQelElement& element, int32_t from, const std::function<int32_t()>& last,
                const std::function<bool(int32_t)>& visit, const NextLayerFn& extra) {
  const bool skip = element.runtime().skipEmptyLayers;
  const bool up = last() >= from;
  int64_t layer = from;
  for (;;) {
    if (visit(static_cast<int32_t>(layer))) return;
    const int32_t to = last();
    if (up ? layer >= to : layer <= to) return;
    if (!skip) {
      layer += up ? 1 : -1;
      continue;
    }
    std::optional<int32_t> next = NextUsedLayer(element, layer, to);
    if (extra)
      if (std::optional<int32_t> more = extra(layer, to); more && (!next || (up ? *more < *next : *more > *next)))
        next = more;
    if (!next) return;
    layer = *next;
  }
}

bool SkipEmptyLayersByDefault() {
  const char* v = std::getenv("QEL_NO_FAST_PATHS");
  return !v || !*v || (v[0] == '0' && !v[1]);
}

}  // namespace qel
