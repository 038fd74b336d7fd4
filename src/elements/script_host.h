#pragma once
// The seam between the element model and the script engine. Elements keep
// event scripts as source plus an opaque prepared form; the engine fills in
// how sources are prepared and how a prepared script runs for an element.
#include <memory>

#include "base/var_list.h"

namespace qel {

class TQelElement;

// Whatever the engine made of a source once; shared because an element copy
// or a state restore may hand the same prepared script to several owners.
class PreparedScript {
 public:
  virtual ~PreparedScript() = default;
};
using PreparedRef = std::shared_ptr<const PreparedScript>;

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;
  // Prepares an event-script source with the current interpreter.
  virtual PreparedRef Prepare(const ByteString& source) = 0;
  // Runs one event script for the element: nesting depth, current element,
  // and (when outVars is given) offering the run's variables to outVars.
  virtual void RunScript(TQelElement& element, const PreparedRef& script, TVarList* outVars) = 0;
};

// An event property: the source as stored in the game file and its prepared form.
struct EventScript {
  ByteString source;
  PreparedRef prepared;
};

}  // namespace qel
