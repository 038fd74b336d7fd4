#pragma once
// A stand-in script engine: every prepared script is its own source, and a
// run records "element:event:source" and may create variables.
#include <string>
#include <vector>

#include "elements/element.h"
#include "elements/qel_db.h"

namespace qel::test {

struct SourceScript : PreparedScript {
  explicit SourceScript(ByteString s) : source(std::move(s)) {}
  ByteString source;
};

class RecordingHost : public ScriptHost {
 public:
  PreparedRef Prepare(const ByteString& source) override {
    return source.empty() ? nullptr : std::make_shared<SourceScript>(source);
  }
  void RunScript(TQelElement& e, const PreparedRef& script, TVarList* outVars) override {
    if (!script) return;
    const auto& src = static_cast<const SourceScript&>(*script).source;
    runs.push_back(e.Id() + ":" + e.runtime().script.EventName + ":" + src);
    // A script "SET NAME" leaves a variable behind, as a real run would.
    if (outVars && src.rfind("SET ", 0) == 0) outVars->AddIfMissing({src.substr(4), Variant::Integer(++counter)});
  }
  std::vector<std::string> runs;
  int counter = 0;
};

}  // namespace qel::test
