#pragma once
// Runs compiled programs for one interpreter: expression evaluation,
// statement execution, control flow and user routine calls. Every step
// checks the error state, so the first error unwinds the whole run.
#include <cstdint>
#include <memory>
#include <vector>

#include "script/fast_numbers.h"
#include "script/frame_code.h"
#include "script/program.h"
#include "script/scriptcalc.h"

namespace qel {

class Machine {
 public:
  explicit Machine(TScriptCalc& calc);

  bool RunProgram(const Program& program);
  void RunList(const Program* program, const StmtList& list);
  // Evaluate: false on error or when tokens are left over.
  bool EvalUnit(const ExprUnit& unit, Variant& out);
  // Evaluates an expression of the declaration pass with the routines the
  // program has so far, as a statement of a run's outermost list would.
  bool EvalWhilePreparing(const Program& program, const ExprUnit& unit, Variant& out);
  const Program* program() const { return program_; }
  void ResetFlow() {
    flow_ = 0;
    blockLevel_ = -1;
  }

  // --- variable store (shared with the interpreter's public operations) ---
  int FindSlot(const ByteString& name, int& cache) const;
  // The same for a name of the compiled program: no search and no name
  // comparison while the list's names stay as they were.
  int FindSlot(const ByteString& name, NameCache& cache) const {
    if (!fast_) return calc_.vars_.IndexOf(name);
    uint64_t stamp = calc_.vars_.stamp();
    if (cache.hit == stamp) return cache.slot;
    if (cache.miss == stamp) return -1;
    if (cache.hitEpoch == calc_.vars_.epoch()) {
      cache.hit = stamp;
      return cache.slot;
    }
    return Refind(name, cache);
  }
  bool Lookup(const ByteString& name, int& cache, Variant& out);
  // site: where a compiled name remembers the element path it leads to.
  bool Lookup(const ByteString& name, NameCache& cache, Variant& out, PathSiteSlot* site = nullptr);
  bool Store(const ByteString& name, const Variant& value, int& cache);
  bool Store(const ByteString& name, Variant&& value, NameCache& cache, PathSiteSlot* site = nullptr);
  void WriteSlot(int i, const Variant& value);
  void WriteSlot(int i, Variant&& value);
  // Position of NAME[k], remembered per call site; -1 when absent. name
  // receives the element's full name when it is absent.
  int ArraySlot(const ByteString& base, int32_t k, ArraySites& cache, ByteString& name);
  // The same from the cache alone; -1 when it cannot answer.
  int CachedElement(const ByteString& base, int32_t k, ArraySites& cache) const {
    if (fast_ && k >= cache.lo && k <= cache.hi && cache.epoch == calc_.vars_.epoch())
      return static_cast<int>(cache.offset + k);
    return CachedSlot(base, k, cache);
  }
  int CachedSlot(const ByteString& base, int32_t k, ArraySites& cache) const;
  // --- limits and switches ---
  void SetFast(bool on) { fast_ = on; }
  bool fast() const { return fast_; }
  void SetBudget(uint64_t steps) { budget_ = steps ? steps : UINT64_MAX; }
  uint64_t budget() const { return budget_ == UINT64_MAX ? 0 : budget_; }
  void StartSteps() { steps_ = 0; }
  uint64_t steps() const { return steps_; }

  void ClearUndo() {
    undo_.clear();
    erased_.clear();
    frameBase_ = callDepth_ > 0 ? kNoFrame : 0;
  }

