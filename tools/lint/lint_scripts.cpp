// Scripts: what stops them when they run, and names they call that nothing defines.
#include "linted_game.h"

namespace qel {

void LintScripts(LintedGame& game) {
  const TFuncList& functions = game.calc.Functions();
  for (TQelElement* e : game.Elements()) {
    for (const ScriptFacts& facts : game.FactsOf(*e)) {
      const std::string event = facts.event;
      for (const ByteString& error : facts.errors) game.Report(*e, event + ": " + Cp1251ToUtf8(error));
      for (const ScriptCall& call : facts.calls)
        if (!call.routine && functions.IndexOf(call.name) < 0)
          game.Report(*e, event + ": " + Cp1251ToUtf8(call.name) +
                              " is neither a host function nor a routine the script declares");
    }
  }
}

}  // namespace qel
