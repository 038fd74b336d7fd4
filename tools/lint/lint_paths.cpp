// Screens and element paths: the keys the root names, the screens scripts
// switch to, and dotted paths that can be followed without running anything.
#include <algorithm>

#include "base/variant.h"
#include "linted_game.h"

namespace qel {
namespace {

bool Contains(const std::vector<ByteString>& names, const ByteString& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Names an element's scripts give it as element variables: those its exInit
// (and the root's exSetScreen) assigns.
std::vector<ByteString> ElementVariables(LintedGame& game, TQelElement& e) {
  std::vector<ByteString> names;
  for (const ScriptFacts& facts : game.FactsOf(e))
    if (facts.event == "exInit" || facts.event == "exSetScreen")
      names.insert(names.end(), facts.assigned.begin(), facts.assigned.end());
  return names;
}

struct Resolution {
  enum State { Unknown, Found, Missing } state = Unknown;
  TQelElement* element = nullptr;
  std::string why;
};

Resolution Missing(std::string why) { return {Resolution::Missing, nullptr, std::move(why)}; }

std::string Name(const TQelElement& e) { return LintPath(e); }

// One step from an element along a path segment, as the interpreter takes it.
Resolution Step(LintedGame& game, TQelElement& from, const ByteString& segment, const ScriptFacts& script,
                bool first) {
  if (segment.empty()) return Missing("empty segment");
  if (segment == "CURSOR") return {};  // only found while a cursor is set
  Variant v;
  if (from.GetValue(segment, v)) {
    if (!v.IsReference()) return Missing(Cp1251ToUtf8(segment) + " of " + Name(from) + " is not an element");
    TQelElement* next = game.runtime.Resolve(v.handle());
    if (!next) return {};  // nil now; what it holds while the game runs is not known here
    return {Resolution::Found, next, {}};
  }
  if (Contains(script.assigned, segment) || Contains(ElementVariables(game, from), segment)) return {};
  if (segment == "QELDB") return {Resolution::Found, &game.root, {}};
  // A first name may be a variable some host function made.
  if (first && std::any_of(script.calls.begin(), script.calls.end(),
                           [](const ScriptCall& c) { return c.name == "SETVAR" || c.name == "GETVAR"; }))
    return {};
  return Missing(Name(from) + " has no " + Cp1251ToUtf8(segment));
}

// Follows a whole path; lastIsElement asks that the last segment name an
// element too, else it only has to name something the element answers to.
Resolution Follow(LintedGame& game, TQelElement& start, const ByteString& path, const ScriptFacts& script,
                  bool lastIsElement) {
  TQelElement* cur = &start;
  size_t pos = 0;
  while (pos < path.size() && path[pos] == '.') {
    if (!cur->Parent()) return Missing("it climbs above the root");
    cur = cur->Parent();
    ++pos;
  }
  bool first = pos == 0;
  while (true) {
    size_t dot = path.find('.', pos);
    bool last = dot == ByteString::npos;
    ByteString segment = path.substr(pos, last ? ByteString::npos : dot - pos);
    if (last && !lastIsElement) {
      Variant v;
      if (segment.empty()) return Missing("empty segment");
      if (segment == "CURSOR" || cur->GetValue(segment, v) || Contains(ElementVariables(game, *cur), segment) ||
          (first && Contains(script.assigned, segment)))
        return {Resolution::Found, cur, {}};
      return Missing(Name(*cur) + " has no property, child or variable " + Cp1251ToUtf8(segment));
    }
    Resolution r = Step(game, *cur, segment, script, first);
    if (r.state != Resolution::Found || last) return r;
    cur = r.element;
    pos = dot + 1;
    first = false;
  }
}

bool IsScreenSwitch(const ByteString& name) {
  return name == "SETSCREEN" || name == "FASTSETSCREEN" || name == "FASTSETSCREENNS";
}

void LintKey(LintedGame& game, const char* property, int32_t key, bool zeroMeansNone) {
  if (zeroMeansNone && key == 0) return;
  TQelElement* e = game.root.FindByKey(key);
  if (!e || e == &game.root)
    game.Report(game.root, std::string(property) + ": no element has the key " + std::to_string(key));
}

}  // namespace

TQelElement* ElementAtPath(LintedGame& game, TQelElement& start, const ByteString& path, const ScriptFacts& script) {
  Resolution r = Follow(game, start, path, script, true);
  return r.state == Resolution::Found ? r.element : nullptr;
}

void LintScreens(LintedGame& game) {
  LintKey(game, "InitScreen", game.root.InitScreen, false);
  LintKey(game, "LoadingScreen", game.root.LoadingScreen, true);
  for (TQelElement* e : game.Elements()) {
    for (const ScriptFacts& facts : game.FactsOf(*e)) {
      for (const ScriptCall& call : facts.calls) {
        if (call.routine || !IsScreenSwitch(call.name)) continue;
        for (const ScriptArg& arg : call.args) {
          if (arg.kind != ScriptArg::Name) continue;
          Resolution r = Follow(game, *e, arg.text, facts, true);
          if (r.state == Resolution::Missing)
            game.Report(*e, facts.event + ": " + Cp1251ToUtf8(call.name) + " to " + Cp1251ToUtf8(arg.text) +
                                ", which is no element: " + r.why);
        }
      }
    }
  }
}

void LintElementPaths(LintedGame& game) {
  for (TQelElement* e : game.Elements()) {
    for (const ScriptFacts& facts : game.FactsOf(*e)) {
      // Screen switches have their own message.
      std::vector<ByteString> seen;
      for (const ScriptCall& call : facts.calls)
        if (!call.routine && IsScreenSwitch(call.name))
          for (const ScriptArg& arg : call.args) seen.push_back(arg.text);
      for (const ByteString& name : facts.names) {
        if (name.find('.') == ByteString::npos || Contains(seen, name)) continue;
        seen.push_back(name);
        Resolution r = Follow(game, *e, name, facts, false);
        if (r.state == Resolution::Missing)
          game.Report(*e, facts.event + ": element path " + Cp1251ToUtf8(name) + " does not resolve: " + r.why);
      }
    }
  }
}

}  // namespace qel
