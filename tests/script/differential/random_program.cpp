#include "differential/random_program.h"

#include <vector>

namespace qel {

namespace {

const char* const kNumbers[] = {"0", "1", "2", "7", "255", "256", "65535", "32768", "2147483646", "2147483647",
                               "4294967295", "9223372036854775807", "0.5", "2.5", "1.5", "3.25",
                               "100000.125", "3", "10", "1000"};
const char* const kTexts[] = {"'abc'", "''", "'12'", "'-7'", "' 7'", "'TRUE'", "'false'", "'1.5'", "'x'",
                              "'2147483648'", "'9223372036854775808'", "\"KEY\"", "'B'"};

// Names a program may use. The first ones are often assigned early.
const char* const kScalars[] = {"A", "B", "C", "D", "S", "T", "N", "U", "Z", "X"};
const char* const kNumeric[] = {"A", "B", "C", "N"};  // numbers at the start
const char* const kCounters[] = {"I", "J", "K"};
const char* const kArrays[] = {"ARR", "M"};
const char* const kPaths[] = {"SELF.X", "SELF.RX", "SELF.Y", "SELF.ID", "SELF.VISIBLE", "SELF.SCALE", "PARENT.X",
                              "KNOB.RX", "KNOB.ORDER", "QELDB.ROOM.DOOR.RY", "SELF.V1", "KNOB.V2", "..ID",
                              "PARENT.CHILD1", "NOPE.X", "SELF", "PARENT", "KNOB"};
const char* const kBinary[] = {"+", "-", "*", "/", "^", "SHL", "SHR", "AND", "OR", "XOR",
                               "=", "<>", "<", ">", "<=", ">="};

struct HostCall {
  const char* name;
  int args;
  bool varFirst;  // the first argument is written back when it is a variable
};
const HostCall kHost[] = {{"LENGTH", 1, false},   {"INTTOSTR", 1, false}, {"STRTOINT", 1, false},
                          {"ABS", 1, false},      {"INT", 1, false},      {"ROUND", 1, false},
                          {"TRUNC", 1, false},    {"MIN", 2, false},      {"MAX", 2, false},
                          {"MOD", 2, false},      {"COPY", 3, false},     {"UPPERCASE", 1, false},
                          {"SQR", 1, false},      {"INC", 1, true},       {"DEC", 2, true},
                          {"GETVAR", 1, false},   {"SETVAR", 2, false},   {"DELETE", 3, true},
                          {"FLOATTOSTR", 1, false}, {"SIGN", 1, false}};

class Generator {
 public:
  struct Routine {
    std::string name;
    int params;
    bool pure;  // sees only its own names: may run in a frame
  };

  explicit Generator(Choices& c) : c_(c) {}

  std::string Program() {
    std::string out;
    int routines = c_.Below(4);
    for (int k = 0; k < routines; ++k) out += Declare(k);
    // Most names start with a value, so that loops and arithmetic have
    // something to work on; some stay unset on purpose.
    for (const char* name : {"A", "B", "C", "N", "I", "J", "K"})
      if (c_.Chance(90)) out += std::string(name) + " := " + (c_.Chance(80) ? NumExpr(1) : Leaf()) + ";\n";
    for (const char* name : {"S", "T", "D"})
      if (c_.Chance(70)) out += std::string(name) + " := " + Leaf() + ";\n";
    if (c_.Chance(50)) out += "ARR[1] := " + Leaf() + "; ARR[2] := " + Leaf() + ";\n";
    out += List(2, 3 + c_.Below(6), false, 0);
    // Drawn last, so that what comes before stays as each seed made it.
    if (c_.Chance(15)) {
      std::string routine = ArrayRoutine();
      out = routine + out + ArrayCalls();
    }
    return out;
  }

  // A function that makes array elements and reads and writes them back in
  // another order. What it makes vanishes when it returns, and the calls
  // below make or drop variables between them, so each call finds the
  // elements at other positions than the one before.
  std::string ArrayRoutine() {
    const std::string top = std::to_string(3 + c_.Below(6));
    const std::string made = c_.Chance(50) ? "K" : top + " - K";
    const std::string used = c_.Chance(50) ? top + " - K" : "K";
    std::string out = "FUNCTION FA(P0);\nBEGIN\n  T := P0;\n";
    out += "  FOR K := 0 TO " + top + " DO M[" + made + "] := K + P0;\n";
    for (int k = 1 + c_.Below(2); k > 0; --k) {
      if (c_.Chance(50)) out += "  FOR K := 0 TO " + top + " DO T := T * 3 + M[" + used + "];\n";
      else out += "  FOR K := 0 TO " + top + " DO M[" + used + "] := M[" + used + "] * 2 + K;\n";
    }
    if (c_.Chance(30)) out += "  W2 := 1;\n";
    out += "  RESULT := T";
    for (int k = 0; k < 3; ++k) out += " + M[" + std::to_string(c_.Below(9)) + "]";
    return out + "\nEND;\n";
  }

