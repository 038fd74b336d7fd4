#pragma once
// The compiled form of a prepared script: statement lists and expression
// trees made once from the token text, with every syntax error kept as a
// node that reports itself only when execution reaches it. Token ranges
// point into token lists owned by the program, so messages can still show
// the text a statement was made from.
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/var_list.h"
#include "elements/script_host.h"
#include "script/loop_code.h"
#include "script/name_cache.h"
#include "script/num_code.h"
#include "script/script_env.h"
#include "script/tokens.h"

namespace qel {

class TScriptCalc;
struct FrameCode;
struct PlainHostFunction;

struct ErrorInfo {
  ByteString message;
  TokenRange text;
  int code = 0;
};

// Where NAME[k] was, by k: kept small, since a site over a large array
// holds one per element.
struct ElementCache {
  int slot = -1;
  uint64_t hit = 0;  // epoch at which slot held the element
};

// Where a site found NAME[k]: elements lo..hi at positions offset + k while
// the list's epoch stays (appends move no record), so an array filled in
// order costs nothing per element to remember; other elements one by one.
struct ArraySites {
  uint64_t epoch = 0;
  int32_t lo = 0;
  int32_t hi = -1;
  int64_t offset = 0;
  std::vector<ElementCache> slots;
};

struct ExprNode;
struct Procedure;
using ExprPtr = std::unique_ptr<ExprNode>;

// One expression as Evaluate sees it: errors inside report its text.
struct ExprUnit {
  TokenRange text;
  ExprPtr root;           // null for an empty expression
  bool trailing = false;  // more than one token left after the expression
  int depth = 0;          // levels of native recursion its evaluation takes
};

struct IndexList {
  std::vector<ExprUnit> parts;
  std::unique_ptr<ErrorInfo> error;  // "] expected"
  // One part of the form V, V + c or V - c with an Integer constant c: the
  // usual index of loops, read without evaluating the part.
  const ExprNode* counter = nullptr;
  int32_t offset = 0;
};

enum class Op : uint8_t { Const, Var, Call, ProcCall, Unary, Binary, Fail, FailAfter };

struct ExprNode {
  Op op = Op::Const;
  uint8_t code = 0;  // operator token
  Variant value;
  ByteString name;
  ExprPtr a, b;
  std::unique_ptr<IndexList> idx1, idx2;
  std::vector<ExprUnit> args;
  std::vector<ByteString> argNames;  // argument written as a plain name, else ""
  mutable std::vector<NameCache> argVars;  // where each such name was
  std::unique_ptr<ErrorInfo> fail;
  int depth = 1;  // height of the tree below and including this node
  // Only number constants, variables and binary operators below: worth
  // trying as plain numbers.
  bool numeric = false;
  // The top of a numeric subtree: the same arithmetic as flat code.
  std::unique_ptr<NumCode> flat;
  mutable NameCache var;
  mutable ArraySites arraySlots;  // where NAME[k] was, by k
  mutable PathSiteSlot path;  // the element a name that is no variable leads to
  mutable const void* funcOwner = nullptr;
  mutable uint64_t funcVersion = 0;
  mutable int funcIndex = -1;
  // The callback as a plain function, when it is one: called without a copy.
  mutable bool (*funcPlain)(TScriptCalc&, TVarList&, TVar&) = nullptr;
  mutable const PlainHostFunction* plainFunc = nullptr;  // the callback, when it is a plain one
  mutable int8_t argsCallNothing = -1;  // no argument calls anything; -1 until known
  mutable const void* procOwner = nullptr;  // program whose routine procCache is
  mutable const void* procCache = nullptr;
  // Inside routines that run in a frame: the frame slot of a name, and the
  // routine a call names.
  int slot = -1;
  const Procedure* callee = nullptr;
};

struct StmtList;

enum class St : uint8_t { Assign, ExprStmt, Block, If, For, While, Repeat, Flow, Goto, Case, Fail };

struct CaseLabel {
  TokenRange text;
  ExprUnit low, high;
  bool range = false;
  // Both bounds are integer constants: compared without evaluation.
  bool constant = false;
  int32_t lo = 0, hi = 0;
};

struct CaseItem {
  enum Kind : uint8_t { Branch, Else, End, Fail } kind = End;
  std::vector<CaseLabel> labels;
  std::unique_ptr<StmtList> body;
  ErrorInfo error;
};

struct Stmt {
  St kind = St::Fail;
  bool hasLabel = false;
  bool cutError = false;
  ByteString label;
  TokenRange text;
  ErrorInfo error;     // Fail; staged errors of loops and heads
  bool staged = false; // error raised after the first expression
  // assignment
  ByteString target;
  bool targetValid = false;
  std::unique_ptr<IndexList> idx1, idx2;
  std::unique_ptr<ErrorInfo> badFollow;
  mutable NameCache var;
  mutable ArraySites arraySlots;
  mutable PathSiteSlot path;  // the element a target that is no variable leads to
  int slot = -1;  // frame slot of the target, in routines that run in a frame
  // NAME := arithmetic on numbers: may be written in place.
  bool numeric = false;
  // expressions: assignment value, condition, FOR start, CASE selector
  ExprUnit expr, bound;
  bool downto = false;
  uint8_t flow = 0;
  std::unique_ptr<StmtList> body, elseBody;
  std::unique_ptr<ErrorInfo> branchError;
  std::vector<CaseItem> cases;
  // Loops whose body is only assignments (in a BEGIN block or not): the
  // assignments in order, and the steps the block itself takes.
  std::vector<const Stmt*> plainBody;
  int blockSteps = 0;
  // FOR loops whose body is arithmetic: the body as register code.
  std::unique_ptr<LoopCode> loop;
};

struct StmtList {
  std::vector<Stmt> items;
};

struct Procedure {
  ByteString name;
  std::vector<ByteString> params;
  bool isFunction = false;
  TokenList header, bodyTokens;
  StmtList body;
  mutable std::vector<NameCache> paramVars;  // one per parameter
  mutable NameCache resultVar;
  // A function whose body sees nothing of its caller's variables and calls
  // only such functions may keep its own in a frame instead of the list.
  bool framed = false;
  std::vector<int> paramSlots;  // frame slot of each parameter
  int resultSlot = -1;
  int frameSize = 0;
  std::vector<ByteString> slotNames;  // by frame slot
  // Every frame name of the framed functions a call may reach:
  // the names an element must not take for frames to be used.
  std::vector<ByteString> reachedNames;
  std::shared_ptr<const FrameCode> code;  // the body as register operations, when it has that form
};

class Program : public PreparedScript {
 public:
  TokenList tokens;     // the statements left after declarations, each ending in ';'
  ByteString prepared;  // the same as prepared text
  StmtList main;
  std::unordered_map<ByteString, std::unique_ptr<Procedure>> procs;

  const Procedure* FindProc(const ByteString& name) const {
    auto it = procs.find(name);
    return it == procs.end() ? nullptr : it->second.get();
  }
  bool empty() const { return tokens.empty(); }
};

}  // namespace qel