 private:
  int Refind(const ByteString& name, NameCache& cache) const;
  // A name that is no variable: an element path, or the "Not var" reading.
  bool LookupAbsent(const ByteString& name, Variant& out, PathSiteSlot* site = nullptr);
  // Stores a name known to be no variable; slot receives its new position.
  // checked: the name is known to be valid.
  bool Create(const ByteString& name, const Variant& value, int& slot, bool checked = false,
              PathSiteSlot* site = nullptr);
  // expressions
  // numTried: the numeric subtree this node belongs to was tried as plain
  // numbers already.
  void Eval(const ExprNode& n, Variant& out, bool numTried = false);
  [[gnu::noinline]] void ApplyGeneral(uint8_t code, Variant& out, Variant& right);
  [[gnu::noinline]] void OperandFail(uint8_t code);
  void ReadVar(const ExprNode& n, Variant& out);
  void CallHost(const ExprNode& n, Variant& out);
  bool HostArg(const ExprNode& call, size_t k, Variant& value, int& slot);
  void CopyOut(int slot, const Variant& value);
  // exception: the callback's message, null when it returned false.
  [[gnu::noinline]] void HostFailed(const ByteString& name, const char* exception, TokenRange ctx);
  void CallProc(const ExprNode& n, Variant& out);
  bool CallProcedure(const Procedure& proc, const ExprNode& call, Variant& out);
  bool CallGeneral(const Procedure& proc, const ExprNode& call, Variant& out);
  using Outs = std::vector<std::pair<size_t, Variant>>;
  bool RunBody(const Procedure& proc, const ExprNode& call, TokenRange ctx, Variant& out, Outs& outs,
               bool& hasResult);
  // functions run in frames (frames.cpp)
  enum class FrameRun { Done, Declined, Dropped };
  struct FrameSlot {
    Variant value;
    bool set = false;
  };
  bool FramesAllowed(const Procedure& proc, const ExprNode& call) const;
  FrameRun CallFramed(const Procedure& proc, const ExprNode& call, Variant& out);
  bool EntryArg(const ExprNode& n, Variant& out);
  bool FrameBinary(uint8_t code, Variant& left, const Variant& right) const;
  bool RunFrame(const Procedure& proc, size_t base, Variant& result);
  bool FrameBody(const Procedure& proc, size_t base, Variant& result);
  bool RunCode(const FrameCode& code, size_t base);
  bool CodeBinary(uint8_t code, const Variant& l, const Variant& r, Variant& out) const;
  bool CodeCall(const FrameCode& code, const FrameIns& in, size_t base);
  const Variant* CodeOperand(const FrameCode& code, uint16_t r, size_t base) const;
  bool FrameList(const StmtList& list, size_t base, bool& exited);
  bool FrameUnit(const ExprUnit& unit, size_t base, Variant& out);
  bool FrameStmt(const Stmt& s, size_t base, bool& exited);
  bool FrameFor(const Stmt& s, size_t base, bool& exited);
  bool FrameCondition(const ExprUnit& unit, size_t base, bool& value);
  bool FrameNum(const ExprNode& n, size_t base, Num& v) const;
  bool FrameLeaf(const ExprNode& n, size_t base, Num& v) const;
  bool FrameEval(const ExprNode& n, size_t base, Variant& out, bool numTried = false);
  bool FrameCall(const ExprNode& n, size_t base, Variant& out);
  bool FrameCallBody(const Procedure& proc, const ExprNode& n, size_t base, Variant& out);
  bool EvalIndex(const IndexList& list, TokenRange ctx, ByteString& out);
  // One integer index, the common case; false after an error.
  bool SingleIndex(const IndexList& list, TokenRange ctx, int32_t& k);
  const Variant* Peek(const ExprNode& n);
  bool EvalNum(const ExprNode& n, Num& v);
  bool RunFlat(const NumCode& code, Num& out);
  bool BindFlat(const NumCode& code);
  bool FlatResult(const NumCode& code, const Num*& result);
  bool AssignFlat(const Stmt& s, const NumCode& code);
  bool NumOf(const ExprNode& n, Num& v);
  bool LeafNum(const ExprNode& n, Num& v);
  // A name that is no variable, read or written as a plain number through
  // the element path it remembers; false when the general path must run.
  bool PathNum(const ExprNode& n, Num& v);
  bool PathInPlace(const Stmt& s, const Num& v);
  const Variant* PeekElement(const ExprNode& n);
  bool FastIndex(const IndexList& list, int32_t& k);
  bool CharAt(const ByteString& name, const Variant& value, int64_t index, TokenRange ctx, Variant& out);
  bool CheckCharIndex(int64_t index, size_t length, TokenRange ctx, size_t& at);
  void ReadElement(const ExprNode& n, Variant& out);
  bool CharAt(const ByteString& name, const Variant& value, const ByteString& index, TokenRange ctx,
              Variant& out);
  bool CheckStringIndex(const ByteString& index, size_t length, TokenRange ctx, size_t& at);
  void Fail(const ErrorInfo& e);
  void Fail(const ByteString& message, TokenRange text, int code);
  bool failed() const { return calc_.errorCode_ != 0; }
  // Counts one step (a statement or a loop round); false, with the error
  // set, once the run has used up its budget.
  bool Step(TokenRange text) {
    if (++steps_ <= budget_) return true;
    OverBudget(text);
    return false;
  }
  void OverBudget(TokenRange text);

