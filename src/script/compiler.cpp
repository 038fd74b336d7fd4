#include "script/compiler.h"

#include <algorithm>
#include <cmath>

#include "script/frame_check.h"

namespace qel {

namespace {

// Nesting beyond this is refused rather than risking the stack.
constexpr int kMaxDepth = 200;
// Expression trees are evaluated recursively: a long chain of operators is
// as deep as it is long.
constexpr int kMaxTreeDepth = 1000;

ErrorInfo Err(ByteString message, TokenRange text, int code) { return ErrorInfo{std::move(message), text, code}; }

ByteString TextAt(TokenRange r, size_t i) { return i < r.size() ? r.b[i].text : ByteString(); }

bool AllIdentChars(const ByteString& s) {
  if (s.empty()) return false;
  for (unsigned char c : s)
    if (!IsIdentChar(c)) return false;
  return true;
}

// Number literal: digits with '.' or ',' as separators.
std::optional<Variant> ParseNumber(const ByteString& text) {
  for (char c : text)
    if (!((c >= '0' && c <= '9') || c == '.' || c == ',' || c == '+' || c == '-')) return std::nullopt;
  ByteString s = text;
  size_t dots = std::count(s.begin(), s.end(), '.'), commas = std::count(s.begin(), s.end(), ',');
  size_t last = s.find_last_of(".,");
  if (last != ByteString::npos) {
    if (s[last] == '.' && dots == 1) {
      std::erase(s, ',');
    } else if (s[last] == ',' && commas == 1) {
      std::erase(s, '.');
      std::replace(s.begin(), s.end(), ',', '.');
    }
  }
  auto v = ParseFloat(s);
  if (!v) return std::nullopt;
  if (s.find('.') == ByteString::npos && *v > -2147483647.0 && *v < 2147483647.0) {
    double mag = std::trunc(std::fabs(*v) + 1e-9);
    return Variant::Integer(static_cast<int32_t>(*v < 0 ? -mag : mag));
  }
  return Variant::Float(*v);
}

bool IsLevelOp(int level, uint8_t c) {
  switch (level) {
    case 1: return c == tkOr || c == tkXor;
    case 2: return c == tkAnd;
    case 3: return c == tkEq || c == tkNe || c == tkGt || c == tkLt || c == tkGe || c == tkLe;
    case 4: return c == tkPlus || c == tkMinus;
    case 5: return c == tkStar || c == tkSlash;
    default: return c == tkPow || c == tkShl || c == tkShr;
  }
}

// Position of the bracket closing the one before start, or r.size().
size_t Matching(TokenRange r, size_t start, uint8_t open, uint8_t close) {
  int depth = 1;
  for (size_t i = start; i < r.size(); ++i) {
    if (r.b[i].code == open) ++depth;
    else if (r.b[i].code == close && --depth == 0) return i;
  }
  return r.size();
}

}  // namespace

Cut NextStatement(TokenRange r, size_t pos, TermSet terms) {
  Cut c;
  size_t n = r.size();
  while (pos < n && r.b[pos].code == tkSemicolon) ++pos;
  size_t start = pos;
  int block = 0, repeat = 0;
  c.next = n;
  c.stmt = r.sub(start, n);
  for (size_t i = start; i < n; ++i) {
    uint8_t code = r.b[i].code;
    if ((terms & Term(code)) && block == 0 && repeat == 0) {
      c.stmt = r.sub(start, i);
      c.next = i + 1;
      c.stop = code;
      return c;
    }
    if (code == tkBegin || code == tkCase) ++block;
    else if (code == tkEnd) --block;
    else if (code == tkRepeat) ++repeat;
    else if (code == tkUntil) --repeat;
  }
  if (block > 0) c.error = Err("END expected", c.stmt, 10);
  else if (block < 0) c.error = Err("Too many END", c.stmt, 11);
  else if (repeat > 0) c.error = Err("UNTIL expected", c.stmt, 16);
  else if (repeat < 0) c.error = Err("Too many UNTIL", c.stmt, 17);
  return c;
}

Until ReadUntil(TokenRange r, size_t pos, TermSet terms) {
  Until u;
  size_t start = std::min(pos, r.size());
  for (size_t i = start; i < r.size(); ++i) {
    if (terms & Term(r.b[i].code)) {
      u.text = r.sub(start, i);
      u.next = i + 1;
      u.stop = r.b[i].code;
      return u;
    }
  }
  u.text = r.sub(start, r.size());
  u.next = r.size();
  return u;
}

std::vector<TokenRange> SplitArgs(TokenRange r, bool brackets) {
  std::vector<TokenRange> parts;
  if (r.empty()) return parts;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < r.size(); ++i) {
    uint8_t c = r.b[i].code;
    if (c == tkLParen || (brackets && c == tkLBracket)) ++depth;
    else if (c == tkRParen || (brackets && c == tkRBracket)) --depth;
    else if (c == tkComma && depth == 0) {
      parts.push_back(r.sub(start, i));
      start = i + 1;
    }
  }
  parts.push_back(r.sub(start, r.size()));
  return parts;
}

