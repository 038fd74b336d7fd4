#include "differential/path_program.h"

#include <iterator>

namespace qel {

namespace {

// Names of the small game (a room, the door that runs the script, a knob on
// the door), names elements may get, and script variables.
const char* const kElements[] = {"SELF", "KNOB", "PARENT", "E", "F", "QELDB.ROOM", "QELDB.ROOM.DOOR",
                                 "KNOB.BOLT", "BOLT", "CHILD1", "SELF.KNOB", "NIL"};
const char* const kIds[] = {"'Knob'", "'Bolt'", "'Door'", "'Room'", "'Self'", "'E'", "'knob'", "'Z'"};
// Segments that usually lead somewhere come first and are picked more often.
const char* const kSegments[] = {"KNOB", "SELF", "E", "F", "ROOM", "KNOB", "BOLT", "DOOR", "PARENT", "RX", "V1",
                                 "CURSOR"};
const char* const kSafe[] = {"KNOB", "SELF", "E", "F", "ROOM"};
// Element variables that hide a child, a keyword or a property on the way.
const char* const kVarOwners[] = {"SELF", "KNOB", "KNOB", "E", "PARENT"};
const char* const kVarNames[] = {"KNOB", "RX", "V1", "SELF", "ROOM", "RY", "X", "M[2]"};
const char* const kLast[] = {"RX", "RY", "X", "ID", "VIS", "ORDER", "SCALE", "V1", "TAG"};
const char* const kNumberProps[] = {"RX", "RY", "X", "ORDER", "V1"};
const char* const kValues[] = {"1", "0.5", "-3", "2147483647", "'abc'", "'12'", "''", "TRUE", "\"KEY\"",
                               "SELF", "KNOB", "NIL", "QELDB.ROOM", "1.5E"};

class PathGenerator {
 public:
  explicit PathGenerator(Choices& c) : c_(c) {}

  std::string Program() {
    std::string out;
    bool routine = c_.Chance(30);
    if (routine) out += "PROCEDURE STEP(Q);\nBEGIN\n" + List(2, 2) + "END;\n";
    // Script variables that lead to elements as inner segments do.
    out += "ROOM := PARENT;\nE := " + Element() + ";\nF := " + Element() + ";\nA := 0;\nB := 0;\nI := 0;\n";
    if (c_.Chance(60)) out += "TREEMAKE(KNOB, 'Bolt');\n";
    // A second knob: which one KNOB names depends on the order of the two.
    if (c_.Chance(40)) out += "TREEMAKE(SELF, 'knob');\n";
    // A script variable named like a keyword that answers only while the
    // cursor is set.
    if (c_.Chance(30)) out += "CURSOR := 0; SETVAR('CURSOR', " + Element() + ");\n";
    for (int k = c_.Below(3); k > 0; --k) out += Statement(1) + ";\n";
    out += "FOR I := 1 TO " + std::to_string(2 + c_.Below(5)) + " DO BEGIN\n" + List(2, 2 + c_.Below(7));
    if (routine) out += "  STEP(I);\n";
    out += "END;\n";
    if (c_.Chance(40)) {
      out += "J := 0; WHILE J < " + std::to_string(1 + c_.Below(4)) + " DO BEGIN J := J + 1;\n" +
             List(2, 1 + c_.Below(4)) + "END;\n";
    }
    // What the paths lead to at the end is part of the outcome.
    for (const char* p : {"KNOB.RX", "SELF.RX", "QELDB.ROOM.DOOR.ID", "E.RX"})
      out += std::string("R_") + Flat(p) + " := " + p + ";\n";
    return out;
  }

 private:
  template <size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[c_.Below(static_cast<int>(N))];
  }

  static std::string Flat(std::string s) {
    for (char& ch : s)
      if (ch == '.') ch = '_';
    return s;
  }

  std::string Element() { return Pick(kElements); }

