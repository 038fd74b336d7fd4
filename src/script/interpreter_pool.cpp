#include "script/interpreter_pool.h"

#include "script/program.h"

namespace qel {

InterpreterPool::InterpreterPool(Runtime& runtime, TQelDB& root, const Registrar& registerFunctions)
    : runtime_(runtime), env_(runtime, root) {
  for (auto& calc : calcs_) {
    calc = std::make_unique<TScriptCalc>();
    calc->SetEnv(&env_);
    if (registerFunctions) registerFunctions(*calc);
  }
  preparer_.SetEnv(&env_);
  if (registerFunctions) registerFunctions(preparer_);
  runtime_.scriptHost = this;
}

InterpreterPool::~InterpreterPool() {
  if (runtime_.scriptHost == this) runtime_.scriptHost = nullptr;
}

void InterpreterPool::SetStepBudget(uint64_t steps) {
  for (auto& calc : calcs_) calc->SetStepBudget(steps);
  preparer_.SetStepBudget(steps);
}

void InterpreterPool::SetFastPaths(bool on) {
  for (auto& calc : calcs_) calc->SetFastPaths(on);
  preparer_.SetFastPaths(on);
}

PreparedRef InterpreterPool::Prepare(const ByteString& source) { return preparer_.Prepare(source); }

void InterpreterPool::RunScript(TQelElement& element, const PreparedRef& script, TVarList* outVars) {
  ScriptGlobals& g = runtime_.script;
  if (g.ScriptDepth < 1 || g.ScriptDepth >= kSize) {
    // Depth beyond the pool: refused and logged on the deepest interpreter.
    At(kSize - 1).LogLine("Very recursion (in " + element.Description() + " " + g.EventName);
    return;
  }
  ++g.ScriptDepth;
  TScriptCalc& calc = Current();
  calc.ClearVariables();
  auto program = std::dynamic_pointer_cast<const Program>(script);
  if (program && !program->empty()) {
    ElementRef self = element.Handle();
    ElementRef saved = g.CurrentElement;
    g.CurrentElement = self;
    calc.Run(program);
    g.CurrentElement = saved;
    // The script may have destroyed its own element, and outVars with it.
    if (outVars && runtime_.Resolve(self) == &element)
      for (const TVar& var : calc.Variables()) outVars->AddIfMissing(var);
  }
  --g.ScriptDepth;
}

}  // namespace qel