  std::string ArrayCalls() {
    std::string out;
    for (int k = 1 + c_.Below(4); k > 0; --k) {
      out.append("W").append(std::to_string(c_.Below(3))).append(" := FA(");
      out.append(std::to_string(c_.Below(3))).append(");\n");
      if (c_.Chance(30)) out.append("M[").append(std::to_string(c_.Below(9))).append("] := 1;\n");
    }
    return out;
  }

 private:
  template <size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[c_.Below(static_cast<int>(N))];
  }

  // A literal: mostly numbers, some texts and Booleans, negative now and then.
  std::string Literal() {
    int pick = c_.Below(10);
    if (pick < 6) {
      std::string n = c_.Chance(25) ? "-" : "";
      return n += Pick(kNumbers);
    }
    if (pick < 8) return Pick(kTexts);
    return c_.Chance(50) ? "TRUE" : "FALSE";
  }

  std::string Leaf() {
    switch (c_.Below(6)) {
      case 0: case 1: return Literal();
      case 2: return Pick(kScalars);
      case 3: return c_.Chance(50) ? Literal() : "(" + Literal() + " > 0)";
      case 4: {
        // Int64 values, at and beyond the 32-bit limits
        const char* const wide[] = {"2147483646 + 2", "INT(4294967296.0 * 3)", "INT(-2147483649.0)",
                                    "INT(9223372036854775807.0 / 2)", "-2147483646 - 3"};
        return Pick(wide);
      }
      default: return "NOT " + std::string(c_.Chance(50) ? Pick(kNumbers) : "TRUE");
    }
  }

  std::string Var() {
    if (pure_) return c_.Chance(75) ? locals_[static_cast<size_t>(c_.Below(static_cast<int>(locals_.size())))] : Pick(kCounters);
    if (!locals_.empty() && c_.Chance(60)) return locals_[static_cast<size_t>(c_.Below(static_cast<int>(locals_.size())))];
    return c_.Chance(15) ? Pick(kCounters) : Pick(kScalars);
  }

  // Arithmetic and comparisons over numbers only: what the fast paths take.
  std::string NumExpr(int depth) {
    int pick = depth <= 0 ? c_.Below(2) : c_.Below(6);
    switch (pick) {
      case 0: return c_.Chance(70) ? std::to_string(c_.Below(10)) : std::string(Pick(kNumbers));
      case 1: return pure_ ? Var() : c_.Chance(50) ? Pick(kCounters) : Pick(kNumeric);
      case 2: case 3: return NumExpr(depth - 1) + " " + Pick(kBinary) + " " + NumExpr(depth - 1);
      case 4: return "(" + NumExpr(depth - 1) + " " + kBinary[10 + c_.Below(6)] + " " + NumExpr(depth - 1) + ")";
      default: return "(" + NumExpr(depth - 1) + ")";
    }
  }

  std::string Expr(int depth) {
    if (c_.Chance(pure_ ? 85 : 40)) return NumExpr(depth + 1);
    if (pure_) return c_.Chance(50) ? CallExpr(depth) : Literal();
    int pick = depth <= 0 ? c_.Below(3) : c_.Below(12);
    switch (pick) {
      case 0: return Literal();
      case 1: return Var();
      case 2: return c_.Chance(70) ? Var() : Pick(kPaths);
      case 3: case 4: case 5:
        return Expr(depth - 1) + " " + Pick(kBinary) + " " + Expr(depth - 1);
      case 6: return "(" + Expr(depth - 1) + ")";
      case 7: return (c_.Chance(50) ? "NOT " : "-") + (c_.Chance(50) ? Var() : std::string(Pick(kNumbers)));
      case 8: return Index(depth);
      case 9: return HostExpr(depth);
      case 10: return CallExpr(depth);
      default: return "(" + Expr(depth - 1) + " " + Pick(kBinary) + " " + Expr(depth - 1) + ") " +
                      Pick(kBinary) + " " + Expr(depth - 1);
    }
  }

