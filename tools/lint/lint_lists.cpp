// Image lists: a list answers the mouse on its layer even while it is not drawn, and a click on
// it runs the exMouseDown of the entry under the pointer, so a hidden list takes clicks the
// player cannot see.
#include <algorithm>
#include <utility>

#include "linted_game.h"

namespace qel {
namespace {

// Whether an element's own mouse test lets the pointer through to its children.
bool PassesMouse(const TQelElement& e) { return e.Vis ? e.MousedVis : e.MousedNotVis; }

// Not drawn (hidden, or under a hidden element), yet reached by the hit test through every
// element above it, as the game file leaves them.
bool HiddenButAnswering(const TQelElement& list) {
  bool hidden = !list.Vis;
  for (const TQelElement* up = list.Parent(); up && up->Parent(); up = up->Parent()) {
    if (!PassesMouse(*up)) return false;
    hidden = hidden || !up->Vis;
  }
  return hidden;
}

bool HasMouseDown(LintedGame& game, TQelElement& image) {
  const std::vector<ScriptFacts>& facts = game.FactsOf(image);
  return std::any_of(facts.begin(), facts.end(), [](const ScriptFacts& f) { return f.event == "exMouseDown"; });
}

}  // namespace

void LintImageLists(LintedGame& game) {
  std::vector<std::pair<TQelElement*, TQelElement*>> warned;
  for (TQelElement* e : game.Elements()) {
    for (const ScriptFacts& facts : game.FactsOf(*e)) {
      for (const ScriptCall& call : facts.calls) {
        if (call.routine || call.name != "LISTADD" || call.args.size() < 2) continue;
        if (call.args[0].kind != ScriptArg::Name || call.args[1].kind != ScriptArg::Name) continue;
        TQelElement* list = ElementAtPath(game, *e, call.args[0].text, facts);
        TQelElement* image = ElementAtPath(game, *e, call.args[1].text, facts);
        if (!list || !image || !list->IsClass("TQelImList") || !image->IsClass("TQelImage")) continue;
        if (!HiddenButAnswering(*list) || !HasMouseDown(game, *image)) continue;
        if (std::find(warned.begin(), warned.end(), std::pair{list, image}) != warned.end()) continue;
        warned.emplace_back(list, image);
        game.Warn(*list, "hidden, yet it answers the mouse on its layer: a click on it runs exMouseDown of its entry " +
                             LintPath(*image) + " (added in " + facts.event + " of " + LintPath(*e) + ")");
      }
    }
  }
}

}  // namespace qel
