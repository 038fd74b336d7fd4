#pragma once
// Turns token text into the compiled form. Statements are cut exactly as the
// language defines (block and repeat depth, terminator sets), and every
// problem becomes a node that reports itself when reached.
#include <cstdint>
#include <optional>

#include "script/program.h"
#include "script/script_func.h"

namespace qel {

using TermSet = uint64_t;
constexpr TermSet Term(int code) { return TermSet{1} << code; }

struct Cut {
  TokenRange stmt;
  size_t next = 0;
  uint8_t stop = tkEof;
  std::optional<ErrorInfo> error;
};

// The next statement from pos: leading ';' skipped, ended by a terminator at
// depth 0 (consumed) or the end of the text.
Cut NextStatement(TokenRange r, size_t pos, TermSet terms);

struct Until {
  TokenRange text;
  size_t next = 0;  // position after the stopping token
  uint8_t stop = tkEof;
};
// Tokens up to the first one in terms, without regard to nesting.
Until ReadUntil(TokenRange r, size_t pos, TermSet terms);

// Splits at commas outside parentheses (and brackets when asked).
std::vector<TokenRange> SplitArgs(TokenRange r, bool brackets);

// Compiles the body of every routine the program has so far and decides
// which of them run in frames. Whether a name is a call depends on the
// routines known, so this runs again whenever routines were added.
void CompileRoutines(Program& program, const TFuncList& funcs);

class Compiler {
 public:
  Compiler(const TFuncList& funcs, const Program* program) : funcs_(funcs), program_(program) {}
  StmtList CompileList(TokenRange r);
  ExprUnit CompileUnit(TokenRange r);

 private:
  Stmt CompileStatement(TokenRange stmt);
  void CompileAssign(Stmt& s, TokenRange r);
  void CompileIf(Stmt& s, TokenRange r);
  void CompileFor(Stmt& s, TokenRange r);
  void CompileWhile(Stmt& s, TokenRange r);
  void CompileRepeat(Stmt& s, TokenRange r);
  void CompileFlow(Stmt& s, TokenRange r);
  void CompileGoto(Stmt& s, TokenRange r);
  void CompileCase(Stmt& s, TokenRange r);
  CaseItem CompileCaseBranch(TokenRange r, size_t& pos);
  std::unique_ptr<StmtList> ListOf(TokenRange r);
  std::unique_ptr<IndexList> CompileIndex(TokenRange r, size_t& pos, TokenRange unitText);

  // Expression parsing over one unit.
  struct Parse {
    TokenRange r;
    size_t pos = 0;
    bool failed = false;
    uint8_t cur() const { return r.code(pos); }
  };
  ExprPtr Level(Parse& p, int level);
  ExprPtr Prefix(Parse& p);
  ExprPtr Factor(Parse& p);
  ExprPtr Identifier(Parse& p);
  ExprPtr Fail(Parse& p, ByteString message, int code, ExprPtr after = nullptr);
  bool IsCallName(const ByteString& name) const;

  const TFuncList& funcs_;
  const Program* program_;
  int depth_ = 0;
};

}  // namespace qel