  std::string IndexExpr(int depth) {
    switch (c_.Below(5)) {
      case 0: return std::to_string(c_.Below(4));
      case 1: return Pick(kCounters);
      case 2: return c_.Chance(50) ? "1.5" : "'2'";
      case 3: return Expr(depth - 1);
      default: return Pick(kCounters) + std::string(" + 1");
    }
  }

  std::string Index(int depth) {
    std::string base = c_.Chance(60) ? Pick(kArrays) : Var();
    std::string out = base + "[" + IndexExpr(depth);
    if (c_.Chance(10)) out += ", " + IndexExpr(depth);
    out += "]";
    if (c_.Chance(10)) out += "[" + IndexExpr(depth) + "]";
    return out;
  }

  std::string HostExpr(int depth) {
    const HostCall& h = kHost[c_.Below(static_cast<int>(std::size(kHost)))];
    std::string out = std::string(h.name) + "(";
    for (int k = 0; k < h.args; ++k) {
      if (k) out += ", ";
      out += (k == 0 && h.varFirst) ? Var() : Expr(depth - 1);
    }
    if (c_.Chance(5)) out += ", 1";  // a wrong argument count
    return out + ")";
  }

  std::string CallExpr(int depth) {
    std::vector<const Routine*> callable;
    for (const Routine& r : functions_)
      if (r.pure || !pure_) callable.push_back(&r);
    if (callable.empty()) return pure_ ? NumExpr(depth) : HostExpr(depth);
    const Routine& r = *callable[static_cast<size_t>(c_.Below(static_cast<int>(callable.size())))];
    return r.name + "(" + Args(r, depth) + ")";
  }

  // Functions that may run in frames mostly get arguments a frame takes.
  std::string Args(const Routine& r, int depth) {
    std::string out;
    int count = c_.Chance(5) ? r.params + 1 : r.params;
    for (int k = 0; k < count; ++k) {
      if (k) out += ", ";
      out += c_.Chance(40) ? Var() : r.pure && c_.Chance(70) ? NumExpr(depth - 1) : Expr(depth - 1);
    }
    return out;
  }

  std::string Target() {
    if (pure_) return Var();
    switch (c_.Below(8)) {
      case 0: case 1: case 2: case 3: return Var();
      case 4: return Pick(kArrays) + std::string("[") + IndexExpr(1) + "]";
      case 5: return (c_.Chance(50) ? "S[" : Var() + "[") + IndexExpr(1) + "]";
      case 6: return Pick(kPaths);
      default: return locals_.empty() ? "RESULT" : locals_[0];
    }
  }

  std::string Condition(int depth) {
    if (c_.Chance(60)) return Expr(0) + " " + kBinary[10 + c_.Below(6)] + " " + Expr(depth);
    return Expr(depth);
  }

  static std::string Param(int n) {
    std::string s(1, 'P');
    s += std::to_string(n);
    return s;
  }

  static std::string Label(int n) {
    std::string s(1, 'L');
    s += std::to_string(n);
    return s;
  }

  // A statement list: statements separated by ';', some with labels.
  std::string List(int depth, int count, bool inLoop, int labelBase) {
    std::string out;
    for (int k = 0; k < count; ++k) {
      if (!pure_ && c_.Chance(8)) out += Label(labelBase + k) + ": ";
      out += Statement(depth, inLoop, labelBase, count);
      out += ";\n";
    }
    return out;
  }

