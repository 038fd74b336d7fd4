#include "script/declarations.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "base/game_paths.h"
#include "elements/runtime.h"
#include "script/compiler.h"
#include "script/machine.h"

namespace qel {

ByteString GameRelativePath(const ByteString& name) {
  ByteString path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty() || path[0] == '/' || path.find(':') != ByteString::npos) return {};
  size_t start = 0;
  ByteString clean;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == ByteString::npos) end = path.size();
    ByteString part = path.substr(start, end - start);
    if (part == "..") return {};
    if (!part.empty() && part != ".") {
      if (!clean.empty()) clean += '/';
      clean += part;
    }
    start = end + 1;
  }
  return clean;
}

void Declarations::Error(const ByteString& message, TokenRange text, int code) {
  calc_.SetError(message, Encode(text), code);
}

bool Declarations::Pass(const TokenList& in, TokenList& out) {
  TokenRange r{in.data(), in.data() + in.size()};
  size_t pos = 0;
  while (true) {
    Cut c = NextStatement(r, pos, Term(tkSemicolon));
    if (c.stmt.empty()) return true;
    pos = c.next;
    if (c.error) Error(c.error->message, c.error->text, c.error->code);
    uint8_t first = c.stmt.code(0);
    if (first == tkProcedure || first == tkFunction) {
      if (!Header(c.stmt, r, pos)) return false;
    } else if (first == tkUses || first == tkInclude) {
      if (!Include(c.stmt, out)) return false;
    } else {
      out.insert(out.end(), c.stmt.b, c.stmt.e);
      out.push_back(Token{tkSemicolon, ";"});
    }
  }
}

bool Declarations::Header(TokenRange stmt, TokenRange input, size_t& pos) {
  if (stmt.code(1) != tkIdent) {
    Error("Invalid procedure name", stmt, 4);
    return false;
  }
  auto proc = std::make_unique<Procedure>();
  proc->name = stmt.b[1].text;
  proc->isFunction = stmt.code(0) == tkFunction;
  if (program_.FindProc(proc->name)) {
    Error("Duplicate procedure name", stmt, 24);
    return false;
  }
  if (stmt.code(2) != tkLParen) {
    Error("( expected", stmt, 2);
    return false;
  }
  size_t i = 3;
  if (stmt.code(i) != tkRParen) {
    while (true) {
      if (stmt.code(i) != tkIdent) {
        Error("Invalid function call", stmt, 7);
        return false;
      }
      proc->params.push_back(stmt.b[i].text);
      uint8_t next = stmt.code(++i);
      if (next == tkRParen) break;
      if (next != tkComma) {
        Error("Invalid function call", stmt, 7);
        return false;
      }
      ++i;
    }
  }
  Cut body = NextStatement(input, pos, Term(tkSemicolon));
  pos = body.next;
  if (body.error) Error(body.error->message, body.error->text, body.error->code);
  proc->header.assign(stmt.b, stmt.e);
  proc->bodyTokens.assign(body.stmt.b, body.stmt.e);
  ByteString name = proc->name;
  program_.procs.emplace(std::move(name), std::move(proc));
  return true;
}

bool Declarations::Include(TokenRange stmt, TokenList& out) {
  bool include = stmt.code(0) == tkInclude;
  TokenRange rest = stmt.from(1);
  ByteString quoted(1, '"');
  quoted += Encode(rest);
  quoted += '"';
  // The name is an ordinary expression: it may call the routines declared
  // so far, exactly as a running script would.
  CompileRoutines(program_, calc_.Functions());
  Compiler compiler(calc_.Functions(), &program_);
  ExprUnit unit = compiler.CompileUnit(rest);
  Variant v;
  if (!machine_.EvalWhilePreparing(program_, unit, v)) {
    Error("Invalid filename " + quoted + " in " + TokenText(stmt.code(0)) + " statement", stmt, 1);
    return false;
  }
  ByteString path = GameRelativePath(v.ToString());
  int error = EACCES;
  // Inside a game, names are matched as the game directory spells them.
  if (Runtime* rt = calc_.runtime(); rt && rt->services.dir && !path.empty()) {
    auto found = rt->services.dir->Find(path);
    path = found ? found->string() : ByteString();
    if (!found) error = ENOENT;
  }
  bool cycle = std::find(open_.begin(), open_.end(), path) != open_.end();
  std::ifstream file;
  if (!path.empty() && !cycle) {
    errno = 0;
    file.open(path, std::ios::binary);
    error = errno ? errno : ENOENT;
  }
  if (!file.is_open()) {
    Error("Can't open file " + quoted + ", error code " + std::to_string(error), stmt, 25);
    return false;
  }
  std::stringstream content;
  content << file.rdbuf();
  TokenList tokens = DecodeTokens(Tokenize(content.str()));
  open_.push_back(path);
  TokenList used;
  bool ok = Pass(tokens, include ? out : used);
  open_.pop_back();
  return ok && calc_.ErrorCode() == 0;
}

}  // namespace qel
