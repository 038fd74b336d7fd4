#include "script_facts.h"

#include "script/program.h"

namespace qel {
namespace {

class FactWalker {
 public:
  explicit FactWalker(ScriptFacts& facts) : facts_(facts) {}

  void List(const StmtList* list) {
    if (!list) return;
    for (const Stmt& s : list->items) Statement(s);
  }

 private:
  void Error(const ErrorInfo& e) {
    ByteString text = Readable(e.text, true);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    ByteString line = e.message;
    if (!text.empty()) line += " (in \"" + text + "\")";
    facts_.errors.push_back(line);
  }

  void Statement(const Stmt& s) {
    if (s.kind == St::Fail || s.staged || s.cutError) Error(s.error);
    if (s.badFollow) Error(*s.badFollow);
    if (s.branchError) Error(*s.branchError);
    if ((s.kind == St::Assign && s.targetValid) || s.kind == St::For) {
      facts_.names.push_back(s.target);
      if (s.target.find('.') == ByteString::npos) facts_.assigned.push_back(s.target);
    }
    if (s.kind == St::Assign && s.expr.root && s.expr.root->op == Op::Const && s.expr.root->value.IsString()) {
      ByteString text = s.expr.root->value.ToString();
      if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        facts_.langKeys.push_back(text.substr(1, text.size() - 2));
    }
    // The statements that always evaluate their expression (and FOR its bound).
    bool needsExpr = s.kind == St::Assign || s.kind == St::If || s.kind == St::While || s.kind == St::Repeat ||
                     s.kind == St::For || s.kind == St::Case;
    if (needsExpr && !s.staged && !s.expr.root) Error({"Empty string - not expression", s.text, 1});
    if (s.kind == St::For && !s.bound.root) Error({"Empty string - not expression", s.text, 1});
    Index(s.idx1.get());
    Index(s.idx2.get());
    Unit(s.expr);
    Unit(s.bound);
    List(s.body.get());
    List(s.elseBody.get());
    for (const CaseItem& item : s.cases) {
      if (item.kind == CaseItem::Fail) Error(item.error);
      for (const CaseLabel& label : item.labels) {
        Unit(label.low);
        Unit(label.high);
      }
      List(item.body.get());
    }
  }

  void Index(const IndexList* list) {
    if (!list) return;
    if (list->error) Error(*list->error);
    for (const ExprUnit& u : list->parts) Unit(u);
  }

  void Unit(const ExprUnit& u) { Node(u.root.get()); }

  void Node(const ExprNode* n) {
    if (!n) return;
    if (n->fail) Error(*n->fail);
    if (n->op == Op::Var) facts_.names.push_back(n->name);
    if (n->op == Op::Call || n->op == Op::ProcCall) {
      ScriptCall call{n->name, n->op == Op::ProcCall, {}};
      for (const ExprUnit& arg : n->args) call.args.push_back(Arg(arg));
      facts_.calls.push_back(std::move(call));
    }
    Node(n->a.get());
    Node(n->b.get());
    Index(n->idx1.get());
    Index(n->idx2.get());
    for (const ExprUnit& arg : n->args) Unit(arg);
  }

  static ScriptArg Arg(const ExprUnit& u) {
    const ExprNode* n = u.root.get();
    if (!n || u.trailing) return {};
    if (n->op == Op::Const && n->value.IsString()) return {ScriptArg::Literal, n->value.ToString()};
    if (n->op == Op::Var && !n->idx1) return {ScriptArg::Name, n->name};
    return {};
  }

  ScriptFacts& facts_;
};

}  // namespace

void CollectFacts(const Program& program, ScriptFacts& facts) {
  FactWalker walker(facts);
  walker.List(&program.main);
  for (const auto& [name, proc] : program.procs) {
    facts.assigned.insert(facts.assigned.end(), proc->params.begin(), proc->params.end());
    facts.assigned.push_back("RESULT");
    walker.List(&proc->body);
  }
}

}  // namespace qel
