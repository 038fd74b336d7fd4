#pragma once
// The declaration pass of Prepare: routine declarations move into the
// program's routine table, USES and INCLUDE pull in other script files, and
// the remaining statements form the program.
#include <vector>

#include "script/program.h"

namespace qel {

class Machine;
class TScriptCalc;

class Declarations {
 public:
  Declarations(TScriptCalc& calc, Machine& machine, Program& program)
      : calc_(calc), machine_(machine), program_(program) {}
  // False when the pass ended early on an error.
  bool Pass(const TokenList& in, TokenList& out);

 private:
  bool Header(TokenRange stmt, TokenRange input, size_t& pos);
  bool Include(TokenRange stmt, TokenList& out);
  void Error(const ByteString& message, TokenRange text, int code);

  TScriptCalc& calc_;
  Machine& machine_;
  Program& program_;
  std::vector<ByteString> open_;  // files being read, to refuse inclusion cycles
};

// Resolves a script file name inside the game directory (the current
// directory): '\' separators accepted, absolute paths and ".." refused.
// Returns the relative path, or "" when the name is refused.
ByteString GameRelativePath(const ByteString& name);

}  // namespace qel
