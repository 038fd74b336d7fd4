#include "differential/call_program.h"

#include <vector>

namespace qel {

namespace {

const char* const kValues[] = {"0", "1", "-1", "2", "7", "2147483647", "-2147483647", "2147483646 + 1",
                               "4294967295", "0.5", "-0.0", "2.5", "'ab'", "''", "'12'", "' 3'",
                               "TRUE", "FALSE", "\"KEY\"", "NOT 0", "INT(-2147483649.0)", "(3 > 2)"};
const char* const kNumbers[] = {"0", "1", "-1", "3", "7", "2147483647", "4294967295", "0.5", "-0.0", "2.5",
                                "-7.25", "INT(-2147483649.0)"};
const char* const kTexts[] = {"'ab'", "''", "'12'", "' 3'", "'Hello world'", "\"KEY\""};
const char* const kOps[] = {"+", "-", "*", "/", "AND", "OR", "XOR", "SHL", "=", "<>", "<", ">", "<=", ">="};
const char* const kGlobals[] = {"A", "B", "S", "T", "Z", "I", "X"};  // X is the element's

class CallGenerator {
 public:
  explicit CallGenerator(Choices& c) : c_(c) {}

  std::string Program() {
    // A function that always changes its parameter, for the callers that
    // pass it a name.
    std::string out = "FUNCTION W(P0); BEGIN P0 := P0 + 1; RESULT := P0 * 2 END;\n";
    framed_.push_back({"W", 1});
    // U reads a name before it sets it, in a frame made where W's was.
    out += "FUNCTION U(P0); BEGIN RESULT := P0; IF P0 > 100 THEN V1 := 1; RESULT := RESULT + V1 END;\n"
           "FUNCTION WU(P0); BEGIN RESULT := W(P0) + U(P0) END;\n";
    const int framed = 1 + c_.Below(4);
    for (int k = 0; k < framed; ++k) out += Framed(k);
    if (c_.Chance(60)) out += Deep();
    if (c_.Chance(60)) out += Open();
    // Functions that change the variable they are passed, for arguments
    // after that variable.
    out += "FUNCTION H(Q); BEGIN Q := Q + 1; RESULT := 2 END;\nFUNCTION HS(Q); BEGIN Q := Q + 'z'; RESULT := 2 END;\n";
    out += "A := " + Value() + "; B := " + Value() + "; S := 'abcdef'; T := " + Value() + "; X := " + Value() +
           "; I := " + std::to_string(c_.Below(4)) + "; ARR[1] := " + Value() + ";\n";
    const int count = 3 + c_.Below(6);
    for (int k = 0; k < count; ++k) out += MainStatement() + ";\n";
    return out;
  }

 private:
  template <size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[c_.Below(static_cast<int>(N))];
  }

  std::string Value() { return Pick(kValues); }
  std::string Number() { return c_.Chance(90) ? Pick(kNumbers) : Value(); }
  std::string Text() { return c_.Chance(90) ? Pick(kTexts) : Value(); }

  // --- functions that see only their own names ---

  std::string Framed(int k) {
    const int params = 1 + c_.Below(3);
    std::string name(1, 'F');
    name += std::to_string(k);
    locals_ = {"RESULT", "V1", "V2"};
    for (int p = 0; p < params; ++p) locals_.push_back(std::string(1, 'P') + std::to_string(p));
    self_ = {name, params};
    std::string out = "FUNCTION " + name + "(";
    for (int p = 0; p < params; ++p) out += (p ? ", P" : "P") + std::to_string(p);
    out += ");\nBEGIN\n";
    // Names read before they are set make the frame give up; mostly they are set.
    if (c_.Chance(85)) out += "  V1 := " + Number() + "; V2 := " + Value() + ";\n";
    // Parameters changed, to be written back to callers that pass names.
    if (c_.Chance(50)) out += "  P0 := P0 + " + std::string(c_.Chance(70) ? "1" : "V1") + ";\n";
    // Recursion that ends, mostly.
    if (c_.Chance(60))
      out += "  IF P0 <= 0 THEN RESULT := " + FramedExpr(0) + " ELSE RESULT := " + name + "(P0 - 1" +
             MoreArgs(params, 0) + ") " + Pick(kOps) + " " + FramedExpr(1) + ";\n";
    const int count = 1 + c_.Below(4);
    for (int s = 0; s < count; ++s) out += "  " + FramedStatement(2) + ";\n";
    if (c_.Chance(85)) out += "  RESULT := " + FramedExpr(2) + "\n";
    out += "END;\n";
    framed_.push_back(self_);
    return out;
  }

  std::string Local() { return locals_[static_cast<size_t>(c_.Below(static_cast<int>(locals_.size())))]; }