void CompileRoutines(Program& program, const TFuncList& funcs) {
  Compiler compiler(funcs, &program);
  for (auto& [name, proc] : program.procs) {
    const TokenList& b = proc->bodyTokens;
    proc->body = compiler.CompileList(TokenRange{b.data(), b.data() + b.size()});
  }
  MarkFramedRoutines(program);
}

namespace {

bool PlainVar(const ExprNode* n) { return n && n->op == Op::Var && !n->idx1; }

// V, V + c or V - c, c a small Integer constant.
void MarkCounterIndex(IndexList& list) {
  if (list.error || list.parts.size() != 1 || list.parts[0].trailing) return;
  const ExprNode* root = list.parts[0].root.get();
  if (PlainVar(root)) {
    list.counter = root;
    return;
  }
  if (!root || root->op != Op::Binary || (root->code != tkPlus && root->code != tkMinus) || !PlainVar(root->a.get()))
    return;
  const ExprNode& c = *root->b;
  if (c.op != Op::Const || c.value.kind() != VarKind::Integer) return;
  const int64_t v = c.value.int_value();
  if (v < -(1 << 30) || v > (1 << 30)) return;
  list.counter = root->a.get();
  list.offset = static_cast<int32_t>(root->code == tkPlus ? v : -v);
}

bool PlainAssignment(const Stmt& s) {
  if (s.kind != St::Assign || s.hasLabel || s.cutError || s.badFollow || !s.targetValid || s.idx2) return false;
  return !s.idx1 || (!s.idx1->error && s.idx1->parts.size() == 1);
}

// A loop body of plain assignments runs without the list machinery.
void MarkPlainBody(Stmt& loop) {
  if (!loop.body) return;
  const StmtList* list = loop.body.get();
  int blockSteps = 0;
  if (list->items.size() == 1 && list->items[0].kind == St::Block && !list->items[0].hasLabel) {
    list = list->items[0].body.get();
    blockSteps = 1;
  }
  if (list->items.empty()) return;
  for (const Stmt& s : list->items)
    if (!PlainAssignment(s)) return;
  for (const Stmt& s : list->items) loop.plainBody.push_back(&s);
  loop.blockSteps = blockSteps;
}

}  // namespace

// ---------------------------------------------------------------- statements

StmtList Compiler::CompileList(TokenRange r) {
  StmtList list;
  size_t pos = 0;
  while (true) {
    Cut c = NextStatement(r, pos, Term(tkSemicolon));
    if (c.stmt.empty()) break;
    pos = c.next;
    if (c.error) {
      Stmt s;
      s.cutError = true;
      s.text = c.stmt;
      s.error = *c.error;
      list.items.push_back(std::move(s));
      break;  // an unbalanced statement always runs to the end of the text
    }
    list.items.push_back(CompileStatement(c.stmt));
  }
  return list;
}