  // A dotted name, mostly one that leads somewhere.
  std::string Path(bool numeric) {
    const char* last = numeric ? Pick(kNumberProps) : Pick(kLast);
    switch (c_.Below(10)) {
      case 0: return last;                                          // the running element's own
      case 1: return std::string(c_.Chance(50) ? "." : "..") + last;  // climbing
      case 2: return std::string(Pick(kSegments)) + "." + Pick(kSegments) + "." + last;
      case 3: return std::string("QELDB.ROOM.") + (c_.Chance(50) ? "DOOR." : "DOOR.KNOB.") + last;
      case 4: case 5: return std::string(Pick(kSegments)) + "." + last;
      default: return std::string(Pick(kSafe)) + "." + last;
    }
  }

  std::string Value() {
    switch (c_.Below(5)) {
      case 0: return Pick(kValues);
      case 1: return Path(true);
      case 2: return Path(true) + " + " + (c_.Chance(50) ? "0.5" : "I");
      case 3: return "A * 2 - " + Path(true);
      default: return std::to_string(c_.Below(20));
    }
  }

  std::string List(int depth, int count) {
    std::string out;
    for (int k = 0; k < count; ++k) out += "  " + Statement(depth) + ";\n";
    return out;
  }

  // Mostly reads and writes through paths; between them, now and then,
  // something that changes where a path leads.
  std::string Statement(int depth) {
    int pick = c_.Below(100);
    if (depth <= 0 && pick >= 42 && pick < 50) pick = 0;
    if (pick < 20) {
      // The form of the benchmark: one site read, the same site written.
      std::string p = Path(true);
      return p + " := " + p + " + " + (c_.Chance(50) ? "0.5" : "1");
    }
    if (pick < 30) {
      // An array element of the script, unless the running element has a
      // variable of that name.
      if (c_.Chance(15)) {
        std::string element = "M[" + std::to_string(1 + c_.Below(2)) + "] := " + Value();
        if (c_.Chance(50)) return element;
        return "BEGIN TREEVAR(SELF, 'M[2]', " + Value() + "); " + element + " END";
      }
      return Path(false) + " := " + Value();
    }
    if (pick < 42) return (c_.Chance(50) ? "A := A + " : "B := ") + Path(c_.Chance(70));
    if (pick < 47)
      return "IF " + Path(true) + " > " + std::to_string(c_.Below(4)) + " THEN " + Statement(depth - 1) + " ELSE " +
             Statement(depth - 1);
    if (pick < 50) return "BEGIN " + Statement(depth - 1) + "; " + Statement(depth - 1) + " END";
    if (pick < 55) return Element() + ".ID := " + Pick(kIds);
    if (pick < 60) return std::string(Pick(kSegments)) + " := " + (c_.Chance(70) ? Element() : Pick(kValues));
    if (pick < 63) return "E := " + Element();
    if (pick < 67) return (c_.Chance(50) ? "E := TREEMAKE(" : "TREEMAKE(") + Element() + ", " + Pick(kIds) + ")";
    if (pick < 69) return std::string("TREEDROP(") + (c_.Chance(80) ? "KNOB.BOLT" : Pick(kElements)) + ")";
    if (pick < 72) return std::string("TOFRONT(") + (c_.Chance(60) ? "KNOB" : Pick(kElements)) + ")";
    if (pick < 82)
      return std::string("TREEVAR(") + Pick(kVarOwners) + ", '" + Pick(kVarNames) + "', " +
             (c_.Chance(50) ? Element() : Value()) + ")";
    if (pick < 88) return std::string("TREEUNVAR(") + Pick(kVarOwners) + ", '" + Pick(kVarNames) + "')";
    if (pick < 90) return "TREEENTER(" + Element() + ")";
    if (pick < 92) return "SELF.CURSOR := " + Element();
    // A text no number property takes: the name becomes a script variable.
    if (pick < 93) return "KNOB.RX := 'x' + KNOB.ID";
    if (pick < 96) return c_.Chance(50) ? "KNOB.TAG := 'x' + KNOB.ID" : "SELF.TAG := \"KEY\"";
    return "E.RX := E.RX - " + Path(true);
  }

  Choices& c_;
};

}  // namespace

std::string RandomPathProgram(Choices& choices) { return PathGenerator(choices).Program(); }

}  // namespace qel