  std::string MoreArgs(int params, int depth) {
    std::string out;
    // Later arguments that read a parameter name keep the callee out of
    // frames (the general way stores the earlier ones first): now and then.
    for (int p = 1; p < params; ++p) out += ", " + (c_.Chance(80) ? (c_.Chance(50) ? "V1" : Value()) : Arg(depth));
    return out;
  }

  // Mostly expressions, now and then a plain name (written back).
  std::string Arg(int depth) { return c_.Chance(30) ? Local() : FramedExpr(depth); }

  std::string FramedCall(int depth) {
    // The routines before this one, and itself under a guard it may pass.
    std::vector<std::pair<std::string, int>> callable = framed_;
    if (c_.Chance(8)) callable.push_back(self_);
    if (callable.empty()) return Value();
    const auto& [name, params] = callable[static_cast<size_t>(c_.Below(static_cast<int>(callable.size())))];
    std::string out = name + "(" + (c_.Chance(50) ? "P0 - 1" : Arg(depth - 1));
    return out + MoreArgs(params, depth - 1) + ")";
  }

  std::string FramedExpr(int depth) {
    switch (depth <= 0 ? c_.Below(2) : c_.Below(7)) {
      case 0: return c_.Chance(80) ? Number() : Value();
      case 1: return Local();
      case 2: case 3: return FramedExpr(depth - 1) + " " + Pick(kOps) + " " + FramedExpr(depth - 1);
      case 4: return (c_.Chance(50) ? "-" : "NOT ") + FramedExpr(0);
      case 5: return "(" + FramedExpr(depth - 1) + ")";
      default: return FramedCall(depth);
    }
  }

  std::string FramedStatement(int depth) {
    switch (depth <= 0 ? 0 : c_.Below(11)) {
      case 0: case 1: case 2: return Local() + " := " + FramedExpr(2);
      case 3: {
        std::string s = "IF " + FramedExpr(1) + " THEN " + FramedStatement(depth - 1);
        return c_.Chance(50) ? s + " ELSE " + FramedStatement(depth - 1) : s;
      }
      case 4: return "BEGIN " + FramedStatement(depth - 1) + "; " + FramedStatement(depth - 1) + " END";
      case 5: return c_.Chance(30) ? "EXIT" : "IF " + FramedExpr(1) + " THEN EXIT";
      case 6: return FramedCall(1);
      // A loop keeps the routine on the tree walk, called from the others.
      case 7: return c_.Chance(30) ? "V1 := 0; FOR V1 := 1 TO 3 DO V2 := " + FramedExpr(1) : FramedCall(2);
      case 8: return Local() + " := " + FramedCall(2);
      default: {
        // A name read, then passed to a call that writes it back.
        const auto& [name, params] =
            c_.Chance(60) ? framed_[0] : framed_[static_cast<size_t>(c_.Below(static_cast<int>(framed_.size())))];
        const std::string local = c_.Chance(70) ? "V1" : Local();
        const char* const ops[] = {"+", "-", "*"};
        return Local() + " := " + local + " " + Pick(ops) + " " + name + "(" + local + MoreArgs(params, 0) + ") + " +
               local;
      }
    }
  }

  // Recursion to the limits: the depth of calls, and the native levels that
  // a call made inside another call's arguments or a deep expression takes.
  std::string Deep() {
    std::string pad;
    const int extra = c_.Below(12);
    for (int k = 0; k < extra; ++k) pad += "(";
    std::string body = "D(N - 1)";
    for (int k = 0; k < extra; ++k) body += " + 1)";
    std::string out = "FUNCTION ID(V); BEGIN RESULT := V END;\n";
    // Through ID every level takes two calls: the limit comes at half the depth.
    const bool twice = c_.Chance(50);
    out += "FUNCTION D(N); BEGIN IF N <= 0 THEN RESULT := 0 ELSE RESULT := " + (twice ? "ID(" + pad + body + ")" : pad + body) +
           " END;\n";
    deepest_ = twice ? 500 : 1000;
    return out;
  }

  // --- a function that sees the caller's variables and changes its own ---

  std::string Open() {
    open_ = true;
    return "FUNCTION G(Q); BEGIN Q := Q + " + std::string(c_.Chance(50) ? "'z'" : "1") + "; S := S + 'g'; RESULT := " +
           Value() + " END;\n";
  }

  std::string Global() { return Pick(kGlobals); }

  std::string HostArg() {
    switch (c_.Below(8)) {
      case 0: case 1: return Global();
      case 2: return "(" + std::string(Global()) + ")";
      case 3: return "ARR[1]";
      case 4: return c_.Chance(40) ? "ARR[I]" : c_.Chance(50) ? "NOPE" : "S T";  // T: a stray token
      case 5: return open_ ? "G(" + std::string(Global()) + ")" : "SETVAR('S', " + Value() + ")";
      case 6: return "SETVAR('" + std::string(Global()) + "', " + Value() + ")";
      default: return Value();
    }
  }