  // statements
  void ExecList(const StmtList& list);
  void Exec(const Stmt& s);
  void ExecAssign(const Stmt& s, bool tried = false);
  void AssignPlain(const Stmt& s, bool tried);
  bool AssignInPlace(const Stmt& s);
  bool ElementInPlace(const Stmt& s);
  void AssignElement(const Stmt& s, bool tried);
  void AssignChar(const ByteString& name, const ByteString& index, const Variant& value, const Stmt& s);
  void ExecIf(const Stmt& s);
  void RunBranch(const StmtList& list);
  void ExecFor(const Stmt& s);
  void PlainFor(const Stmt& s, int64_t first, int64_t last);
  // One round of a FOR loop the general way; false when the loop ends.
  bool ForRound(const Stmt& s, int64_t i);
  void ForRounds(const Stmt& s, int64_t first, int64_t last);
  // loops run as register code (loop_run.cpp)
  void RunLoop(const Stmt& s, int64_t first, int64_t last);
  bool GeneralRound(const Stmt& s, int64_t i, uint16_t from);
  bool WhileRound(const Stmt& s);
  bool RepeatRound(const Stmt& s);
  bool BindLoop(const LoopCode& code);
  int RunLoopCode(const LoopCode& code, int64_t& i, int64_t last, int64_t step);
  int LoopSlot(const ByteString& base, ArraySites& sites, const Num& index, int32_t offset, ByteString* name);
  bool LoopElement(const LoopCode::Ins& in, const Num* regs, Num& out);
  bool LoopStore(const LoopCode::Ins& in, const Num* regs);
  [[gnu::noinline]] bool LoopStoreNew(const LoopCode::Ins& in, const Num* regs);
  void StoreLoopVars(const LoopCode& code);
  void FinishRound(const LoopCode& code, size_t from);
  void RunStatement(const Stmt& s);
  void ExecWhile(const Stmt& s);
  void ExecRepeat(const Stmt& s);
  void ExecCase(const Stmt& s);
  bool CaseMatches(const CaseLabel& label, const Variant& selector, bool& error);
  bool Condition(const ExprUnit& unit, bool& value);
  // Loop bookkeeping after a body run; true when the loop goes on.
  bool LoopContinues(const Stmt& loop);
  void LoopRound(const Stmt& loop);
  void BlockBody(const StmtList& body);
  void StepHook();

  // undo log of variable changes made inside user routines
  // Erased records are rare; their names wait in erased_, so that the
  // common records carry no name.
  struct Undo {
    enum Kind : uint8_t { Set, Append, Erase } kind;
    int index;
    Variant old;
  };
  // Slots the innermost call created vanish when it returns, so their old
  // values need no record.
  bool NeedsUndo(int i) const { return callDepth_ > 0 && (i < frameBase_ || !fast_); }
  void AppendVar(const ByteString& name, const Variant& value);
  void EraseSlot(int i);
  void UndoTo(size_t mark);

  TScriptCalc& calc_;
  bool fast_ = true;
  uint64_t steps_ = 0;
  uint64_t budget_ = UINT64_MAX;
  const Program* program_ = nullptr;
  const ExprUnit* unit_ = nullptr;  // expression being evaluated
  uint8_t flow_ = 0;                // pending BREAK, CONTINUE, EXIT or GOTO (token code)
  ByteString gotoLabel_;
  int blockLevel_ = -1;
  int callDepth_ = 0;
  // Deep enough for real recursion, shallow enough for the native stack.
  static constexpr int kMaxCallDepth = 1000;
  // What the running scripts hold of the native stack, in levels: one per
  // statement list being run, one per level of the expression trees being
  // evaluated, kCallLevels per routine call. Shared by every interpreter of
  // the thread, since a host function may start a script on the same
  // stack. A call that would pass kMaxLevels fails as too deep a recursion.
  static constexpr int kCallLevels = 4;
  static constexpr int kMaxLevels = 12000;
  static inline thread_local int nest_ = 0;
  // Whether one more routine call would pass the limits.
  bool TooDeep() const { return callDepth_ >= kMaxCallDepth || nest_ + kCallLevels > kMaxLevels || StackShort(); }
  // The last guard: less native stack left than a call may take.
  static bool StackShort();
  // Frames are pushed above frameTop_; the slots above it are kept for the
  // next call rather than destroyed.
  std::vector<FrameSlot> frame_;
  size_t frameTop_ = 0;
  size_t PushFrame(int size) {
    const size_t top = frameTop_, need = top + static_cast<size_t>(size);
    if (frame_.size() < need) frame_.resize(need);
    for (size_t k = top; k < need; ++k) frame_[k].set = false;
    frameTop_ = need;
    return top;
  }
  // Set while a dropped framed call is made again the general way, so that
  // the calls inside it do not try frames again and again.
  bool generalOnly_ = false;
  // First slot created by the innermost call. Once the list was cleared
  // under a call, every change is recorded until the outermost call returns.
  static constexpr int kNoFrame = INT32_MAX;
  int frameBase_ = 0;
  std::vector<Undo> undo_;
  std::vector<ByteString> erased_;
  // Argument lists of host calls, one per nesting level of calls, kept
  // between calls so that their records and string buffers are reused.
  static constexpr size_t kArgListSizes = 8;
  std::vector<std::unique_ptr<TVarList>> argLists_;
  size_t hostDepth_ = 0;
};

}  // namespace qel