  std::string Statement(int depth, bool inLoop, int labelBase, int labels) {
    int pick = depth <= 0 ? c_.Below(3) : c_.Below(21);
    // Functions that see only their own names run in frames: they keep to
    // statements a frame can run, so that it often does.
    if (pure_ && (pick == 2 || pick == 9 || pick == 11 || pick == 12 || pick == 13 || pick == 14 || pick >= 16))
      pick = c_.Chance(50) ? 0 : 6;
    switch (pick) {
      case 0: case 1: case 3: return Target() + " := " + Expr(depth + 1);
      case 2: return c_.Chance(50) ? Var() + " := " + Var() + " " + Pick(kBinary) + " " + Leaf() : ProcStatement(depth);
      case 4: {
        std::string s = "IF " + Condition(depth) + " THEN " + Statement(depth - 1, inLoop, labelBase, labels);
        if (c_.Chance(50)) s += " ELSE " + Statement(depth - 1, inLoop, labelBase, labels);
        return s;
      }
      case 5: return "BEGIN " + List(depth - 1, 1 + c_.Below(3), inLoop, labelBase + 100) + "END";
      case 6: {
        std::string i = Pick(kCounters);
        std::string s = c_.Chance(70) ? i + " := 0; " : "";
        return s + "FOR " + i + " := " + (c_.Chance(70) ? std::to_string(c_.Below(3)) : Expr(0)) +
               (c_.Chance(80) ? " TO " : " DOWNTO ") + (c_.Chance(70) ? std::to_string(c_.Below(6)) : Expr(0)) +
               " DO " + Body(depth);
      }
      case 7: {
        std::string k = Pick(kCounters);
        return k + " := 0; WHILE (" + k + " < " + std::to_string(1 + c_.Below(5)) + ") AND (" + Condition(0) +
               ") DO BEGIN " + k + " := " + k + " + 1; " + List(depth - 1, 1 + c_.Below(2), true, labelBase + 200) +
               "END";
      }
      case 8:
        return "REPEAT " + List(depth - 1, 1 + c_.Below(2), true, labelBase + 300) + "UNTIL " + Condition(0);
      case 9: return Case(depth, inLoop, labelBase);
      case 10:
        if (inLoop || c_.Chance(20)) return c_.Chance(50) ? "BREAK" : "CONTINUE";
        return "EXIT";
      case 11:
        return "GOTO " + Label(labelBase + c_.Below(labels + 1));
      case 12: return "WHILE " + Condition(0) + " DO " + Statement(depth - 1, true, labelBase, labels);
      case 13: return HostExpr(1);
      case 14: return c_.Chance(50) ? "X := " + Expr(1) : "SELF.V1 := " + Expr(1);
      case 15: return Var() + " := " + CallExpr(depth);
      case 17: case 18: return PlainLoop(depth);
      case 19: case 20: return NumericLoop();
      default: return c_.Chance(15) ? Broken(depth) : Var() + " := " + Leaf();
    }
  }

  // A loop made only of assignments, the kind the engine runs without its
  // statement lists: bodies that move the control variable, grow arrays and
  // strings, and create variables as they go.
  std::string PlainLoop(int depth) {
    std::string i = Pick(kCounters);
    std::string s = c_.Chance(85) ? i + " := 0; " : "";
    if (c_.Chance(30)) s += "S := 'ab'; ";
    bool down = c_.Chance(20);
    s += (c_.Chance(80) ? "FOR " + i + " := " + std::to_string(c_.Below(3)) + (down ? " DOWNTO " : " TO ") +
                              std::to_string(down ? -c_.Below(4) : 2 + c_.Below(12))
                        : "WHILE " + i + " < " + std::to_string(2 + c_.Below(10))) +
         " DO ";
    int count = 1 + c_.Below(3);
    std::string body;
    for (int k = 0; k < count; ++k) {
      if (k) body += "; ";
      body += PlainAssignment(i, depth);
    }
    if (s.find("WHILE") != std::string::npos) body += "; " + i + " := " + i + " + 1";
    return s + (count == 1 && c_.Chance(50) && s.find("WHILE") == std::string::npos ? body : "BEGIN " + body + " END");
  }

  std::string PlainAssignment(const std::string& i, int depth) {
    const char* const created[] = {"W0", "W1", "W2"};
    switch (c_.Below(9)) {
      case 0: return i + " := " + i + " + " + std::to_string(c_.Below(3));
      case 1: return std::string(Pick(kArrays)) + "[" + i + "] := " + NumExpr(1);
      case 2: return std::string(Pick(kArrays)) + "[" + i + "] := ARR[" + i + " - 1] + " + Leaf();
      case 3: return std::string(Pick(created)) + " := " + Pick(created) + " + " + NumExpr(1);
      case 4: return c_.Chance(50) ? "S := S + 'ab'" : "S := S + S";
      case 5: return Var() + " := " + Var() + " + ARR[" + i + (c_.Chance(50) ? "]" : " - 1]");
      case 6: return Var() + " := " + Expr(depth);
      default: return std::string(Pick(kNumeric)) + " := " + NumExpr(2);
    }
  }