  // An argument of the kind the function takes, mostly: n a number, s a
  // text, v a number variable, w a text variable, f a format.
  std::string TypedArg(char kind) {
    if (kind == 'f') return c_.Chance(70) ? "'%d-%s'" : c_.Chance(50) ? "'%5.2f'" : "'%s'";
    if (c_.Chance(25)) return HostArg();
    switch (kind) {
      case 'n': {
        const char* const numbers[] = {"A", "B", "I", "(A)", "ARR[1]", "Z"};
        return c_.Chance(70) ? std::string(Pick(numbers)) : Number();
      }
      case 's': {
        const char* const texts[] = {"S", "T", "(S)", "S + T"};
        return c_.Chance(70) ? std::string(Pick(texts)) : Text();
      }
      case 'v': {
        const char* const vars[] = {"A", "B", "I", "Z", "ARR[1]"};
        return Pick(vars);
      }
      default: return c_.Chance(50) ? "S" : "T";
    }
  }

  std::string HostCall() {
    struct Host {
      const char* name;
      const char* args;
    };
    static const Host hosts[] = {{"COPY", "snn"},     {"POSS", "ss"},      {"LENGTH", "s"},    {"ROUND", "n"},
                                 {"SQRT", "n"},       {"FORMAT", "fns"},   {"INC", "v"},       {"INC", "vn"},
                                 {"DEC", "vn"},       {"DELETE", "wnn"},   {"INSERT", "swn"},  {"VAL", "svv"},
                                 {"MAX", "nn"},       {"MIN", "nn"},       {"INTTOSTR", "n"},  {"FLOATTOSTR", "n"},
                                 {"TRIM", "s"},       {"ABS", "n"},        {"UPPERCASE", "s"}, {"MOD", "nn"},
                                 {"SETVAR", "fn"}};
    const Host& h = hosts[c_.Below(static_cast<int>(std::size(hosts)))];
    std::string out = std::string(h.name) + "(";
    const std::string kinds = h.args;
    if (kinds == "fn") return "SETVAR('" + std::string(c_.Chance(70) ? "A" : Global()) + "', " + TypedArg('n') + ")";
    const size_t count = c_.Chance(5) ? kinds.size() + 1 : kinds.size();
    for (size_t k = 0; k < count; ++k) {
      if (k) out += ", ";
      out += TypedArg(k < kinds.size() ? kinds[k] : 'n');
    }
    return out + ")";
  }

  std::string MainExpr() {
    switch (c_.Below(6)) {
      case 0: case 1: return HostCall();
      case 2: return HostCall() + (c_.Chance(70) ? " + " : std::string(" ") + Pick(kOps) + " ") + HostCall();
      case 3:
        if (!deepest_) return HostCall();
        return "D(" + std::to_string(deepest_ - 40 + c_.Below(50) + (c_.Chance(10) ? 2000 : 0) - (c_.Chance(30) ? 500 : 0)) + ")";
      case 4: {
        if (framed_.empty()) return HostCall();
        const auto& [name, params] = framed_[static_cast<size_t>(c_.Below(static_cast<int>(framed_.size())))];
        std::string out = name + "(" + (c_.Chance(50) ? std::to_string(c_.Below(6)) : std::string(Global()));
        for (int p = 1; p < params; ++p) out += ", " + (c_.Chance(50) ? std::string(Global()) : Value());
        return out + ")";
      }
      default: return Value() + " " + Pick(kOps) + " " + HostCall();
    }
  }

  std::string MainStatement() {
    switch (c_.Below(7)) {
      case 0: return HostCall();
      case 1: return "FOR I := 1 TO " + std::to_string(2 + c_.Below(4)) + " DO " + Global() + " := " + MainExpr();
      case 2: return "Z := -0.0; INC(Z, " + std::string(c_.Chance(50) ? "0" : "-0.0") + ")";
      case 3: {
        // A variable passed, then changed by a later argument or an index in it.
        const char* const shapes[] = {"T := COPY(S, HS(S), 2)",        "T := COPY(S, ARR[HS(S)], 2)",
                                      "B := MOD(A, H(A))",             "B := MOD(A, ARR[H(A)])",
                                      "T := FORMAT('%s%d', S, HS(S))", "B := ROUND(A) + ABS(H(A))",
                                      "B := POSS(S, T + COPY(S, HS(S), 1))", "B := LENGTH(S) + HS(S)",
                                      "B := WU(A)"};
        return Pick(shapes);
      }
      default: return Global() + " := " + MainExpr();
    }
  }

  Choices& c_;
  std::vector<std::pair<std::string, int>> framed_;
  std::pair<std::string, int> self_;
  std::vector<std::string> locals_;
  int deepest_ = 0;  // the depth around which D reaches the limit
  bool open_ = false;
};

}  // namespace

std::string RandomCallProgram(Choices& choices) { return CallGenerator(choices).Program(); }

}  // namespace qel
