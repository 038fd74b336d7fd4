#pragma once
// One complete interpreter for the game's script language: a variable list,
// a host-function table, the routines of the running script and an error
// state. Sources are prepared once into a compiled program that runs many
// times; errors never raise to the caller, they stop the run and are kept
// (first error wins) until the next Prepare or Run.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/var_list.h"
#include "script/script_env.h"
#include "script/script_func.h"

namespace qel {

class Program;
using ProgramRef = std::shared_ptr<const Program>;
class Machine;
struct ExprUnit;

class TScriptCalc {
 public:
  TScriptCalc();
  ~TScriptCalc();
  TScriptCalc(const TScriptCalc&) = delete;
  TScriptCalc& operator=(const TScriptCalc&) = delete;

  // --- host functions ---
  // The name is trimmed and upper-cased. An existing entry is replaced by a
  // non-null callback and removed by a null one; otherwise a valid name is
  // appended. False only for an invalid new name.
  bool RegisterFunction(const ByteString& name, TScriptFunc func);
  const TFuncList& Functions() const { return funcs_; }

  // --- prepare and run ---
  // Tokenizes the source (or takes it as tokenized when it holds the token
  // marker), moves routine declarations out, resolves USES and INCLUDE and
  // compiles the rest. Errors found on the way are in the error state.
  ProgramRef Prepare(const ByteString& source);
  // Runs a prepared program; true when the run ended without error.
  bool Run(const ProgramRef& program);
  // Runs prepared (tokenized) text directly.
  bool Run(const ByteString& prepared);
  // Evaluates one prepared expression.
  bool Evaluate(const ByteString& preparedExpr, TVar& result);
  const ByteString& LastSource() const { return lastSource_; }
  const ByteString& LastPrepared() const { return lastPrepared_; }

  // --- variables ---
  // Reads a variable, or a name of the element tree when no variable has it.
  bool GetVariable(const ByteString& name, TVar& out);
  // Replaces the value of an existing variable; never creates one.
  bool SetVariable(const ByteString& name, const Variant& value);
  // Replaces an existing variable, else writes through an element path, else
  // creates the variable.
  bool StoreVariable(const TVar& var);
  int IndexOfVariable(const ByteString& name) const { return vars_.IndexOf(name); }
  const TVarList& Variables() const { return vars_; }
  void ClearVariables();

  // --- errors ---
  void SetError(const ByteString& message, const ByteString& preparedText, int code);
  void Reset();
  int ErrorCode() const { return errorCode_; }
  const ByteString& ErrorMessage() const { return errorMessage_; }
  const ByteString& ErrorStatement() const { return errorStatement_; }
  // Appends a line to the error log when the game asks for one.
  void LogLine(const ByteString& line) const;

  // --- limits and switches ---
  // Statements and loop rounds one Run (or Prepare) may take before it stops
  // with an error; 0 means no limit.
  static constexpr uint64_t kDefaultStepBudget = 100'000'000;
  void SetStepBudget(uint64_t steps);
  uint64_t StepBudget() const;
  // Steps the last Run (or Prepare) took, counted as the budget counts them.
  uint64_t StepsTaken() const;
  // Every shortcut of the engine (remembered positions, in-place arithmetic,
  // array sites, condition shortcuts, framed calls) on or off. Off, every
  // statement takes the general way; results are the same either way. On
  // unless the environment variable QEL_NO_FAST_PATHS is set (not "0").
  void SetFastPaths(bool on);
  bool FastPaths() const;

  // --- surroundings ---
  void SetEnv(ScriptEnv* env) { env_ = env; }
  ScriptEnv* env() const { return env_; }
  bool UnicodeMode() const { return env_ && env_->UnicodeMode(); }
  Runtime* runtime() const { return env_ ? env_->runtime() : nullptr; }
  TQelElement* CurrentElement() const { return env_ ? env_->CurrentElement() : nullptr; }
  // State of the random generator. Shared through the runtime when there is
  // one, so every pool interpreter draws from the same sequence.
  uint32_t& RandSeed();

  // Not used by the runtime; kept for embedders that step or stop scripts.
  void (*OnStep)() = nullptr;
  bool StopRequested = false;

 private:
  friend class Machine;
  friend class VarStore;

  TVarList vars_;
  TFuncList funcs_;
  ScriptEnv* env_ = nullptr;
  int errorCode_ = 0;
  ByteString errorMessage_, errorStatement_;
  ByteString lastSource_, lastPrepared_;
  std::unique_ptr<Machine> machine_;
  uint32_t ownSeed_ = 0;
};

}  // namespace qel