std::unique_ptr<StmtList> Compiler::ListOf(TokenRange r) {
  auto list = std::make_unique<StmtList>();
  if (++depth_ > kMaxDepth) {
    Stmt s;
    s.text = r;
    s.error = Err("Too deep nesting", r, 1);
    list->items.push_back(std::move(s));
  } else {
    *list = CompileList(r);
  }
  --depth_;
  return list;
}

Stmt Compiler::CompileStatement(TokenRange stmt) {
  Stmt s;
  s.text = stmt;
  TokenRange r = stmt;
  if (stmt.code(1) == tkColon) {
    s.hasLabel = true;
    s.label = stmt.b[0].text;
    r = stmt.from(2);
  }
  auto fail = [&](ByteString message, int code) { s.kind = St::Fail; s.error = Err(std::move(message), stmt, code); };
  switch (r.code(0)) {
    case tkIdent: CompileAssign(s, r); break;
    case tkBegin:
      if (r.size() < 2 || r.b[r.size() - 1].code != tkEnd) {
        fail("END expected", 10);
      } else {
        s.kind = St::Block;
        s.body = ListOf(r.sub(1, r.size() - 1));
      }
      break;
    case tkEnd: fail("Too many END", 11); break;
    case tkIf: CompileIf(s, r); break;
    case tkElse: fail("ELSE without IF", 9); break;
    case tkFor: CompileFor(s, r); break;
    case tkWhile: CompileWhile(s, r); break;
    case tkRepeat: CompileRepeat(s, r); break;
    case tkBreak: case tkContinue: case tkExit: CompileFlow(s, r); break;
    case tkGoto: CompileGoto(s, r); break;
    case tkCase: CompileCase(s, r); break;
    default: fail("Invalid operator: " + TextAt(r, 0), 9); break;
  }
  return s;
}

void Compiler::CompileAssign(Stmt& s, TokenRange r) {
  s.kind = St::Assign;
  s.target = r.b[0].text;
  s.targetValid = IsValidName(s.target);
  size_t pos = 1;
  if (r.code(pos) == tkLBracket) {
    s.idx1 = CompileIndex(r, pos, s.text);
    if (s.idx1->error) return;
    if (r.code(pos) == tkLBracket) {
      s.idx2 = CompileIndex(r, pos, s.text);
      if (s.idx2->error) return;
    }
  }
  uint8_t c = r.code(pos);
  if (c == tkAssign) {
    s.expr = CompileUnit(r.from(pos + 1));
    s.numeric = s.targetValid && !s.idx1 && s.expr.root && s.expr.root->numeric && !s.expr.trailing;
  } else if (c == tkLParen || c == tkLBracket || c == tkEof) {
    s.kind = St::ExprStmt;
    s.expr = CompileUnit(r);
  } else {
    s.badFollow = std::make_unique<ErrorInfo>(
        Err("Found " + TextAt(r, pos) + ", expected :=, (, [ or ;", s.text, 1));
  }
}

void Compiler::CompileIf(Stmt& s, TokenRange r) {
  s.kind = St::If;
  Until cond = ReadUntil(r, 1, Term(tkThen));
  s.expr = CompileUnit(cond.text);
  if (cond.stop != tkThen) return;  // the whole rest was the condition; both branches empty
  Cut then = NextStatement(r, cond.next, Term(tkSemicolon) | Term(tkElse));
  if (then.error) s.branchError = std::make_unique<ErrorInfo>(*then.error);
  s.body = ListOf(then.stmt);
  if (then.stop == tkElse) s.elseBody = ListOf(r.from(then.next));
}

