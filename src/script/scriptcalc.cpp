#include "script/scriptcalc.h"

#include "elements/runtime.h"
#include "script/compiler.h"
#include "script/declarations.h"
#include "script/machine.h"

namespace qel {

namespace {

ByteString TrimUpper(const ByteString& name) {
  size_t b = 0, e = name.size();
  while (b < e && IsBlank(name[b])) ++b;
  while (e > b && IsBlank(name[e - 1])) --e;
  return UpperAscii(name.substr(b, e - b));
}

void CompileProgram(Program& program, const TFuncList& funcs) {
  Compiler compiler(funcs, &program);
  const TokenList& t = program.tokens;
  program.main = compiler.CompileList(TokenRange{t.data(), t.data() + t.size()});
  CompileRoutines(program, funcs);
}

}  // namespace

TScriptCalc::TScriptCalc() : machine_(std::make_unique<Machine>(*this)) { SetStepBudget(kDefaultStepBudget); }
TScriptCalc::~TScriptCalc() = default;

void TScriptCalc::SetStepBudget(uint64_t steps) { machine_->SetBudget(steps); }
uint64_t TScriptCalc::StepBudget() const { return machine_->budget(); }
uint64_t TScriptCalc::StepsTaken() const { return machine_->steps(); }
void TScriptCalc::SetFastPaths(bool on) { machine_->SetFast(on); }
bool TScriptCalc::FastPaths() const { return machine_->fast(); }

bool TScriptCalc::RegisterFunction(const ByteString& name, TScriptFunc func) {
  ByteString n = TrimUpper(name);
  int i = funcs_.IndexOf(n);
  if (i >= 0) {
    if (func) funcs_.Replace(i, std::move(func));
    else funcs_.Remove(i);
    return true;
  }
  if (!IsValidName(n)) return false;
  funcs_.Add(TFunc{n, std::move(func)});
  return true;
}

ProgramRef TScriptCalc::Prepare(const ByteString& source) {
  Reset();
  machine_->StartSteps();
  ByteString tokenized;
  if (source.find(kTokenMarker) != ByteString::npos) {
    tokenized = source;
  } else if (source == lastSource_ && !source.empty()) {
    tokenized = lastPrepared_;
  } else {
    tokenized = Tokenize(source);
    lastSource_ = source;
    lastPrepared_ = tokenized;
  }
  auto program = std::make_shared<Program>();
  TokenList in = DecodeTokens(tokenized);
  Declarations(*this, *machine_, *program).Pass(in, program->tokens);
  program->prepared = Encode(TokenRange{program->tokens.data(), program->tokens.data() + program->tokens.size()});
  CompileProgram(*program, funcs_);
  machine_->ResetFlow();
  return program;
}

bool TScriptCalc::Run(const ProgramRef& program) {
  Reset();
  machine_->StartSteps();
  if (!program) return true;
  return machine_->RunProgram(*program);
}

bool TScriptCalc::Run(const ByteString& prepared) {
  auto program = std::make_shared<Program>();
  program->tokens = DecodeTokens(prepared.find(kTokenMarker) == ByteString::npos ? Tokenize(prepared) : prepared);
  program->prepared = Encode(TokenRange{program->tokens.data(), program->tokens.data() + program->tokens.size()});
  CompileProgram(*program, funcs_);
  return Run(program);
}

bool TScriptCalc::Evaluate(const ByteString& preparedExpr, TVar& result) {
  TokenList tokens = DecodeTokens(preparedExpr);
  Compiler compiler(funcs_, machine_->program());
  ExprUnit unit = compiler.CompileUnit(TokenRange{tokens.data(), tokens.data() + tokens.size()});
  Variant v;
  bool ok = machine_->EvalUnit(unit, v);
  result.Value = std::move(v);
  return ok;
}

bool TScriptCalc::GetVariable(const ByteString& name, TVar& out) {
  out.Name = TrimUpper(name);
  int cache = -1;
  return machine_->Lookup(out.Name, cache, out.Value);
}

bool TScriptCalc::SetVariable(const ByteString& name, const Variant& value) {
  int i = vars_.IndexOf(TrimUpper(name));
  if (i < 0) return false;
  machine_->WriteSlot(i, value);
  return true;
}

bool TScriptCalc::StoreVariable(const TVar& var) {
  int cache = -1;
  return machine_->Store(var.Name, var.Value, cache);
}

void TScriptCalc::ClearVariables() {
  vars_.Clear();
  machine_->ClearUndo();
}

void TScriptCalc::SetError(const ByteString& message, const ByteString& preparedText, int code) {
  if (errorCode_ != 0) return;
  errorCode_ = code;
  errorMessage_ = message;
  errorStatement_ = Readable(preparedText, true);
  ByteString place = env_ ? env_->Place() : ByteString();
  ByteString event = env_ ? env_->EventName() : ByteString();
  LogLine(errorMessage_ + " (" + errorStatement_ + " in " + place + ") " + event);
  if (Runtime* rt = runtime()) {
    const ScriptErrorReport report{code, errorMessage_, errorStatement_, place, event};
    for (const auto& listener : rt->scriptErrorListeners) listener(report);
  }
}

void TScriptCalc::Reset() {
  errorCode_ = 0;
  errorMessage_.clear();
  errorStatement_.clear();
  StopRequested = false;
  machine_->ResetFlow();
}

uint32_t& TScriptCalc::RandSeed() {
  Runtime* rt = runtime();
  return rt ? rt->script.RandSeed : ownSeed_;
}

}  // namespace qel
