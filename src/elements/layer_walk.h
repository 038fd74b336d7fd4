#pragma once
// Passes over the layers of a tree. Drawing goes up from the lowest Order to the
// highest, hit-testing down; the plain rule steps through every integer between the
// two ends. Nothing can happen on a layer where nothing is, so the walk visits only
// the layers where something is: an element's Order, an end of an element's layer
// range (where a pass first or last reaches its subtree), and whatever the caller adds
// (the stars). Hostile orders (+-2^31) then cost no more than tame ones.
#include <cstdint>
#include <functional>
#include <optional>

namespace qel {

class TQelElement;

// The nearest layer strictly past `after` toward `last`, not beyond it, at which
// something is; nullopt when there is none.
using NextLayerFn = std::function<std::optional<int32_t>(int64_t after, int32_t last)>;

// The nearest layer past `after` toward `last` where anything of the whole tree that
// `element` belongs to is (placeholders and lists draw elements from elsewhere).
std::optional<int32_t> NextUsedLayer(const TQelElement& element, int64_t after, int32_t last);

// Visits `from`, then the layers toward `last()` (read again after every visit, since
// the scripts a visit runs may widen the range), every one or, with the runtime's
// skipEmptyLayers, only those where something of `element`'s tree or of `extra` is.
// visit returns true to end the walk.
void WalkLayers(const TQelElement& element, int32_t from, const std::function<int32_t()>& last,
                const std::function<bool(int32_t)>& visit, const NextLayerFn& extra = {});

// Whether walks skip empty layers unless told otherwise: yes, unless the environment
// variable QEL_NO_FAST_PATHS is set (and not "0").
bool SkipEmptyLayersByDefault();

}  // namespace qel