void Compiler::CompileFor(Stmt& s, TokenRange r) {
  s.kind = St::Fail;
  Until head = ReadUntil(r, 1, Term(tkTo) | Term(tkDownto));
  if (head.stop == tkEof) {
    s.error = Err("TO or DOWNTO expected", s.text, 12);
    return;
  }
  if (head.text.code(0) != tkIdent) {
    s.error = Err("FOR control variable expected", s.text, 13);
    return;
  }
  if (head.text.code(1) != tkAssign) {
    s.error = Err("Invalid operator: " + TextAt(head.text, 1) + " ('FOR' expected ", s.text, 9);
    return;
  }
  s.kind = St::For;
  s.target = head.text.b[0].text;
  s.downto = head.stop == tkDownto;
  s.expr = CompileUnit(head.text.from(2));
  Until bound = ReadUntil(r, head.next, Term(tkDo));
  if (bound.stop != tkDo) {
    s.staged = true;
    s.error = Err("DO expected", s.text, 14);
    return;
  }
  s.bound = CompileUnit(bound.text);
  s.body = ListOf(r.from(bound.next));
  MarkPlainBody(s);
  s.loop = CompileLoop(s);
}

void Compiler::CompileWhile(Stmt& s, TokenRange r) {
  Until cond = ReadUntil(r, 1, Term(tkDo));
  if (cond.stop != tkDo) {
    s.kind = St::Fail;
    s.error = Err("DO expected", s.text, 14);
    return;
  }
  s.kind = St::While;
  s.expr = CompileUnit(cond.text);
  s.body = ListOf(r.from(cond.next));
  MarkPlainBody(s);
  s.loop = CompileLoop(s);
}

void Compiler::CompileRepeat(Stmt& s, TokenRange r) {
  Until body = ReadUntil(r, 1, Term(tkUntil));
  if (body.stop != tkUntil) {
    s.kind = St::Fail;
    s.error = Err("UNTIL expected", s.text, 16);
    return;
  }
  s.kind = St::Repeat;
  s.body = ListOf(body.text);
  s.expr = CompileUnit(r.from(body.next));
  MarkPlainBody(s);
  s.loop = CompileLoop(s);
}

void Compiler::CompileFlow(Stmt& s, TokenRange r) {
  if (r.size() > 1) {
    s.kind = St::Fail;
    s.error = Err(ByteString("Invalid ") + TokenText(r.code(0)) + " operator", s.text, 1);
    return;
  }
  s.kind = St::Flow;
  s.flow = r.code(0);
}

void Compiler::CompileGoto(Stmt& s, TokenRange r) {
  s.kind = St::Fail;
  uint8_t c = r.code(1);
  if (!(c == tkIdent || (c == tkConst && AllIdentChars(r.b[1].text)))) {
    s.error = Err("Invalid label in GOTO", s.text, 1);
    return;
  }
  if (r.size() > 2) {
    s.error = Err("Error in GOTO statement", s.text, 1);
    return;
  }
  s.kind = St::Goto;
  s.target = r.b[1].text;
}

void Compiler::CompileCase(Stmt& s, TokenRange r) {
  Until sel = ReadUntil(r, 1, Term(tkOf));
  if (sel.stop != tkOf) {
    s.kind = St::Fail;
    s.error = Err("OF expected", s.text, 14);
    return;
  }
  s.kind = St::Case;
  s.expr = CompileUnit(sel.text);
  size_t pos = sel.next;
  bool haveElse = false;
  while (true) {
    CaseItem item;
    uint8_t c = r.code(pos);
    if (c == tkEnd) {
      s.cases.push_back(std::move(item));
      return;
    }
    item.kind = CaseItem::Fail;
    if (c == tkEof) {
      item.error = Err("Error in CASE statement", s.text, 1);
    } else if (c == tkElse && haveElse) {
      item.error = Err("Too many ELSEin CASE statement", s.text, 28);
    } else if (c == tkElse) {
      haveElse = true;
      Cut k = NextStatement(r, pos + 1, Term(tkSemicolon));
      if (k.error) {
        item.error = *k.error;
      } else {
        item.kind = CaseItem::Else;
        item.body = ListOf(k.stmt);
        pos = k.next;
      }
    } else {
      item = CompileCaseBranch(r, pos);
    }
    bool stop = item.kind == CaseItem::Fail;
    s.cases.push_back(std::move(item));
    if (stop) return;
  }
}