  // A FOR loop over arithmetic, IF and CASE, the kind the engine runs as
  // register code: values that change kind or leave 32 bits within the
  // loop, texts and Booleans where numbers are expected, arrays read and
  // written by the counter, long loops that use up the step budget.
  std::string NumericLoop() {
    const char* const starts[] = {"'7'", "TRUE", "2147483647", "9223372036854775807", "0.5", "-2147483648",
                                  "2147483646", "1E300", "'x'", "4294967295"};
    std::string i = Pick(kCounters);
    std::string s = c_.Chance(85) ? i + " := 0; " : "";
    if (c_.Chance(30)) s += std::string(Pick(kNumeric)) + " := " + Pick(starts) + "; ";
    if (c_.Chance(40)) s += "ARR[0] := 1; ARR[1] := 2; ARR[2] := 3; ARR[3] := 0.5; ";
    if (c_.Chance(10)) s += "ARR[2] := 'ab'; ";
    const bool down = c_.Chance(20);
    const int length = c_.Chance(15) ? 200 + c_.Below(5000) : c_.Below(6);
    const bool loopWhile = c_.Chance(25);
    const bool loopRepeat = !loopWhile && c_.Chance(20);
    if (loopRepeat) {
      const int count = 1 + c_.Below(3);
      std::string body;
      for (int k = 0; k < count; ++k) body += NumericStatement(i, true) + "; ";
      body += i + " := " + i + " + " + (c_.Chance(90) ? "1" : "0.5");
      std::string test = i + (c_.Chance(80) ? " >= " : " = ") + std::to_string(length);
      if (c_.Chance(10)) test = Pick(kNumeric);
      return s + "REPEAT " + (c_.Chance(30) ? "BEGIN " + body + " END" : body) + " UNTIL " + test;
    }
    if (loopWhile) {
      // Conditions that turn non-Boolean or fail now and then.
      std::string test = i + (c_.Chance(80) ? " < " : " <> ") + std::to_string(length);
      if (c_.Chance(15)) test = "(" + test + ") AND (" + NumExpr(1) + " " + kBinary[10 + c_.Below(6)] + " " +
                                NumExpr(1) + ")";
      if (c_.Chance(5)) test = Pick(kNumeric);
      s += "WHILE " + test + " DO ";
    } else {
      s += "FOR " + i + " := " + (down ? std::to_string(length) : std::to_string(c_.Below(3))) +
           (down ? " DOWNTO " : " TO ") + (down ? std::to_string(c_.Below(3)) : std::to_string(length)) + " DO ";
    }
    const int count = 1 + c_.Below(4);
    std::string body;
    for (int k = 0; k < count; ++k) body += (k ? "; " : "") + NumericStatement(i, true);
    if (loopWhile) body += "; " + i + " := " + i + " + " + (c_.Chance(90) ? "1" : "0.5");
    return s + (count == 1 && c_.Chance(50) && !loopWhile ? body : "BEGIN " + body + " END");
  }

  std::string NumericTarget(const std::string& i) {
    const char* const paths[] = {"SELF.RX", "KNOB.RX", "SELF.V1", "KNOB.ORDER", "SELF.X", "NOPE.X", "KNOB.V2"};
    switch (c_.Below(7)) {
      case 0: return i;
      case 6: return Pick(paths);
      case 1: return "ARR[" + i + (c_.Chance(50) ? "]" : " - 1]");
      case 2: return Pick(kScalars);
      default: return Pick(kNumeric);
    }
  }

  std::string NumericValue(const std::string& i) {
    switch (c_.Below(7)) {
      case 0: return NumericTarget(i) + " + 1";
      case 1: return std::string(Pick(kNumeric)) + " * " + (c_.Chance(50) ? "3" : "65537");
      case 2: return std::string(Pick(kNumeric)) + " + ARR[" + i + (c_.Chance(70) ? "]" : " + 1]");
      case 3: return "(" + NumExpr(1) + " " + kBinary[10 + c_.Below(6)] + " " + NumExpr(1) + ")";
      default: return NumExpr(2);
    }
  }

  std::string NumericStatement(const std::string& i, bool top) {
    const int pick = top ? c_.Below(8) : 0;
    switch (pick) {
      case 1: {
        std::string s = "IF " + NumExpr(1) + " " + kBinary[10 + c_.Below(6)] + " " + NumExpr(1);
        if (c_.Chance(10)) s = "IF " + std::string(Pick(kNumeric));
        s += " THEN " + NumericStatement(i, false);
        if (c_.Chance(50)) s += " ELSE " + NumericStatement(i, false);
        return s;
      }
      case 2: {
        std::string s = "CASE " + (c_.Chance(70) ? NumExpr(1) : std::string(Pick(kNumeric)) + " AND 7") + " OF ";
        const int branches = 1 + c_.Below(4);
        for (int b = 0; b < branches; ++b) {
          const int lo = c_.Below(8) - 1;
          if (c_.Chance(30)) s += std::to_string(lo) + " .. " + std::to_string(lo + c_.Below(3));
          else if (c_.Chance(30)) s += std::to_string(lo) + ", " + std::to_string(c_.Below(8));
          else s += std::to_string(lo);
          s += ": " + NumericStatement(i, false) + "; ";
        }
        if (c_.Chance(50)) s += "ELSE " + NumericStatement(i, false) + "; ";
        return s + "END";
      }
      default: return NumericTarget(i) + " := " + NumericValue(i);
    }
  }

