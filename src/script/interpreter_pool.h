#pragma once
// The interpreters of a running game: one per nesting level of event
// scripts, all with the same host functions, plus one that only prepares
// event sources (so that preparing a script from inside a running one never
// disturbs the running interpreter's error state).
#include <array>
#include <functional>
#include <memory>

#include "script/game_env.h"
#include "script/scriptcalc.h"

namespace qel {

class InterpreterPool : public ScriptHost {
 public:
  static constexpr int kSize = 10;
  using Registrar = std::function<void(TScriptCalc&)>;

  // Attaches itself as the runtime's script host.
  InterpreterPool(Runtime& runtime, TQelDB& root, const Registrar& registerFunctions);
  ~InterpreterPool() override;

  PreparedRef Prepare(const ByteString& source) override;
  void RunScript(TQelElement& element, const PreparedRef& script, TVarList* outVars) override;

  // For every interpreter, the preparing one included.
  void SetStepBudget(uint64_t steps);
  void SetFastPaths(bool on);

  TScriptCalc& At(int i) { return *calcs_[i]; }
  // The interpreter of the current nesting depth.
  TScriptCalc& Current() { return *calcs_[runtime_.script.ScriptDepth - 1]; }

 private:
  Runtime& runtime_;
  GameEnv env_;
  std::array<std::unique_ptr<TScriptCalc>, kSize> calcs_;
  TScriptCalc preparer_;
};

}  // namespace qel