CaseItem Compiler::CompileCaseBranch(TokenRange r, size_t& pos) {
  CaseItem item;
  item.kind = CaseItem::Fail;
  Until labels = ReadUntil(r, pos, Term(tkColon));
  if (labels.stop != tkColon) {
    item.error = Err(": expected", r, 29);
    return item;
  }
  if (labels.text.empty()) {
    item.error = Err("Range defininition expected", r, 29);
    return item;
  }
  Cut k = NextStatement(r, labels.next, Term(tkSemicolon));
  if (k.error) {
    item.error = *k.error;
    return item;
  }
  item.kind = CaseItem::Branch;
  for (TokenRange part : SplitArgs(labels.text, false)) {
    CaseLabel label;
    label.text = part;
    size_t dots = 0;
    while (dots < part.size() && part.b[dots].code != tkRange) ++dots;
    if (dots < part.size()) {
      label.range = true;
      label.low = CompileUnit(part.sub(0, dots));
      label.high = CompileUnit(part.from(dots + 1));
    } else {
      label.low = CompileUnit(part);
    }
    auto integer = [](const ExprUnit& u, int32_t& v) {
      if (!u.root || u.trailing || u.root->op != Op::Const || u.root->value.kind() != VarKind::Integer) return false;
      v = static_cast<int32_t>(u.root->value.int_value());
      return true;
    };
    label.constant = integer(label.low, label.lo) && (label.range ? integer(label.high, label.hi) : (label.hi = label.lo, true));
    if (label.constant && label.lo > label.hi) std::swap(label.lo, label.hi);
    item.labels.push_back(std::move(label));
  }
  item.body = ListOf(k.stmt);
  pos = k.next;
  return item;
}

std::unique_ptr<IndexList> Compiler::CompileIndex(TokenRange r, size_t& pos, TokenRange unitText) {
  auto list = std::make_unique<IndexList>();
  size_t start = pos + 1;
  size_t close = Matching(r, start, tkLBracket, tkRBracket);
  if (close >= r.size()) {
    list->error = std::make_unique<ErrorInfo>(Err("] expected", unitText, 21));
    pos = r.size();
    return list;
  }
  for (TokenRange part : SplitArgs(r.sub(start, close), true)) list->parts.push_back(CompileUnit(part));
  pos = close + 1;
  MarkCounterIndex(*list);
  return list;
}

// --------------------------------------------------------------- expressions

ExprUnit Compiler::CompileUnit(TokenRange r) {
  ExprUnit u;
  u.text = r;
  if (r.empty()) return u;
  Parse p{r};
  if (++depth_ > kMaxDepth) {
    u.root = Fail(p, "Too deep nesting", 1);
  } else {
    u.root = Level(p, 1);
    if (u.root && u.root->depth > kMaxTreeDepth) u.root = Fail(p, "Too deep nesting", 1);
    // One token after a complete expression is read past and ignored; two
    // or more make the expression fail.
    u.trailing = !p.failed && p.pos + 1 < r.size();
    if (u.root) FlattenTree(*u.root);
  }
  --depth_;
  u.depth = u.root ? u.root->depth : 0;
  return u;
}

ExprPtr Compiler::Fail(Parse& p, ByteString message, int code, ExprPtr after) {
  p.failed = true;
  auto n = std::make_unique<ExprNode>();
  n->op = after ? Op::FailAfter : Op::Fail;
  if (after) n->depth = 1 + after->depth;
  n->a = std::move(after);
  n->fail = std::make_unique<ErrorInfo>(Err(std::move(message), p.r, code));
  return n;
}

ExprPtr Compiler::Level(Parse& p, int level) {
  if (level > 6) return Prefix(p);
  ExprPtr left = Level(p, level + 1);
  while (!p.failed && IsLevelOp(level, p.cur())) {
    uint8_t code = p.cur();
    ++p.pos;
    ExprPtr right = Level(p, level + 1);
    auto n = std::make_unique<ExprNode>();
    n->op = Op::Binary;
    n->code = code;
    n->depth = 1 + std::max(left->depth, right->depth);
    n->numeric = left->numeric && right->numeric;
    if (n->depth > kMaxTreeDepth) {
      // Refused here, before the chain grows any longer.
      n->a = std::move(left);
      n->b = std::move(right);
      return Fail(p, "Too deep nesting", 1);
    }
    n->a = std::move(left);
    n->b = std::move(right);
    left = std::move(n);
  }
  return left;
}