  std::string Body(int depth) {
    if (c_.Chance(50)) return Statement(depth - 1, true, 400, 1);
    return "BEGIN " + List(depth - 1, 1 + c_.Below(3), true, 500) + "END";
  }

  std::string ProcStatement(int depth) {
    if (procedures_.empty()) return HostExpr(depth);
    const Routine& r = procedures_[static_cast<size_t>(c_.Below(static_cast<int>(procedures_.size())))];
    return r.name + "(" + Args(r, depth) + ")";
  }

  std::string Case(int depth, bool inLoop, int labelBase) {
    std::string s = "CASE " + Expr(1) + " OF ";
    int branches = 1 + c_.Below(3);
    for (int b = 0; b < branches; ++b) {
      switch (c_.Below(6)) {
        case 0: s += std::to_string(c_.Below(5)); break;
        case 4: s += c_.Chance(50) ? "0.5 .. 2.5" : "TRUE, -1"; break;
        case 5: s += c_.Chance(50) ? "2147483647 .. 4294967296" : "'7', 7"; break;
        case 1: s += std::to_string(c_.Below(3)) + " .. " + std::to_string(c_.Below(6)); break;
        case 2: s += c_.Chance(50) ? "'a' .. 'm'" : "'abc'"; break;
        default: s += Expr(0) + ", " + Expr(0); break;
      }
      s += ": " + Statement(depth - 1, inLoop, labelBase, 0) + "; ";
    }
    if (c_.Chance(40)) s += "ELSE " + Statement(depth - 1, inLoop, labelBase, 0) + "; ";
    return s + "END";
  }

  // Statements that cannot run: their errors must come out the same way.
  std::string Broken(int depth) {
    switch (c_.Below(11)) {
      case 0: return "A = 1";
      case 1: return "BEGIN A := 1";
      case 2: return "FOR Q := 1 TO 2 DO A := 1";
      case 3: return "ELSE A := 1";
      case 4: return "A := (1";
      case 5: return "1A := 2";
      case 6: return "A := 1 2 3";
      case 7: return "A := 'abc";
      case 8: return "A := 1e5";
      case 9: return "A := 1..2";
      default: return "IF " + Expr(depth) + " A := 1";
    }
  }

  std::string Declare(int k) {
    bool function = c_.Chance(70);
    int params = c_.Below(3) + (function ? 0 : 1);
    std::string name = (function ? "F" : "P") + std::to_string(k);
    std::vector<std::string> names;
    for (int p = 0; p < params; ++p) names.push_back(c_.Chance(85) ? Param(p) : Pick(kScalars));
    std::string out = std::string(function ? "FUNCTION " : "PROCEDURE ") + name + "(";
    for (int p = 0; p < params; ++p) out += (p ? ", " : "") + names[static_cast<size_t>(p)];
    out += ");\nBEGIN\n";
    locals_ = names;
    if (function) locals_.push_back("RESULT");
    pure_ = function && c_.Chance(50);
    // The routine may call itself and the ones before it.
    (function ? functions_ : procedures_).push_back({name, params, pure_});
    if (function && params > 0 && c_.Chance(50)) {
      // Recursion that ends.
      out += "  IF " + names[0] + " <= 0 THEN RESULT := " + Expr(1) + " ELSE RESULT := " + name + "(" + names[0] +
             " - 1";
      for (int p = 1; p < params; ++p) out += ", " + Expr(1);
      out += ") " + std::string(Pick(kBinary)) + " " + Expr(0) + ";\n";
    }
    out += "  " + List(1 + c_.Below(2), 1 + c_.Below(3), false, 1000 * (k + 1));
    if (function && c_.Chance(85)) out += "  RESULT := " + Expr(2) + "\n";
    out += "END;\n";
    locals_.clear();
    pure_ = false;
    return out;
  }

  Choices& c_;
  std::vector<Routine> functions_, procedures_;
  std::vector<std::string> locals_;
  bool pure_ = false;
};

}  // namespace

std::string RandomProgram(Choices& choices) { return Generator(choices).Program(); }

}  // namespace qel