ExprPtr Compiler::Prefix(Parse& p) {
  uint8_t c = p.cur();
  if (c != tkNot && c != tkMinus && c != tkPlus) return Factor(p);
  ++p.pos;
  ExprPtr operand = Factor(p);
  if (c == tkPlus) return operand;
  auto n = std::make_unique<ExprNode>();
  n->op = Op::Unary;
  n->code = c;
  n->depth = 1 + operand->depth;
  n->a = std::move(operand);
  return n;
}

ExprPtr Compiler::Factor(Parse& p) {
  uint8_t c = p.cur();
  auto node = std::make_unique<ExprNode>();
  switch (c) {
    case tkTrue: case tkFalse:
      ++p.pos;
      node->value = Variant::Boolean(c == tkTrue);
      return node;
    case tkLParen: {
      ++p.pos;
      if (++depth_ > kMaxDepth) {
        --depth_;
        return Fail(p, "Too deep nesting", 1);
      }
      ExprPtr inner = Level(p, 1);
      --depth_;
      if (p.failed) return inner;
      if (p.cur() != tkRParen) return Fail(p, "')' expected", 2, std::move(inner));
      ++p.pos;
      return inner;
    }
    case tkConst: {
      const ByteString& text = p.r.b[p.pos].text;
      ++p.pos;
      if (IsQuote(text[0])) {
        if (text.size() == 1 || !IsQuote(text.back())) return Fail(p, "Unterminated string: " + text, 6);
        node->value = Variant::String(text[0] == '\'' ? text.substr(1, text.size() - 2) : text);
        return node;
      }
      auto v = ParseNumber(text);
      if (!v) return Fail(p, "Invalid number: " + text, 1);
      node->value = *v;
      node->numeric = true;
      return node;
    }
    case tkIdent: return Identifier(p);
    default: return Fail(p, "Unknown or invalid operator in expression: " + TextAt(p.r, p.pos), 1);
  }
}

bool Compiler::IsCallName(const ByteString& name) const {
  return funcs_.IndexOf(name) >= 0 || (program_ && program_->FindProc(name));
}

ExprPtr Compiler::Identifier(Parse& p) {
  auto node = std::make_unique<ExprNode>();
  node->name = p.r.b[p.pos].text;
  bool call = p.r.code(p.pos + 1) == tkLParen || IsCallName(node->name);
  ++p.pos;
  if (!call) {
    node->op = Op::Var;
    node->numeric = true;
    if (p.cur() != tkLBracket) return node;
    node->idx1 = CompileIndex(p.r, p.pos, p.r);
    if (node->idx1->error) {
      p.failed = true;
      return node;
    }
    if (p.cur() == tkLBracket) {
      node->idx2 = CompileIndex(p.r, p.pos, p.r);
      if (node->idx2->error) p.failed = true;
    }
    const auto& parts = node->idx1->parts;
    node->numeric = !node->idx2 && parts.size() == 1 && parts[0].root && parts[0].root->numeric;
    return node;
  }
  node->op = program_ && program_->FindProc(node->name) ? Op::ProcCall : Op::Call;
  if (p.cur() != tkLParen) return node;
  size_t start = p.pos + 1;
  size_t close = Matching(p.r, start, tkLParen, tkRParen);
  if (close >= p.r.size()) return Fail(p, "Invalid function params: " + Readable(p.r.from(start), true), 1);
  for (TokenRange arg : SplitArgs(p.r.sub(start, close), false)) {
    node->args.push_back(CompileUnit(arg));
    ByteString plain = Readable(arg, false);
    node->argNames.push_back(IsValidName(plain) ? plain : ByteString());
  }
  node->argVars.resize(node->argNames.size());
  p.pos = close + 1;
  return node;
}

}  // namespace qel
